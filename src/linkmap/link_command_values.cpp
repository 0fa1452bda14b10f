#include "linkmap/link_command_values.h"

#include "linkmap/link_command_file.h"
#include "model/one_project_data.h"
#include "model/one_source_file.h"
#include "model/status_codes.h"

namespace zelvan {

namespace {

// Analyses the file and answers from the outer or the sections map.
bool AnswerFrom(CProjectData& workspace, const std::string& path, std::string_view symbol,
                bool sections, uint32_t* value) {
  CAnalizeLinkCommandFile lcf(path);
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

bool GetSectionsValue(CProjectData& workspace, ArgText project, ArgText target, ArgText symbol,
                      uint32_t* value) {
  if (!workspace.BeginOperation({project, target, symbol})) return false;
  COneProjectData* owner = nullptr;
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
    if (!owner->HasTarget(name)) name = owner->CurrentTarget();
  }
  if (!owner->HasTarget(name)) {
    workspace.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return false;
  }
  std::string spelling(owner->TargetSpelling(name));
  const COneSourceFile* lcf = owner->FindLinkCommandFile(spelling);
  if (lcf == nullptr) {
    workspace.SetStatus(kStatusNoLinkCommandFile, kMsgNoLinkCommandFile,
                        {owner->OutputName(), spelling});
    return false;
  }
  return AnswerFrom(workspace, lcf->FullPath(), *symbol, true, value);
}

bool GetOuterValue(CProjectData& workspace, ArgText lcf_path, ArgText symbol, uint32_t* value) {
  workspace.ClearStatus();
  if (!lcf_path || !symbol) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  return AnswerFrom(workspace, std::string(*lcf_path), *symbol, false, value);
}

}  // namespace zelvan
