#include "linkmap/link_command_values.h"

#include "linkmap/link_command_file.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"

namespace zelvan {

namespace {

// Analyses the file and answers from the outer or the sections map.
bool AnswerFrom(Workspace& workspace, const std::string& path, std::string_view symbol,
                bool sections, uint32_t* value) {
  LinkCommandFileParser lcf(path);
  if (!lcf.AnalyzeLinkCommandFile(*workspace.platform().fs)) {
    workspace.SetStatus(kStatusLinkCommandFileUnreadable, kMsgLinkCommandFileUnreadable, {path});
    return false;
  }
  if (!(sections ? lcf.GetSectionsValue(symbol, value) : lcf.GetOuterValue(symbol, value))) {
    workspace.SetStatus(kStatusSymbolHasNoValue, kMsgSymbolHasNoValue, {symbol, path});
    return false;
  }
  return true;
}

}  // namespace

bool GetSectionsValue(Workspace& workspace, ArgText project, ArgText target, ArgText symbol,
                      uint32_t* value) {
  if (!workspace.BeginOperation({project, target, symbol})) return false;
  Project* owner = nullptr;
  if (project->empty()) {
    owner = workspace.CurrentProject();
  } else {
    std::string file;
    if (workspace.ResolveProjectFile(*project, &file)) owner = workspace.FindProjectByFile(file);
    if (owner == nullptr) owner = workspace.FindProject(*project);
  }
  if (owner == nullptr) {
    workspace.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    return false;
  }
  std::string_view name = *target;
  if (name.empty()) {
    name = workspace.CurrentTarget();
    if (!owner->targets().Has(name)) name = owner->targets().Current();
  }
  if (!owner->targets().Has(name)) {
    workspace.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return false;
  }
  std::string spelling(owner->targets().Spelling(name));
  const SourceFile* lcf = owner->sources().FindLinkCommandFile(spelling);
  if (lcf == nullptr) {
    workspace.SetStatus(kStatusNoLinkCommandFile, kMsgNoLinkCommandFile,
                        {owner->paths().output_name, spelling});
    return false;
  }
  return AnswerFrom(workspace, lcf->FullPath(), *symbol, true, value);
}

bool GetOuterValue(Workspace& workspace, ArgText lcf_path, ArgText symbol, uint32_t* value) {
  workspace.ClearStatus();
  if (!lcf_path || !symbol) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  return AnswerFrom(workspace, std::string(*lcf_path), *symbol, false, value);
}

}  // namespace zelvan
