#include "makefile/compile_rules.h"

#include "makefile/custom_build_rules.h"
#include "makefile/dependency_paths.h"
#include "makefile/make_context.h"
#include "makefile/rule_text.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/win_path.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

enum ToolKindIndex { kCC = 0, kAS = 1, kMAC = 2, kAPP = 3, kCCL = 4, kMPP = 5 };

// The object path in source-folder mode: full, with the extension "rel".
std::string SourceFolderObjectPath(MakeContext& context, const FileState& state, std::string path) {
  size_t at = path.find("$(TEMP)");
  if (at != std::string::npos) path.replace(at, 7, StripTrailingBackslash(state.temp()));
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  return QuoteIfBlank(ReplaceExtension(context.paths().FullPath(path), "rel"));
}

// The steps that move the side files of one compile: each a copy and a
// removal, or in FalMode the removal alone for the steps that allow it.
class SideFileSteps {
 public:
  SideFileSteps(MakeContext& context, const FileState& state, std::string* out)
      : context_(context), file_(*state.file), out_(out) {
    // Views of the context's texts: a rule with side files makes this for
    // every file, and copies were most of its cost.
    if (context.source_folder()) {
      own_side_dir_ = file_.Drive() + file_.Directory();
      side_dir_ = &own_side_dir_;
    } else {
      side_dir_ = &context.paths().project_directory();
    }
    if (context.fal()) {
      own_temp_dir_ = std::string(kFalDirectory);
      temp_dir_ = list_dir_ = &own_temp_dir_;
    } else {
      static const std::string kHere = ".";
      temp_dir_ = &context.paths().FullDirectoryName(state.temp().empty() ? kHere : state.temp());
      list_dir_ = &context.paths().FullDirectoryName(
          context.output_dir().empty() ? kHere : context.output_dir());
    }
  }

  // Its views may name its own texts.
  SideFileSteps(const SideFileSteps&) = delete;
  SideFileSteps& operator=(const SideFileSteps&) = delete;

  // Moves <side dir>\<title>.<extension> to <dir>\<title>.<extension>.
  // `mode`: remove-only in FalMode. `ims`: from the project directory, into
  // the file's make_lists().ims_move_steps instead of the rule.
  void Move(const char* extension, const std::string* dir, bool mode, bool ims = false) {
    std::string step;
    std::string* out = ims ? &step : out_;
    const std::string& from = ims ? context_.paths().project_directory() : *side_dir_;
    // "<dir><separator><title>.<extension>", quoted when it holds a blank
    // that is not at an end.
    auto append_path = [&](const std::string& in, std::string_view separator) {
      const size_t start = out->size();
      out->append(in);
      out->append(separator);
      out->append(file_.Title());
      out->push_back('.');
      out->append(extension);
      std::string_view path = std::string_view(*out).substr(start);
      if (HasBlank(TrimBlanks(path))) {
        out->insert(start, 1, '"');
        out->push_back('"');
      }
    };
    if (mode && context_.fal()) {
      *out += "\trm ";
      append_path(from, "");
      *out += '\n';
    } else {
      *out += "\tcp ";
      const size_t source = out->size();
      append_path(from, "");
      const size_t source_end = out->size();
      *out += ' ';
      append_path(*dir, "\\");
      *out += "\n\trm ";
      out->append(*out, source, source_end - source);
      *out += '\n';
    }
    if (ims) file_.make_lists().ims_move_steps.push_back(std::move(step));
  }

  // The listing: a file named by the option itself stays where the
  // compiler writes it (its directory is made); else it goes to OUTPUT.
  void Listing(const SideFileFacts& facts) {
    if (facts.names_listing) {
      std::string named = facts.listing_file;
      if (named.find('$') != std::string::npos) {
        named = SubstituteMacros(named, file_.make_lists().macro_names,
                                 file_.make_lists().macro_values);
        named = SubstituteMacros(named, context_.make_state().macro_names,
                                 context_.make_state().macro_values);
      }
      context_.EnsureDirectory(GetFileDirectory(named));
      return;
    }
    Move("lst", list_dir_, true);
  }

