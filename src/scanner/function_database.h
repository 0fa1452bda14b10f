// The function database: for each source of a project, the functions the
// source defines (declaration_parser.h), kept on the source file with the
// file's modification time, and saved per project in the function database
// file so that only sources that changed since are parsed again.
//
// Only sources with the ListedExtension flag take part; for the others every
// operation here except ParseFunctions does nothing and returns false.
//
// Function database file (the project's ".kfv", profile syntax, CR LF): one
// section per source, named by its path relative to the project, with the
// time the entries were found, their number and the entries in stored form
// (model/function_database_entry.h). Keys are read without regard to case.
//
//   [src\motor.c]
//   DTIME=20240309140500
//   COUNT=2
//   DATA0=3;void;motor_init;9;1;void;
//   DATA1=3;void;motor_set_speed;16;1;q15 speed;
//
// A section is taken only whole and only for the file's current time: a
// missing or unreadable count or entry marks it damaged, and its source is
// parsed again. Whenever an update rebuilt a source the file is written
// again, whole and atomically, from the entries in memory, which drops
// damaged sections and those of sources no longer listed.
//
// Transfer text of one source (between projects and to the IDE): the time,
// the number of entries, then each entry in stored form, each line ended by
// "\n":
//
//   20240309140500
//   1
//   3;void;motor_init;9;1;void;
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/local_time.h"

namespace zelvan {

class Workspace;
class Project;
class SourceFile;
class FileReader;

// A file's modification time as the function database keeps it:
// "%04d%02d%02d%02d%02d%02d".
std::string FormatFunctionTime(const LocalTime& time);
// The current time of the file at `path`; false (and empty) when its status
// cannot be read.
bool ReadFunctionTime(FileReader& fs, std::string_view path, std::string* time);

// The directory of a full path, up to its last `\` ("X:" gets its `\`);
// empty for a path without one.
std::string SourceDirectory(std::string_view full_path);
// Appends the directory of `full_path` unless the list holds it (letter
// case ignored).
void AddSourceDirectory(std::string_view full_path, std::vector<std::string>* directories);

// The source takes part and its entries were found for its current time.
bool IsFunctionDataCurrent(FileReader& fs, const SourceFile& file);

// The transfer text of a source's entries.
std::string GetFunctionDatabaseText(const SourceFile& file);
// The same, only when the entries are current (the file is not newer than
// the function list's time); false otherwise.
bool GetCurrentFunctionDatabaseText(FileReader& fs, const SourceFile& file, std::string* text);
// Takes the entries of a transfer text. Their time is the one the text
// gives, so entries found for an older version of the file count as stale
// and are rebuilt by the next update; it is empty when the file's status
// cannot be read. False, with no entries and no time, for a text with too
// few lines or a damaged entry.
bool SetFunctionDatabase(FileReader& fs, SourceFile& file, std::string_view text);

// Parses the source file itself (whether or not it takes part), writing
// progress lines to the IDE's output pane. With `directory_filter`, a source
// in another directory is left as it is (true); a path without a directory
// gives false. False, with no entries, when the file cannot be read or its
// scan fails. Sets the function list's time to the time the file had when it was read.
bool ParseFunctions(Workspace& workspace, SourceFile& file,
                    const std::string* directory_filter = nullptr);
// Parses the editor's text of the file, or another file, in place of the
// file itself; the function list's time is not touched.
bool ParseFunctionsFromText(SourceFile& file, std::string_view text);
bool ParseFunctionsFromPath(FileReader& fs, SourceFile& file, std::string_view path);

struct FunctionUpdateOptions {
  // Only sources in this directory are parsed (ParseFunctions); empty: all.
  std::string directory_filter;
  // Parse every source again, trusting neither the database file nor the
  // other projects.
  bool parse_all = false;
  // Write the database file with what was parsed (a command that only
  // reads keeps it in memory).
  bool write = true;
};

// What an update did with the sources it did not find current.
struct FunctionUpdateCounts {
  int loaded = 0;       // taken from the function database file
  int transferred = 0;  // taken from another project with the same file
  int parsed = 0;       // parsed
  int failed = 0;       // could not be parsed (no entries)
};

// Brings the entries of every taking part source of `project` up to date:
// from the function database file when its section is current, else from
// another project of the workspace that has the same file current (unless
// the setting "TreeViewFunction" is 0), else by parsing. True when some
// source was rebuilt; the database file is then written again. A failed
// write leaves the old file and its reason in `write_error` (when given).
bool UpdateFunctionDatabase(Workspace& workspace, Project& project,
                            const FunctionUpdateOptions& options = {},
                            FunctionUpdateCounts* counts = nullptr,
                            std::string* write_error = nullptr);

// The same for one source: entries that are not current are loaded from the
// database file, else rebuilt, and a rebuilt source's section is written.
// True when entries were loaded or rebuilt; false when the source does not
// take part or its status cannot be read.
bool RefreshFunctionDatabase(Workspace& workspace, SourceFile& file,
                             const FunctionUpdateOptions& options = {},
                             FunctionUpdateCounts* counts = nullptr,
                             std::string* write_error = nullptr);

// The setting "TreeViewFunction" of the service (a registry value beside
// BuildMake; missing: 1).
bool TreeViewFunction(Workspace& workspace);

}  // namespace zelvan
