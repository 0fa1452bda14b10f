#include "makefile/target_rules.h"

#include "makefile/compile_rules.h"
#include "makefile/custom_build_rules.h"
#include "makefile/make_context.h"
#include "makefile/output_plan.h"
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

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// A path of the convert options resolved against the module directory.
std::string AgainstModule(const MakeContext& context, std::string_view path) {
  if (HasDrive(path) || IsFullPath(path)) return std::string(path);
  std::string full;
  if (!GetFullPathName(path, context.module_dir(), &full)) return std::string(path);
  return full;
}

void BuildExecutableLinkRule(MakeContext& context, std::string* out) {
  std::string words, names;
  BuildLinkWords(context, &words, &names);
  std::string link = "\t$(" + std::string(kLinkTool) + ") ";
  if (context.fal()) {
    RemoveOutputOption(words, &words);
    *out += "\"$(TARGET)\" : $(OBJS) $(LIBS) $(LCF)\n";
    BuildEventCommands(context.before_link(), out);
    *out += link + " -GF " + words + " $(OBJS) $(LIBS) $(LCF)  -o $@\n";
    // The FAL tool takes the sources of the objects, in lines of about 1 KB.
    bool oal = HasOption(words, "-Oal");
    std::string fal_line = "\t$(" + std::string(kFalTool) + ") -$ \"$(TARGET)\"";
    std::string entries;
    for (const FileState& state : context.files()) {
      int kind = state.file->ToolKind();
      if (!state.built || (kind != 0 && kind != 1 && kind != 4)) continue;
      entries += oal && kind == 1 ? " \"" + state.file->Title() + ".ims\""
                                  : " \"" + state.file->RelativePath() + "\"";
      if (entries.size() > 1024) {
        *out += fal_line + entries + "\n";
        entries.clear();
      }
    }
    if (!entries.empty()) *out += fal_line + entries;
    *out += '\n';
    for (const FileState& state : context.files()) {
      int kind = state.file->ToolKind();
      if (state.built && (kind == 0 || kind == 1 || kind == 4)) BuildFalStep(context, state, out);
    }
    *out += "\n\n";
    return;
  }
  const std::string& argument = context.link_output();
  if (context.has_link_output()) {
    *out += (HasBlank(argument) ? Quoted(argument) : argument) + " : $(OBJS) $(LIBS) $(LCF)\n";
  } else {
    *out += "$(OUTPUT)\\" + context.module_name() + " : $(OBJS) $(LIBS) $(LCF)\n";
  }
  BuildEventCommands(context.before_link(), out);
  *out += link + words + " $(OBJS) $(LIBS) " + names + " $(LCF) ";
  if (!context.has_link_output()) *out += " -o $@";
  std::string after;
  BuildEventCommands(context.after_build(), &after);
  if (!context.has_conversion() && !after.empty()) *out += "\n" + after;
  *out += "\n\n";
}

void BuildLibraryRule(MakeContext& context, std::string* out) {
  if (context.fal()) {
    *out += "\"$(TARGET)\" : $(OBJS) $(LIBS) $(LCF)\n";
    BuildEventCommands(context.before_link(), out);
    *out += "\t$(" + std::string(kLinkTool) + ") ";
    if (!HasOption(context.link_options(), "-r")) *out += "-r \"$(TARGET)\" ";
    *out += context.link_options() + " $(OBJS) $(LIBS) $(LCF) \n\n";
    return;
  }
  std::string library = GetLibraryPath(context);
  *out += (HasBlank(library) ? Quoted(library) : library) + " : $(OBJS) $(LIBS)\n";
  BuildEventCommands(context.before_link(), out);
  std::string argument;
  WriteLibrarianCommandFile(context, &argument);
  if (HasBlank(argument)) argument = Quoted(argument);
  *out += "\t$(" + std::string(kLibrarianTool) + ") -$ -f" + argument + "\n";
  BuildEventCommands(context.after_build(), out);
  *out += '\n';
}

}  // namespace

// The link options with " -$" when they lack it, split into option words
// and object or library names; the module directory is made, the map file
// of a listing asked for, and " $(SysLibraryPath)" added.
void BuildLinkWords(MakeContext& context, std::string* words, std::string* names) {
  std::string options = context.link_options();
  if (!HasOption(options, "-$")) options += " -$";
  SplitLinkOptions(options, *context.project().Environment().languages, words, names);
  context.EnsureDirectory(context.module_dir());
  if (HasListingOption(*words) && !HasOptionPrefix(*words, "-lf")) {
    std::string map = ReplaceExtension(context.module_path(), "map");
    *words += " -lf" + QuoteIfBlank(context.paths().Relative(map)) + " ";
  }
  std::string listing;
  if (GetListingFile(*words, &listing)) {
    listing = SubstituteMacros(listing, context.make_state().macro_names,
                               context.make_state().macro_values);
    context.EnsureDirectory(GetFileDirectory(listing));
  }
  *words += " $(" + std::string(kSysLibraryPath) + ")";
}