  // The assembler's macro-expansion listing of MAC, APP and MPP files.
  void MacroListing(const SideFileFacts& facts) {
    const std::string& family = context_.project().CpuFamily();
    bool med = EqualsNoCase(family, "MR44A")
                   ? !facts.has_kumpp_off
                   : (EqualsNoCase(family, "MX-310/P") || EqualsNoCase(family, "MX-310/P1") ||
                      EqualsNoCase(family, "MX-520")) &&
                         !facts.has_mi;
    if (med) Move("med", temp_dir_, true);
  }

  void Write(const SideFileFacts& facts, bool has_p, bool has_oal) {
    bool listing = facts.listing;
    switch (file_.ToolKind()) {
      case kCC:
        if (listing) Listing(facts);
        if (facts.has_xf && !has_oal) Move("asm", temp_dir_, true);
        if (has_p) Move("i", temp_dir_, true);
        if (has_oal) {
          Move("asm", temp_dir_, false);
          Move("ims", temp_dir_, false, true);
        }
        if (listing && (facts.has_xi || facts.has_kumpp_on)) Move("med", temp_dir_, true);
        break;
      case kAS:
        if (listing) Listing(facts);
        if (listing && EqualsNoCase(context_.project().CpuFamily(), "MR44A") &&
            facts.has_kumpp_on) {
          Move("med", temp_dir_, true);
        }
        if (has_oal) Move("ims", temp_dir_, false, true);
        break;
      case kMAC:
      case kAPP:
      case kMPP:
        if (listing) {
          Listing(facts);
          MacroListing(facts);
        }
        if (has_oal && file_.ToolKind() != kMPP) {
          Move("asm", temp_dir_, false);
          Move("ims", temp_dir_, false, true);
        }
        break;
      case kCCL:
        if (listing) Listing(facts);
        break;
      default:
        break;
    }
  }

 private:
  MakeContext& context_;
  SourceFile& file_;
  std::string* out_;
  const std::string* side_dir_;  // ends in `\`
  const std::string* temp_dir_;
  const std::string* list_dir_;
  std::string own_side_dir_, own_temp_dir_;  // when the views do not name the context's
};

// Whether a compile may leave side files to move, before the steps are
// worked out (most compiles leave none).
bool MayLeaveSideFiles(int kind, std::string_view options, bool has_p, bool has_oal) {
  if (kind == kCC) {
    return has_p || has_oal || HasListingOption(options) || HasOption(options, "-XF");
  }
  return kind > kCC && kind <= kMPP && (has_oal || HasListingOption(options));
}

// The same from the facts of the options.
bool MayLeaveSideFiles(int kind, const OptionFacts& facts) {
  if (kind == kCC)
    return facts.has_p || facts.side.has_oal || facts.side.listing || facts.side.has_xf;
  return kind > kCC && kind <= kMPP && (facts.side.has_oal || facts.side.listing);
}

void AppendDependencies(MakeContext& context, const FileState& state, std::string* out) {
  context.AppendDependencies(state, out);
  *out += '\n';
}

void BuildFalCompileRule(MakeContext& context, const FileState& state, std::string options,
                         bool has_p, bool has_oal, std::string* out) {
  const SourceFile& file = *state.file;
  *out += "\"$(OUTPUT)\\" + file.ObjectName() + "\" : \"" + file.RelativePath() + "\"";
  AppendDependencies(context, state, out);
  *out += "\t$(" + file.ToolKindName() + ") ";
  if (!HasOption(options, "-c")) *out += " -c ";
  if (!HasOption(options, "-g")) *out += " -g ";
  if (state.has_output_option) RemoveOutputOption(options, &options);
  *out += "-GF " + options + " $(" + std::string(kSysIncludePath) + ") \"" + file.FullPath() +
          "\" -o $@\n";
  if (has_p && file.ToolKind() == kCC) options += " -P";
  WriteSideFileSteps(context, state, options, has_p, has_oal, out);
  *out += '\n';
}

}  // namespace

void WriteSideFileSteps(MakeContext& context, const FileState& state, std::string_view options,
                        bool has_p, bool has_oal, std::string* out) {
  if (MayLeaveSideFiles(state.file->ToolKind(), options, has_p, has_oal)) {
    SideFileSteps(context, state, out).Write(ReadSideFileFacts(options), has_p, has_oal);
  }
}

void WriteSideFileSteps(MakeContext& context, const FileState& state, const OptionFacts& facts,
                        std::string* out) {
  if (MayLeaveSideFiles(state.file->ToolKind(), facts)) {
    SideFileSteps(context, state, out).Write(facts.side, facts.has_p, facts.side.has_oal);
  }
}

