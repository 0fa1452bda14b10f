#include "scanner/function_database.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "model/project.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "scanner/declaration_parser.h"
#include "storage/profile_data.h"
#include "toolchain/installation.h"

namespace zelvan {

namespace {

constexpr std::string_view kTimeKey = "DTime";
constexpr std::string_view kCountKey = "Count";
// More entries than any source defines: a count beyond it is damage.
constexpr int32_t kMaxEntries = 1 << 20;

std::string DataKey(int32_t index) {
  return StringPrintf("data%d", index);
}

bool TakesPart(const SourceFile& file) {
  return file.HasFlag(SourceFile::kListedExtension);
}

void Clear(SourceFile& file) {
  file.function_list().entries.clear();
  file.function_list().time.clear();
}

// Entries of a section, whole or not at all. With `current_time` the
// section counts only when it was written for that time.
bool LoadSection(const ProfileData& database, SourceFile& file, const std::string* current_time) {
  const ProfileSection* section = database.FindSection(file.RelativePath());
  if (section == nullptr) return false;
  std::string time, count_text;
  if (!section->GetValue(kTimeKey, &time) || time.empty()) return false;
  if (current_time != nullptr && time != *current_time) return false;
  int32_t count = 0;
  section->GetValue(kCountKey, &count_text);
  const char* end = count_text.data() + count_text.size();
  auto [stop, error] = std::from_chars(count_text.data(), end, count);
  if (error != std::errc() || stop != end || count < 0 || count > kMaxEntries) return false;
  std::vector<FunctionDatabaseEntry> functions(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    std::string stored;
    if (!section->GetValue(DataKey(i), &stored) || !functions[i].ReadStoredForm(stored)) {
      return false;
    }
  }
  file.function_list().entries = std::move(functions);
  file.function_list().time = std::move(time);
  return true;
}

// Writes a source's section; nothing for a source without a time.
void StoreSection(ProfileData* database, const SourceFile& file) {
  if (file.function_list().time.empty()) return;
  const std::string& section = file.RelativePath();
  database->SetValue(section, kTimeKey, file.function_list().time);
  database->SetValue(section, kCountKey, std::to_string(file.function_list().entries.size()));
  for (size_t i = 0; i < file.function_list().entries.size(); ++i) {
    database->SetValue(section, DataKey(static_cast<int32_t>(i)),
                       file.function_list().entries[i].StoredForm());
  }
}

bool SaveDatabase(FileSystem& fs, const Project& project, const ProfileData& database,
                  std::string* write_error) {
  std::string error;
  if (database.Save(fs, project.paths().function_database, &error)) return true;
  if (write_error != nullptr) {
    *write_error = "the function database " + project.paths().function_database +
                   " could not be written: " + error;
  }
  return false;
}

// The entries of the same file from another project whose entries are current.
bool TakeFromOtherProject(Workspace& workspace, SourceFile& file) {
  FileSystem& fs = *workspace.platform().fs;
  for (const auto& project : workspace.projects().All()) {
    if (project.get() == &file.OwnerProject()) continue;
    const SourceFile* same = project->sources().Find(file.FullPath());
    std::string text;
    if (same != nullptr && IsFunctionDataCurrent(fs, *same) &&
        GetCurrentFunctionDatabaseText(fs, *same, &text)) {
      return SetFunctionDatabase(fs, file, text);
    }
  }
  return false;
}

// Entries of a source that are not current, from another project or by
// parsing; counted.
void Rebuild(Workspace& workspace, SourceFile& file, const FunctionUpdateOptions& options,
             bool transfer, FunctionUpdateCounts* counts) {
  Clear(file);
  if (!options.parse_all && transfer && TakeFromOtherProject(workspace, file)) {
    ++counts->transferred;
    return;
  }
  const std::string* filter =
      options.directory_filter.empty() ? nullptr : &options.directory_filter;
  if (filter != nullptr && !EqualsNoCase(SourceDirectory(file.FullPath()), *filter)) return;
  if (ParseFunctions(workspace, file, filter)) {
    ++counts->parsed;
  } else {
    ++counts->failed;
  }
}

}  // namespace

std::string FormatFunctionTime(const LocalTime& time) {
  return StringPrintf("%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day, time.hour,
                      time.minute, time.second);
}

bool ReadFunctionTime(FileReader& fs, std::string_view path, std::string* time) {
  FileStatus status;
  if (!fs.Stat(path, &status) || status.is_directory) {
    time->clear();
    return false;
  }
  *time = FormatFunctionTime(status.mtime_local);
  return true;
}

std::string SourceDirectory(std::string_view full_path) {
  size_t slash = full_path.rfind('\\');
  if (slash == std::string_view::npos) return std::string();
  std::string directory(full_path.substr(0, slash));
  if (directory.size() == 2 && directory[1] == ':') directory += '\\';
  return directory;
}

void AddSourceDirectory(std::string_view full_path, std::vector<std::string>* directories) {
  std::string directory = SourceDirectory(full_path);
  if (directory.empty()) return;
  for (const std::string& known : *directories) {
    if (EqualsNoCase(known, directory)) return;
  }
  directories->push_back(std::move(directory));
}

bool IsFunctionDataCurrent(FileReader& fs, const SourceFile& file) {
  std::string time;
  return TakesPart(file) && !file.function_list().time.empty() &&
         ReadFunctionTime(fs, file.FullPath(), &time) && time == file.function_list().time;
}

std::string GetFunctionDatabaseText(const SourceFile& file) {
  std::string text =
      file.function_list().time + "\n" + std::to_string(file.function_list().entries.size()) + "\n";
  for (const FunctionDatabaseEntry& entry : file.function_list().entries) {
    text += entry.StoredForm();
    text += '\n';
  }
  return text;
}

bool GetCurrentFunctionDatabaseText(FileReader& fs, const SourceFile& file, std::string* text) {
  std::string time;
  if (!TakesPart(file) || !ReadFunctionTime(fs, file.FullPath(), &time) ||
      time > file.function_list().time) {
    return false;
  }
  *text = GetFunctionDatabaseText(file);
  return true;
}

bool SetFunctionDatabase(FileReader& fs, SourceFile& file, std::string_view text) {
  Clear(file);
  if (!TakesPart(file)) return false;
  std::vector<std::string> lines = SplitAll(text, '\n');
  if (lines.size() < 2) return false;
  int32_t count = 0;
  const char* end = lines[1].data() + lines[1].size();
  auto [stop, error] = std::from_chars(lines[1].data(), end, count);
  if (error != std::errc() || stop != end || count < 0 ||
      static_cast<size_t>(count) > lines.size() - 2) {
    return false;
  }
  std::vector<FunctionDatabaseEntry> functions(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (!functions[i].ReadStoredForm(lines[2 + i])) return false;
  }
  file.function_list().entries = std::move(functions);
  std::string current;
  if (ReadFunctionTime(fs, file.FullPath(), &current)) file.function_list().time = lines[0];
  return true;
}

bool ParseFunctions(Workspace& workspace, SourceFile& file, const std::string* directory_filter) {
  if (directory_filter != nullptr) {
    std::string directory = SourceDirectory(file.FullPath());
    if (directory.empty()) return false;
    if (!EqualsNoCase(directory, *directory_filter)) return true;
  }
  Clear(file);
  // One line per percent. The percentage is worked out only when the
  // position reaches the next step, not for every character.
  ProgressWriter& progress = workspace.progress();
  progress.Reset();
  uint64_t next_step = 0;
  auto report = [&](const std::string& name, uint32_t position, uint32_t length) {
    if (position < next_step || length == 0) return;
    progress.Write(workspace.ide(), *workspace.platform().ui, name, position, length);
    uint64_t percent = uint64_t{position} * 100 / length;
    next_step = ((percent + 1) * length + 99) / 100;
  };
  FileSystem& fs = *workspace.platform().fs;
  // The time before the text: a change while the file is read then shows
  // as a newer time at the next update, instead of being taken as seen.
  std::string time;
  ReadFunctionTime(fs, file.FullPath(), &time);
  std::vector<FunctionDatabaseEntry> functions;
  if (!ParseFunctionsInFile(fs, file.FullPath(), report, &functions)) return false;
  file.function_list().entries = std::move(functions);
  file.function_list().time = std::move(time);
  return true;
}

bool ParseFunctionsFromText(SourceFile& file, std::string_view text) {
  if (!TakesPart(file)) return false;
  file.function_list().entries.clear();
  return ParseFunctionsInText(text, &file.function_list().entries);
}

bool ParseFunctionsFromPath(FileReader& fs, SourceFile& file, std::string_view path) {
  if (!TakesPart(file)) return false;
  file.function_list().entries.clear();
  return ParseFunctionsInFile(fs, path, nullptr, &file.function_list().entries);
}

bool TreeViewFunction(Workspace& workspace) {
  uint32_t value = 1;
  Registry* registry = workspace.platform().registry;
  if (registry == nullptr ||
      !registry->ReadDword(kBuilderRegistryKey, "TreeViewFunction", &value)) {
    return true;
  }
  return value != 0;
}

bool UpdateFunctionDatabase(Workspace& workspace, Project& project,
                            const FunctionUpdateOptions& options, FunctionUpdateCounts* counts,
                            std::string* write_error) {
  FunctionUpdateCounts own_counts;
  if (counts == nullptr) counts = &own_counts;
  FileSystem& fs = *workspace.platform().fs;
  bool transfer = TreeViewFunction(workspace);
  ProfileData database;
  if (!options.parse_all) database.Load(fs, project.paths().function_database);
  bool rebuilt = false;
  for (const auto& source : project.sources().Files()) {
    SourceFile& file = *source;
    if (!TakesPart(file) || (!options.parse_all && IsFunctionDataCurrent(fs, file))) continue;
    Clear(file);
    std::string current;
    ReadFunctionTime(fs, file.FullPath(), &current);
    if (!options.parse_all && !current.empty() && LoadSection(database, file, &current)) {
      ++counts->loaded;
      continue;
    }
    Rebuild(workspace, file, options, transfer, counts);
    rebuilt = true;
  }
  if (!rebuilt) return false;
  // The whole file again, from what the sources hold now.
  ProfileData written;
  for (const auto& file : project.sources().Files()) {
    if (TakesPart(*file)) StoreSection(&written, *file);
  }
  if (options.write) SaveDatabase(fs, project, written, write_error);
  return true;
}

bool RefreshFunctionDatabase(Workspace& workspace, SourceFile& file,
                             const FunctionUpdateOptions& options, FunctionUpdateCounts* counts,
                             std::string* write_error) {
  FunctionUpdateCounts own_counts;
  if (counts == nullptr) counts = &own_counts;
  FileSystem& fs = *workspace.platform().fs;
  std::string current;
  if (!TakesPart(file) || !ReadFunctionTime(fs, file.FullPath(), &current)) return false;
  const Project& project = file.OwnerProject();
  ProfileData database;
  database.Load(fs, project.paths().function_database);
  bool loaded = false;
  if (file.function_list().time.empty() && !options.parse_all &&
      LoadSection(database, file, nullptr)) {
    ++counts->loaded;
    loaded = true;
  }
  if (!options.parse_all && file.function_list().time == current) return loaded;
  if (loaded) --counts->loaded;
  Rebuild(workspace, file, options, TreeViewFunction(workspace), counts);
  // The other sections as they were, this one in its place (or at the end).
  ProfileData written;
  bool stored = false;
  for (const auto& section : database.sections()) {
    if (EqualsNoCase(section->name(), file.RelativePath())) {
      if (!stored) StoreSection(&written, file);
      stored = true;
      continue;
    }
    for (const auto& [key, value] : section->values())
      written.SetValue(section->name(), key, value);
  }
  if (!stored) StoreSection(&written, file);
  if (options.write) SaveDatabase(fs, project, written, write_error);
  return true;
}

}  // namespace zelvan
