#include "platform/private_profile.h"

#include <climits>
#include <unordered_map>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

enum class EditKind { kSet, kDeleteKey, kDeleteSection };

struct PendingEdit {
  EditKind kind;
  std::string section;
  std::string key;
  std::string value;
};

ProfileText::Edit Apply(ProfileText& text, const PendingEdit& edit) {
  switch (edit.kind) {
    case EditKind::kSet:
      return text.Set(edit.section, edit.key, edit.value);
    case EditKind::kDeleteKey:
      return text.DeleteKey(edit.section, edit.key);
    case EditKind::kDeleteSection:
      return text.DeleteSection(edit.section);
  }
  return ProfileText::Edit::kUnchanged;
}

}  // namespace

class PrivateProfile::Impl {
 public:
  explicit Impl(FileSystem& fs) : fs_(fs) {}

  struct Entry {
    std::string path;     // full path
    bool exists = false;  // a file stood at the path at the last check
    bool is_directory = false;
    bool unreadable = false;  // it exists but could not be read
    FileStatus status;        // of the file when it was last read or written
    std::string disk;         // its bytes then
    ProfileText text;         // `disk` with the pending edits applied
    std::vector<PendingEdit> pending;
  };

  // The entry of `file`, brought up to date with the disk; null for a path
  // that names no file at all.
  Entry* Get(std::string_view file) {
    Entry* entry = Find(file, /*create=*/true);
    if (entry != nullptr) Refresh(*entry);
    return entry;
  }

  Entry* Find(std::string_view file, bool create) {
    // Callers read many values of one file in a row: the last path looked up
    // is remembered as given, with the current directory it was taken against.
    std::string cwd = fs_.GetCurrentDirectory();
    if (memo_entry_ != nullptr && file == memo_path_ && cwd == memo_cwd_) return memo_entry_;
    std::string full;
    if (!GetFullPathName(file, cwd, &full)) return nullptr;
    std::string key = ToLowerAscii(full);
    auto it = entries_.find(key);
    if (it == entries_.end()) {
      if (!create) return nullptr;
      it = entries_.emplace(std::move(key), Entry()).first;
      it->second.path = std::move(full);
      it->second.exists = false;
    }
    memo_path_.assign(file);
    memo_cwd_ = std::move(cwd);
    memo_entry_ = &it->second;
    return &it->second;
  }

  void Refresh(Entry& entry) {
    FileStatus now;
    bool found = fs_.Stat(entry.path, &now);
    bool is_directory = found && now.is_directory;
    bool exists = found && !is_directory;
    if (exists == entry.exists && is_directory == entry.is_directory &&
        (!exists || now.SameVersion(entry.status))) {
      entry.status.read_only = now.read_only;  // an attribute change keeps size and time
      return;
    }
    entry.exists = exists;
    entry.is_directory = is_directory;
    entry.unreadable = false;
    entry.status = now;
    entry.disk.clear();
    if (exists && !fs_.ReadFile(entry.path, &entry.disk)) {
      entry.unreadable = true;
      entry.disk.clear();
    }
    entry.text = ProfileText(entry.disk);
    // Pending writes were made against the old contents: make them again.
    for (const PendingEdit& edit : entry.pending)
      Apply(entry.text, edit);
  }

  void Drop(Entry& entry) {
    memo_entry_ = nullptr;
    memo_path_.clear();
    entries_.erase(ToLowerAscii(entry.path));
  }

  bool Fail(std::string reason) {
    last_error_ = std::move(reason);
    return false;
  }

  // Why `entry` may not be written, or empty.
  std::string WriteBlock(const Entry& entry) const {
    if (entry.is_directory) return "the file is a directory";
    if (entry.unreadable) return "the file cannot be read";
    if (entry.exists && entry.status.read_only) return "the file is read-only";
    return std::string();
  }

  bool Edit(std::string_view file, PendingEdit edit) {
    Entry* entry = Get(file);
    if (entry == nullptr) return Fail("no file name");
    if (edit.kind != EditKind::kSet) {
      // Deleting what does not exist succeeds, even on a file that may not be written.
      bool present = edit.kind == EditKind::kDeleteSection
                         ? entry->text.HasSection(edit.section)
                         : entry->text.Lookup(edit.section, edit.key, &scratch_);
      if (!present) return true;
    }
    std::string block = WriteBlock(*entry);
    if (!block.empty()) return Fail(std::move(block));
    switch (Apply(entry->text, edit)) {
      case ProfileText::Edit::kRefused:
        return Fail(ProfileText::WriteRefusal(edit.section, edit.key, edit.value));
      case ProfileText::Edit::kChanged:
        entry->pending.push_back(std::move(edit));
        break;
      case ProfileText::Edit::kUnchanged:
        break;
    }
    return true;
  }