std::string ObjectLocation(const FileState& state) {
  if (state.has_output_option) return state.output_argument();
  return StripTrailingBackslash(state.temp()) + "\\" + state.file->ObjectName();
}

std::string GetObjectPath(MakeContext& context, const FileState& state, bool create_dir) {
  std::string path;
  AppendObjectPath(context, state, create_dir, &path);
  return path;
}

void AppendObjectPath(MakeContext& context, const FileState& state, bool create_dir,
                      std::string* out) {
  if (!state.built) return;
  const std::string& object = state.file->ObjectName();
  if (context.fal()) {
    *out += "\"$(OUTPUT)\\" + object + "\"";
    return;
  }
  if (state.own_temp.empty() && !state.has_output_option && !context.source_folder()) {
    *out += "\"$(TEMP)\\";
    *out += object;
    *out += '"';
    return;
  }
  std::string path;
  if (state.has_output_option) {
    path = state.output_argument();
    if (create_dir) context.EnsureDirectory(GetFileDirectory(path));
  } else if (state.own_temp.empty()) {
    path = "\"$(TEMP)\\" + object + "\"";
  } else {
    std::string dir = StripTrailingBackslash(state.own_temp);
    path = dir + "\\" + object;
    if (HasBlank(dir) || HasBlank(object)) path = "\"" + path + "\"";
    if (create_dir) context.EnsureDirectory(dir);
  }
  if (context.source_folder()) path = SourceFolderObjectPath(context, state, std::move(path));
  *out += path;
}

void BuildCompileRule(MakeContext& context, const FileState& state, std::string* out) {
  if (!state.built) return;
  if (state.custom_build != 0) {
    BuildCustomBuildRule(context, state, out);
    return;
  }
  SourceFile& file = *state.file;
  file.make_lists().ims_move_steps.clear();
  // Most rules take their options as they are: copied only when they change.
  const std::string& stored = context.Options(state);
  if (stored.find("$(") != std::string::npos) BuildFileMacroBlock(context, state, out);
  const OptionFacts& facts = context.FactsOf(stored);
  bool has_p = facts.has_p;
  std::string_view options = facts.without_p;
  bool has_oal = facts.side.has_oal;
  if (context.fal()) {
    BuildFalCompileRule(context, state, std::string(options), has_p, has_oal, out);
    return;
  }

  AppendObjectPath(context, state, /*create_dir=*/true, out);
  *out += " : ";
  const std::string& source = context.source_folder() ? file.FullPath() : file.RelativePath();
  if (HasBlank(source)) {
    *out += '"' + source + '"';
  } else {
    *out += source;
  }
  AppendDependencies(context, state, out);

  const char* add_c = facts.side.has_c ? "" : " -c ";
  auto command = [&](std::string_view preprocess, std::string_view text, std::string_view more) {
    *out += "\t$(";
    *out += file.ToolKindName();
    *out += ") ";
    *out += preprocess;
    *out += text;
    *out += more;
    *out += " $(";
    *out += kSysIncludePath;
    *out += ") $<";
  };
  command("", options, add_c);
  *out += state.has_output_option ? "\n" : " -o $@\n";
  if (has_p && file.ToolKind() == kCC) {
    std::string preprocess = std::string(options) + add_c;
    RemoveWordOption(preprocess, "-c", &preprocess);
    RemoveWordOption(preprocess, "-Xi", &preprocess);
    command("-P ", preprocess, "");
    *out += '\n';
    WriteSideFileSteps(context, state, preprocess + " -P", has_p, has_oal, out);
  } else {
    WriteSideFileSteps(context, state, facts, out);
  }
  *out += '\n';
}

void BuildCompileRules(MakeContext& context, std::string* out) {
  // A file whose output another file consumes keeps its rule: make reaches
  // it through the consumer, and nothing else would make that output.
  const std::vector<FileState>& files = context.files();
  for (size_t i = 0; i < files.size(); ++i) {
    PrefetchFilesAhead(files, i);
    const FileState& state = files[i];
    int kind = state.file->ToolKind();
    if (IsCompiledToolIndex(kind) || state.custom_build == 1) BuildCompileRule(context, state, out);
  }
  context.EnsureDirectory(AppendLastSlash(context.temp_dir()));
}

}  // namespace zelvan
