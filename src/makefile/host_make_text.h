// Paths of a makefile in the forms GNU make reads: the GNU path form of the
// stored (Windows) paths, and the host form that this machine's GNU make
// can build with.
//
// GNU path form: every `\` becomes "/" and every blank "\ ".
//
//   .\Debug\my obj          ./Debug/my\ obj
//
// Host form: a file is named by its full host path, through the file
// system's drive map. Make and the shell read a name by different rules,
// so each place gets its own form:
//
//   in a rule (target or prerequisite), escaped for make:
//   /ws/a b#1/dol$x=y.c     /ws/a\ b\#1/dol$$x$(if ,,=)y.c
//   in a command, one shell word (single quotes when needed, "$" doubled
//   for make):
//   /ws/a b/it's $x.c       '/ws/a b/it'\''s $$x.c'
//
// Make cannot name a file with a control character, ";", "|", "%", "*" or
// "?", nor one with a "\" (a double-byte trail byte) before a blank, "#",
// ":" or "\" or at its end (MakeCanName): such a name is refused when it is
// added, and a build that meets one is refused before make runs.
//
// Options and commands keep their words; a word that names a path gets
// "/" separators, and a full one its host path, as one shell word (a
// reference to a variable of the makefile stays one). A relative one stays
// relative: commands run in their project's directory. A "$" that starts
// no make reference (the option "-$") is written "$$".
//
//   -I..\include -DX=1      -I../include -DX=1
//   cp C:\ws\a.lst "C:\ws\out dir\a.lst"
//                           cp /srv/c/ws/a.lst '/srv/c/ws/out dir/a.lst'
//
// The variables a command may name (tools, the IDE macros, TEMP, OUTPUT,
// the option variables) hold shell words; OBJS, LIBS, INCS and LCF, which
// rules name, hold names escaped for make.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace zelvan {

class CpuTable;
class ReadOnlyFileSystem;

std::string ToGnuPath(std::string_view path);
// A host path as a rule names it: `\` before each blank, tab, "#" and ":",
// "$" doubled and "=" written "$(if ,,=)".
std::string EscapeForMake(std::string_view host_path);
// Whether a rule can name the host path at all (see above).
bool MakeCanName(std::string_view host_path);
// One shell word: the text itself when it holds only letters, digits and
// "_-./+,:@%", else in single quotes (a "'" written "'\''").
std::string QuoteForShell(std::string_view text);
// QuoteForShell with "$" doubled: a word of a command in a makefile.
std::string RecipeWord(std::string_view text);
// Text of a command as the value of a variable definition: "#" escaped.
std::string DefinitionValue(std::string_view text);
// Whether `name` is a variable that the host-form makefile defines, so a
// reference to it in a command stays one.
bool IsHostMakeVariable(std::string_view name);

class HostPathMapper {
 public:
  // `fs` maps the paths; it must outlive the mapper.
  explicit HostPathMapper(ReadOnlyFileSystem& fs) : fs_(fs) {}

  // The host path of a full system path, double quotes around it dropped;
  // a path the host has no place for (an unmapped drive) with "/"
  // separators.
  const std::string& Path(std::string_view full_path);
  // The host path as a rule names it (EscapeForMake); the first that a
  // rule cannot name is kept (Unnamable).
  const std::string& File(std::string_view full_path);
  // The host path as a word of a command (RecipeWord).
  std::string Word(std::string_view full_path) { return RecipeWord(Path(full_path)); }
  // The words of options or of a command, each path among them mapped;
  // double quotes are closed around a reference to a variable the makefile
  // defines, which holds shell words itself.
  std::string Words(std::string_view text);
  // Recipe lines ("\t<command>\n"): each command mapped and, unless it is
  // an echo, put behind `prefix`; other lines as they are.
  std::string Recipe(std::string_view lines, std::string_view prefix);
  // The tool of a TOOLS line: the file of that name in the CPU family's
  // executable directories, in host form; the name itself when there is none.
  std::string Tool(const CpuTable* cpus, std::string_view cpu, std::string_view name);
  // The first host path met that a rule cannot name; empty when none.
  const std::string& Unnamable() const { return unnamable_; }

 private:
  std::string MapWord(std::string_view word);
  std::string PathPart(std::string_view path);

  ReadOnlyFileSystem& fs_;
  std::string unnamable_;
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> paths_;
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> files_;
};

}  // namespace zelvan