std::string GetLibraryPath(const MakeContext& context) {
  if (!context.library_output().empty()) return context.library_output();
  return StripTrailingBackslash(context.output_dir()) + "\\" +
         context.project().paths().output_name;
}

std::string GetTargetPath(const MakeContext& context, bool quote) {
  if (context.fal()) return "\"$(TARGET)\"";
  std::string path;
  if (context.is_library()) {
    path = GetLibraryPath(context);
  } else if (context.has_link_output()) {
    path = context.link_output();
  } else {
    path = "$(OUTPUT)\\" + context.module_name();
  }
  return quote ? Quoted(path) : path;
}

bool GetConvertOutput(const MakeContext& context, std::string* path) {
  path->clear();
  if (!context.has_conversion()) return false;
  const std::string& options = context.convert_options();
  for (std::string_view slice : ArgumentSlices(options)) {
    for (std::string_view option : {"-P", "-ra", "-rb"}) {
      if (!slice.starts_with(option) || slice.size() == option.size()) continue;
      std::string file;
      ReadFirstArgument(slice.substr(option.size()), &file);
      if (file.empty()) continue;
      *path = AgainstModule(context, file);
      return true;
    }
  }
  std::string output;
  if (ReadOutputArgument(options, &output) && !output.empty()) {
    *path = AgainstModule(context, output);
    return true;
  }
  const char* extension = "h16";
  if (HasOption(options, "-Fs32")) {
    extension = "s32";
  } else if (HasOption(options, "-Fs24")) {
    extension = "s24";
  } else if (HasOption(options, "-Fs16")) {
    extension = "s16";
  } else if (HasOption(options, "-Fh20")) {
    extension = "h20";
  }
  *path = ReplaceExtension(context.module_path(), extension);
  return true;
}

void BuildAllRule(MakeContext& context, std::string* out) {
  std::string list;
  if (context.mode() == NormalMode && !context.project().links().Names().empty()) list += "link ";
  for (const FileState& state : context.files()) {
    if (state.custom_build != 1 || !state.built ||
        state.file->HasFlag(SourceFile::kConsumedOutput)) {
      continue;
    }
    list += context.CBuildOutputText(state, 1);
  }
  list += " " + GetTargetPath(context, true);
  std::string convert;
  if (GetConvertOutput(context, &convert)) list += " " + Quoted(context.paths().Relative(convert));
  if (!context.fal()) {
    std::vector<std::string> outputs = ProjectCBuildOutputs(context);
    for (size_t i = 0; i < outputs.size(); ++i) {
      if (!context.consumed_project_outputs()[i]) list += " " + Quoted(outputs[i]);
    }
  }
  *out += "all : " + list + "\n\n";
}

void BuildLinkRule(MakeContext& context, std::string* out) {
  if (context.is_library()) {
    BuildLibraryRule(context, out);
  } else {
    BuildExecutableLinkRule(context, out);
  }
  if (!context.fal()) BuildProjectCustomBuildRule(context, out);
}

void BuildConvertCommand(const MakeContext& context, std::string* out) {
  std::string options = context.convert_options();
  if (!HasOption(options, "-$")) options += " -$";
  *out += "\tcd " + QuoteIfBlank(StripTrailingBackslash(context.module_dir())) + "&&$(" +
          std::string(kConverterTool) + ") " + options + " " + QuoteIfBlank(context.module_name()) +
          "\n";
}

void BuildConvertRule(const MakeContext& context, std::string* out) {
  std::string convert;
  if (!GetConvertOutput(context, &convert)) return;
  *out += Quoted(context.paths().Relative(convert)) + " : " +
          Quoted(context.paths().Relative(context.module_path())) + "\n";
  BuildConvertCommand(context, out);
  *out += '\n';
}

