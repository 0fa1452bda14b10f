// What a generation writes: the folders its rules name and the files it
// makes beside its text (a librarian command file, command records, the
// makefile itself). Generators only fill a plan; ApplyOutputPlan is the one
// place that writes it, so a text that is only looked at never touches the
// disk and a failed write leaves nothing half made.
//
//   OutputPlan plan;
//   GenerateKmakeText(workspace, project, cpus, mode, target, clean, &text, &plan);
//   plan.AddFile({path, ToTextModeFile(text), Durability::kDurable, ReadOnlyRule::kClearedFirst});
//   if (Status written = ApplyOutputPlan(fs, plan); !written) ...
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace zelvan {

// What a write does to a read-only file.
enum class ReadOnlyRule {
  kRefused,       // it stays, the write fails
  kReplaced,      // WriteOptions::replace_read_only
  kClearedFirst,  // cleared before the write, set again when the write fails
};

struct PlannedFile {
  PlannedFile(std::string file_path, std::string file_contents,
              Durability file_durability = Durability::kDurable,
              ReadOnlyRule read_only_rule = ReadOnlyRule::kRefused, bool is_required = true)
      : path(std::move(file_path)),
        contents(std::move(file_contents)),
        durability(file_durability),
        read_only(read_only_rule),
        required(is_required) {}

  std::string path;
  std::string contents;  // the bytes as they go to disk
  Durability durability = Durability::kDurable;
  ReadOnlyRule read_only = ReadOnlyRule::kRefused;
  // A file the result stands on. Any other (a command record, a librarian
  // command file) is left out when it cannot be written: the build that
  // needs it says so.
  bool required = true;
};

struct OutputPlan {
  // Full directory paths, each once (ASCII case ignored), in the order asked.
  std::vector<std::string> folders;
  // In the order written; the main output goes last.
  std::vector<PlannedFile> files;

  void AddFolder(std::string_view path);
  void AddFile(PlannedFile file) { files.push_back(std::move(file)); }

 private:
  std::unordered_set<std::string> folder_keys_;
};

// Creates the missing folders, then writes every file atomically
// (WriteFileAtomic). A folder that cannot be made is left for the build to
// show, as is an optional file that cannot be written. When a required file
// cannot be written, what the plan already wrote is undone: new files and
// folders are removed, replaced files get their old contents back, and the
// failed write's Status (its step and the system's reason) is returned.
Status ApplyOutputPlan(FileSystem& fs, const OutputPlan& plan);

}  // namespace zelvan
