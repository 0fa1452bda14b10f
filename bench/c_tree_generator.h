// A generated tree of C sources shaped like the drivers of an embedded
// project, for the function-list benchmark: per module a header (include
// guard, extern "C" block, structs, enums, prototypes, static inline
// accessors, configuration stubs) and a few sources (tables with
// initialisers, multi-line macros, function definitions in the styles real
// code uses, with bodies full of branches, loops, switches, strings and
// comments holding braces).
//
// Every function definition written is recorded with its line and the
// shape it was written in, so a comparison can say why a tool did or did not
// find it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelvan::bench {

// How a definition was written; the shapes after kPlainShapes stand where a
// shallow reader that takes only the first branch of a conditional does not
// look, or are no C function definition by their own shape.
enum class DefinitionShape {
  kPlain,            // "static int f(...)\n{"
  kGnuStyle,         // "static int\nf (...)\n{"
  kBraceOnLine,      // "void f(void) {"
  kPointerResult,    // "struct x *\nf(...)"
  kMultiLineParams,  // parameters over several lines
  kFunctionPointerParam,
  kAttributes,   // __attribute__ before or among the type words
  kMacroBefore,  // an API macro before the type
  kEnumResult,   // "static enum x f(...)"
  kKnr,          // K&R parameter declarations
  kFunctionPointerResult,
  kInlineInHeader,  // "static inline" in a guarded header
  kFirstBranch,     // in the first branch of "#ifdef CONFIG_..."
  kPlainShapes,
  kElseBranch = kPlainShapes,  // the "#else" stub of a configuration option
  kIfndefBranch,               // inside "#ifndef CONFIG_..." (no include guard)
  kIfZero,                     // inside "#if 0"
  kMacroDefined,               // "MOD_IRQ_HANDLER(name)\n{": a macro that expands to a definition
  kShapeCount,
};

const char* ShapeName(DefinitionShape shape);

struct GeneratedDefinition {
  std::string file;  // relative path, '/' separators
  int line = 0;
  std::string name;
  DefinitionShape shape = DefinitionShape::kPlain;
};

struct GeneratedCFile {
  std::string path;  // relative path, '/' separators
  std::string text;
};

struct GeneratedCTree {
  std::vector<GeneratedCFile> files;  // in module order, header first
  std::vector<GeneratedDefinition> definitions;
  size_t total_bytes = 0;
};

// At least `bytes` of text, the same for the same seed.
GeneratedCTree GenerateCTree(size_t bytes, uint32_t seed = 7);

}  // namespace zelvan::bench