namespace {

// What the Clean lines of a block share: the CPU family's test, and the
// directory of the files in the last TEMP met (files in a row mostly share it).
struct CleanLineState {
  explicit CleanLineState(const MakeContext& context) {
    const std::string& family = context.project().CpuFamily();
    mr44 = EqualsNoCase(family, "MR44") || EqualsNoCase(family, "MR44A");
  }
  bool mr44 = false;
  const std::string* temp = nullptr;  // of the last file
  const std::string* dir = nullptr;   // its directory
  bool dir_blank = false;
};

void AppendCleanLine(MakeContext& context, const FileState& state, CleanLineState& shared,
                     std::string* out) {
  const SourceFile& file = *state.file;
  if (!state.built || file.HasFlag(SourceFile::kConsumedOutput)) return;
  if (state.custom_build != 0) {
    std::string outputs = context.CBuildOutputText(state, 0);
    // rm without a name would fail the whole Clean.
    if (!outputs.empty()) *out += "\trm " + outputs + "\n";
    return;
  }
  // "+": only for the MR44 family. Views, so that no name's length is counted
  // again for every file.
  using namespace std::string_view_literals;
  static constexpr std::string_view kRemoved[6][8] = {
      {"asm"sv, "i"sv, "rel"sv, "+fal"sv, "+ims"sv, "+irl"sv, "med"sv, {}},  // CC
      {"rel"sv, "+fal"sv, "+ims"sv, "+irl"sv, "med"sv, {}},                  // AS
      {"med"sv, "rel"sv, "asm"sv, "+ims"sv, "+irl"sv, {}},                   // MAC
      {"rel"sv, "asm"sv, "+ims"sv, "+irl"sv, "med"sv, {}},                   // APP
      {"cpl"sv, "rel"sv, {}},                                                // CCL
      {"med"sv, "rel"sv, "eas"sv, "+ims"sv, "+irl"sv, "i"sv, {}},            // MPP
  };
  int kind = file.ToolKind();
  if (!IsCompiledToolIndex(kind)) return;
  if (shared.temp == nullptr || *shared.temp != state.temp()) {
    shared.temp = &state.temp();
    shared.dir = state.temp().empty() ? &context.paths().project_directory()
                                      : &context.paths().FullDirectory(state.temp());
    shared.dir_blank = HasBlank(*shared.dir);
  }
  const std::string& dir = *shared.dir;
  // Written piece by piece: a line for every side file of every source.
  // The lines of a file differ in the extension only: the first one's
  // start is copied for the others.
  bool quoted = shared.dir_blank || HasBlank(file.Title());
  const std::string_view end = quoted ? "\"\n"sv : "\n"sv;
  size_t start = std::string::npos, length = 0;
  for (const std::string_view* extension = kRemoved[kind]; !extension->empty(); ++extension) {
    std::string_view name = *extension;
    if (name[0] == '+') {
      if (!shared.mr44) continue;
      name.remove_prefix(1);
    }
    if (start == std::string::npos) {
      start = out->size();
      out->append(quoted ? "\trm \""sv : "\trm "sv);
      out->append(dir);
      out->append(file.Title());
      out->push_back('.');
      length = out->size() - start;
    } else {
      out->append(*out, start, length);
    }
    out->append(name);
    out->append(end);
  }
}

}  // namespace

void BuildCleanLine(MakeContext& context, const FileState& state, std::string* out) {
  CleanLineState shared(context);
  AppendCleanLine(context, state, shared, out);
}

void BuildCleanLines(MakeContext& context, std::string* out) {
  CleanLineState shared(context);
  const size_t start = out->size();
  bool sized = false;
  for (const FileState& state : context.files()) {
    AppendCleanLine(context, state, shared, out);
    if (!sized && out->size() > start) {
      // The files' lines are alike: room for all of them at once, sized
      // from the first file's, instead of the text copied at each doubling.
      out->reserve(start + (out->size() - start) * (context.files().size() + 1));
      sized = true;
    }
  }
  std::string outputs;
  GetProjectCBuildOutputText(context, 0, &outputs);
  if (!outputs.empty()) *out += "\trm " + outputs + "\n";
}

void BuildFalStep(MakeContext& context, const FileState& state, std::string* out) {
  std::string fal = state.file->Title() + ".fal";
  std::string dir = StripTrailingBackslash(state.temp());
  context.EnsureDirectory(dir);
  *out +=
      "\tcp " + QuoteIfBlank(fal) + " " + QuoteIfBlank(dir + "\\" + fal) + "\n\trm " + fal + "\n";
}

std::string LibrarianCommandFilePath(const Project& project) {
  return ReplaceExtension(project.paths().project_file, "klo");
}

std::string BuildLibrarianCommandText(MakeContext& context) {
  std::string text = "-r\n";
  text +=
      QuoteIfBlank(context.paths().Relative(context.paths().FullPath(GetLibraryPath(context)))) +
      "\n";
  for (const FileState& state : context.files()) {
    if (!state.built) continue;
    const SourceFile& file = *state.file;
    if (IsCompiledToolIndex(file.ToolKind())) {
      if (state.has_output_option)
        context.EnsureDirectory(GetFileDirectory(state.output_argument()));
      text += QuoteIfBlank(ObjectLocation(state)) + "\n";
    } else if (file.ToolKind() == kToolIndexLink && !file.HasFlag(SourceFile::kLinkCommandFile)) {
      text += QuoteIfBlank(context.paths().Relative(file.FullPath())) + "\n";
    }
  }
  return text;
}

void WriteLibrarianCommandFile(MakeContext& context, std::string* argument) {
  std::string path = LibrarianCommandFilePath(context.project());
  std::string text = BuildLibrarianCommandText(context);
  if (context.plan() != nullptr) {
    // The librarian reports a command file it cannot read.
    context.plan()->AddFile({path, ToTextModeFile(text), Durability::kScratch,
                             ReadOnlyRule::kClearedFirst, /*required=*/false});
  }
  *argument = ".\\" + FileNamePart(path);
}

}  // namespace zelvan
