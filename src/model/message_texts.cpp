#include "model/message_texts.h"

#include <algorithm>
#include <iterator>

#include "model/status_codes.h"
#include "platform/ui_hooks.h"
#include "toolchain/cpu_table.h"

namespace zelvan {

namespace {

struct MessageText {
  unsigned id;
  const char* text;
};

// Sorted by ID.
constexpr MessageText kTexts[] = {
    {5000, "Compile"},
    {5001, "Link"},
    {5002, "Convert"},
    {5003, " Compiler options "},
    {5004, " Linker options "},
    {5005, " Converter options "},
    {5006, "Source Files"},
    {5007, "Functions"},
    {5008, "c;cpp;cxx;cc;asm;eas;mac;app;src;cl;mpp"},
    {5009, "Dependencies"},
    {kMsgCopyFailed,
     "The project could not be copied: its files already exist or cannot be written."},
    {kMsgInvalidType, "The project type must be \"abs\" or \"lib\"."},
    {kMsgIdeBusy, "A build is running. Try again when it has finished."},
    {kMsgNoWorkspace, "No workspace is open."},
    {kMsgProjectExists,
     "A project with this project file or output name is already in the workspace."},
    {kMsgNoOutputOrTargets, "The project names no output file, or it has no build targets."},
    {kMsgProjectNotFound,
     "The project file does not exist, or the project is not in the workspace."},
    {kMsgDependencyFailed, "The include dependencies could not be updated."},
    {kMsgLinkExists, "The project is already in the link list."},
    {kMsgLinkMissing, "The project is not in the link list."},
    {kMsgTargetNotFound, "The build target is not one of the project's targets."},
    {kMsgTargetExists, "A build target of that name already exists."},
    {kMsgCpuNameNotKnown, "The CPU name is not known."},
    {kMsgBadArgument, "An argument is not acceptable."},
    {kMsgMakefileNotWritten, "The makefile could not be written."},
    {kMsgFileExists, "The file %s already exists."},
    {kMsgFileNotInProject, "The file is not in the project."},
    {kMsgInvalidPath,
     "The path is not a valid full path, or the name holds a character that is not allowed."},
    {kMsgFileSettingFailed, "The setting of the file could not be changed."},
    {kMsgOptionsRejected, "The options were rejected by the CPU's driver."},
    {kMsgIndexOutOfRange, "The index is out of range."},
    {kMsgLinkAddFailed, "The project could not be added to the link list."},
    {kMsgLinkRemoveFailed, "The project could not be removed from the link list."},
    {kMsgReadOnlyNotSaved, "These project files are read-only; their changes were not saved:\n%s"},
    {kMsgDependencyFileFailed, "The dependency file could not be read or written."},
    {kMsgStaleDependencies,
     "These files are no longer in the project; their dependency records were dropped:\n%s"},
    {kMsgDependencyUpdateStart, "Updating include dependencies..."},
    {kMsgDependencyUpdateDone, "Include dependencies are up to date."},
    {kMsgOutputPane, "Build Project"},
    {kMsgIncludeNotFound, "Some included files were not found:"},
    {kMsgIncludesNotFoundCount, "%d included files were not found."},
    {kMsgRenameCopyFailed, "The project could not be renamed: its files could not be copied."},
    {kMsgDependencyUpdateCancelled, "The dependency update was cancelled."},
    {kMsgSaveFailed, "These projects could not be saved:\n%s"},
    {kMsgCompilerNotFound, "The compiler %s was not found."},
    {kMsgUnknownCpuMX520,
     "The CPU %s is not installed. Install the MX-520 toolchain and try again."},
    {kMsgUnknownCpu, "The CPU %s is not installed."},
    {kMsgReplaceFile, "The file %s already exists. Replace it?"},
    {kMsgProgress, "%s: %d%%"},
    {kMsgReadOnlyAskCancel,
     "These project files are read-only and cannot be saved:\n%s\nCancel saving? (No saves the "
     "other projects.)"},
    {kMsgInvalidName, "The project name is not valid."},
    {kMsgInvalidMemorySize, "The memory size is not valid for this CPU."},
    {kMsgUnsupportedCpu, "New projects cannot be created for this CPU."},
    {kMsgIncludeTooDeep, "Include files are nested too deeply."},
    {kMsgWorkingCopyFailed, "The working copy of the project file %s could not be made."},
    {kMsgFileNotFound, "The file %s does not exist."},
    {kMsgFileInProject, "The file %s is already in the project."},
    {kMsgFileNotAdded, "The file %s could not be added to the project: %s."},
    {kMsgProjectNotRead,
     "The project file %s cannot be read and is left out of the workspace: %s."},
    {kMsgTargetSettingFailed, "The setting of the build target could not be changed."},
    {kMsgNoLinkCommandFile, "The project %s uses no link command file for the target %s."},
    {kMsgLinkCommandFileUnreadable, "The link command file %s cannot be read."},
    {kMsgSymbolHasNoValue, "The symbol %s has no numeric value in %s."},
    {kMsgTemplateUnreadable, "The template file %s cannot be read."},
    {kMsgTemplateEntryRefused,
     "The template entry %s names a file outside its folder (a full path, a drive or \"..\")."},
    {kMsgFileNotWritten, "The file %s was not written: %s."},
    {kMsgWorkspaceStateNotSaved,
     "The workspace settings could not be saved; the workspace was left as it was."},
    {kMsgOldFileNotDeleted, "The file %s of the renamed project could not be deleted."},
    {kMsgTemplateMacroEndless,
     "The macros of %s do not come to an end: a macro names itself, or the text grows past "
     "16 MB."},
    {kMsgNotAvailable, "%s is not available in this version of the service."},
    {kMsgNotConnected, "The IDE's %s is not connected."},
    {kMsgArchiveFailed, "Source control did not carry out the action on %s."},
    {kMsgStopped, "The operation was stopped; nothing was written."},
    {kMsgFrameTitle, "KOVA"},
    {kMsgErrorTitle, "Build Project Service"},
};

}  // namespace

const char* DefaultMessageText(unsigned id) {
  auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), id,
                             [](const MessageText& m, unsigned value) { return m.id < value; });
  if (it == std::end(kTexts) || it->id != id) return nullptr;
  return it->text;
}

std::vector<unsigned> DefaultMessageIds() {
  std::vector<unsigned> ids;
  for (const MessageText& m : kTexts)
    ids.push_back(m.id);
  return ids;
}

std::string FormatMessageText(std::string_view text, std::span<const std::string_view> args) {
  std::string out;
  out.reserve(text.size());
  auto next = args.begin();
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '%' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    char conversion = text[i + 1];
    if (conversion == '%') {
      out += '%';
      ++i;
    } else if (conversion == 's' || conversion == 'd') {
      if (next != args.end()) out.append(*next++);
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string LoadMessage(UiHooks& ui, unsigned id) {
  std::string text = ui.LoadString(id);
  if (!text.empty()) return text;
  if (const char* builtin = DefaultMessageText(id)) return builtin;
  return "Message " + std::to_string(id);
}

std::string LoadMessage(UiHooks& ui, unsigned id, std::initializer_list<std::string_view> args) {
  return FormatMessageText(LoadMessage(ui, id), args);
}

std::string LoadMessage(UiHooks& ui, unsigned id, const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  return FormatMessageText(LoadMessage(ui, id), views);
}

}  // namespace zelvan