  bool FlushEntry(Entry& entry) {
    if (entry.pending.empty()) return true;
    Refresh(entry);
    std::string block = WriteBlock(entry);
    if (!block.empty()) {
      Drop(entry);
      return Fail(std::move(block));
    }
    std::string text = entry.text.Render();
    if (text == entry.disk && (entry.exists || text.empty())) {
      entry.pending.clear();  // the edits cancelled out: nothing to write
      return true;
    }
    if (Status written = WriteFileAtomic(fs_, entry.path, text); !written) {
      Drop(entry);
      return Fail("cannot write the file: " + written.ToString());
    }
    FileStatus now;
    entry.exists = fs_.Stat(entry.path, &now) && !now.is_directory;
    entry.status = now;
    entry.disk = std::move(text);
    entry.pending.clear();
    return true;
  }

  FileSystem& fs_;
  std::unordered_map<std::string, Entry> entries_;  // by lower-cased full path
  std::string memo_path_;
  std::string memo_cwd_;
  Entry* memo_entry_ = nullptr;
  std::string last_error_;
  std::string scratch_;
};

PrivateProfile::PrivateProfile(FileSystem& fs) : impl_(std::make_unique<Impl>(fs)) {}

PrivateProfile::~PrivateProfile() {
  FlushAll();
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view default_value, std::string_view file,
                                      size_t buffer_size) {
  std::string value;
  if (!Lookup(section, key, file, &value)) value.assign(default_value);
  if (buffer_size > 0 && value.size() > buffer_size - 1) value.resize(buffer_size - 1);
  return value;
}

bool PrivateProfile::Lookup(std::string_view section, std::string_view key, std::string_view file,
                            std::string* value) {
  Impl::Entry* entry = impl_->Get(file);
  return entry != nullptr && entry->text.Lookup(section, key, value);
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int default_value,
                           std::string_view file) {
  std::string value;
  if (!Lookup(section, key, file, &value)) return default_value;
  size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  long long number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + (value[i] - '0');
    if (number > static_cast<long long>(INT_MAX) + 1) number = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) number = -number;
  if (number > INT_MAX) number = INT_MAX;
  return static_cast<int>(number);
}

bool PrivateProfile::HasSection(std::string_view section, std::string_view file) {
  Impl::Entry* entry = impl_->Get(file);
  return entry != nullptr && entry->text.HasSection(section);
}

std::vector<std::string> PrivateProfile::GetKeyNames(std::string_view section,
                                                     std::string_view file) {
  Impl::Entry* entry = impl_->Get(file);
  return entry == nullptr ? std::vector<std::string>() : entry->text.KeyNames(section);
}

std::vector<std::string> PrivateProfile::GetSectionNames(std::string_view file) {
  Impl::Entry* entry = impl_->Get(file);
  return entry == nullptr ? std::vector<std::string>() : entry->text.SectionNames();
}

std::vector<std::pair<std::string, std::string>> PrivateProfile::GetSection(
    std::string_view section, std::string_view file) {
  Impl::Entry* entry = impl_->Get(file);
  if (entry == nullptr) return {};
  return entry->text.SectionEntries(section);
}

bool PrivateProfile::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value, std::string_view file) {
  std::string refusal = ProfileText::WriteRefusal(section, key, value);
  if (!refusal.empty()) return impl_->Fail(std::move(refusal));
  return impl_->Edit(file, PendingEdit{EditKind::kSet, std::string(section), std::string(key),
                                       std::string(value)});
}

bool PrivateProfile::DeleteKey(std::string_view section, std::string_view key,
                               std::string_view file) {
  return impl_->Edit(file,
                     PendingEdit{EditKind::kDeleteKey, std::string(section), std::string(key), {}});
}

bool PrivateProfile::DeleteSection(std::string_view section, std::string_view file) {
  return impl_->Edit(file, PendingEdit{EditKind::kDeleteSection, std::string(section), {}, {}});
}

bool PrivateProfile::Flush(std::string_view file) {
  Impl::Entry* entry = impl_->Find(file, /*create=*/false);
  return entry == nullptr || impl_->FlushEntry(*entry);
}

bool PrivateProfile::FlushAll() {
  std::vector<std::string> dirty;
  for (const auto& [key, entry] : impl_->entries_) {
    if (!entry.pending.empty()) dirty.push_back(entry.path);
  }
  bool ok = true;
  for (const std::string& path : dirty)
    ok = Flush(path) && ok;
  return ok;
}

void PrivateProfile::Forget(std::string_view file) {
  Impl::Entry* entry = impl_->Find(file, /*create=*/false);
  if (entry == nullptr) return;
  impl_->FlushEntry(*entry);
  // A failed flush has dropped the entry already.
  entry = impl_->Find(file, /*create=*/false);
  if (entry != nullptr) impl_->Drop(*entry);
}

const std::string& PrivateProfile::LastError() const {
  return impl_->last_error_;
}

}  // namespace zelvan
