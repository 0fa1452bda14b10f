#include "linkmap/link_command_values.h"

#include "linkmap/link_command_file.h"
#include "model/operation_status.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "platform/file_system.h"

namespace zelvan {

namespace {

// Analyses the file and answers from the outer or the sections map.
Status AnswerFrom(Workspace& workspace, const std::string& path, std::string_view symbol,
                  bool sections, uint32_t* value) {
  LinkCommandFileParser lcf(path);
  if (!lcf.AnalyzeLinkCommandFile(*workspace.platform().fs)) {
    return OperationFailure(kStatusLinkCommandFileUnreadable, kMsgLinkCommandFileUnreadable,
                            {path});
  }
  if (!(sections ? lcf.GetSectionsValue(symbol, value) : lcf.GetOuterValue(symbol, value))) {
    return OperationFailure(kStatusSymbolHasNoValue, kMsgSymbolHasNoValue,
                            {std::string(symbol), path});
  }
  return Status::OK();
}

}  // namespace

Status GetSectionsValue(Workspace& workspace, ArgText project, ArgText target, ArgText symbol,
                        uint32_t* value) {
  if (Status begun = CheckOperation(workspace, {project, target, symbol}); !begun) return begun;
  Project* owner = nullptr;
  if (project->empty()) {
    owner = workspace.selection().CurrentProject();
  } else {
    std::string file;
    if (workspace.projects().ResolveFile(*project, &file))
      owner = workspace.projects().FindByFile(file);
    if (owner == nullptr) owner = workspace.projects().Find(*project);
  }
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  std::string_view name = *target;
  if (name.empty()) {
    name = workspace.selection().CurrentTarget();
    if (!owner->targets().Has(name)) name = owner->targets().Current();
  }
  if (!owner->targets().Has(name))
    return OperationFailure(kStatusTargetNotFound, kMsgTargetNotFound);
  std::string spelling(owner->targets().Spelling(name));
  const SourceFile* lcf = owner->sources().FindLinkCommandFile(spelling);
  if (lcf == nullptr) {
    return OperationFailure(kStatusNoLinkCommandFile, kMsgNoLinkCommandFile,
                            {std::string(owner->paths().output_name), spelling});
  }
  return AnswerFrom(workspace, lcf->FullPath(), *symbol, true, value);
}

Status GetOuterValue(Workspace& workspace, ArgText lcf_path, ArgText symbol, uint32_t* value) {
  if (!lcf_path || !symbol) return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  return AnswerFrom(workspace, std::string(*lcf_path), *symbol, false, value);
}

}  // namespace zelvan
