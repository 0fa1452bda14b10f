// The function-database operations the IDE asks the workspace for: the
// entries of one source (from its file, or from the editor's text of it),
// the update of one project with the directories of its sources, and the
// update of the whole workspace. Each starts like every workspace
// operation: without an open workspace, or for a project or file that is
// not there, it fails with the code and message to report (operation_status.h).
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"
#include "scanner/function_database.h"

namespace zelvan {

class Workspace;

// The request record the IDE passes, and what it gets back in it.
struct FunctionDatabaseRequest {
  // The project: output name or project name; empty: the current project.
  std::string project;
  // A source of the project: its path relative to the project, or its full path.
  std::string file;
  // The editor's text of the file (for kFromEditorText).
  std::string text;
  // Only sources in this directory are parsed (UpdateProjectFunctions); empty: all.
  std::string directory;

  // The file's entries as transfer text.
  std::string functions;
  // The directories of the project's sources that take part, in project order.
  std::vector<std::string> directories;
  // Why the function database file could not be written, when it could not.
  std::string write_error;
};

enum class FunctionSourceMode {
  kFromFile = 0,        // brought up to date from the file and the database file
  kFromEditorText = 1,  // parsed from `text`; the file's stored time is kept
};

// The entries of one source as transfer text. False when the source does not
// take part (kStatusBadArgument) or its entries could not be made.
Status GetSourceFunctions(Workspace& workspace, FunctionDatabaseRequest* request,
                          FunctionSourceMode mode);

// Brings the function database of one project up to date and lists the
// directories of its sources. True also when nothing had to be rebuilt.
Status UpdateProjectFunctions(Workspace& workspace, FunctionDatabaseRequest* request);

// Brings the function database of every project of the workspace up to
// date, in workspace order, so that a file shared by projects is parsed once.
Status UpdateWorkspaceFunctions(Workspace& workspace, std::string* write_error = nullptr);

}  // namespace zelvan
