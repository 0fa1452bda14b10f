#include "storage/profile_data.h"

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "storage/profile_functions.h"

namespace zelvan {

ProfileSection::ProfileSection(std::string name) : name_(std::move(name)) {}
ProfileSection::~ProfileSection() = default;

bool ProfileSection::GetValue(std::string_view key, std::string* value) const {
  auto it = index_.find(ToUpperAscii(key));
  if (it == index_.end()) return false;
  *value = values_[it->second].second;
  return true;
}

void ProfileSection::SetValue(std::string_view key, std::string_view value) {
  std::string upper = ToUpperAscii(key);
  auto [it, added] = index_.try_emplace(upper, values_.size());
  if (added) {
    values_.emplace_back(std::move(upper), std::string(value));
  } else {
    values_[it->second].second.assign(value);
  }
}

void ProfileSection::Reserve(size_t count) {
  values_.reserve(values_.size() + count);
  index_.reserve(index_.size() + count);
}

bool ProfileSection::AddValue(std::string_view key, std::string_view value) {
  std::string upper = ToUpperAscii(key);
  auto [it, added] = index_.try_emplace(upper, values_.size());
  if (added) values_.emplace_back(std::move(upper), std::string(value));
  return added;
}

ProfileData::ProfileData() = default;
ProfileData::~ProfileData() = default;

bool ProfileData::Load(FileSystem& fs, std::string_view path) {
  ClearReadOnly(fs, path);  // a failure shows in the read below
  std::string text;
  if (!fs.ReadFile(path, &text)) return false;
  Parse(text);
  path_.assign(path);
  return true;
}

bool ProfileData::Save(FileSystem& fs, std::string_view path, std::string* error) const {
  ClearReadOnly(fs, path);
  Status written = WriteFileAtomic(fs, path, Render());
  if (!written && error != nullptr) *error = written.ToString();
  return written.ok();
}

namespace {

enum class ParsedLine { kSkipped, kSection, kValue };

ParsedLine ClassifyLine(std::string_view line) {
  if (line.empty() || line[0] == '#') return ParsedLine::kSkipped;
  if (line.size() >= 2 && line[0] == '[' && line.back() == ']') return ParsedLine::kSection;
  return line.find('=') == std::string_view::npos ? ParsedLine::kSkipped : ParsedLine::kValue;
}

}  // namespace

void ProfileData::Parse(std::string_view text) {
  // A first pass counts the sections and the value lines of each, so that
  // each section's lists are allocated once at their size.
  std::vector<size_t> value_counts;
  for (size_t pos = 0; pos < text.size();) {
    size_t next;
    ParsedLine kind = ClassifyLine(text.substr(pos, FindLineEnd(text, pos, &next) - pos));
    pos = next;
    if (kind == ParsedLine::kSection) {
      value_counts.push_back(0);
    } else if (kind == ParsedLine::kValue && !value_counts.empty()) {
      ++value_counts.back();
    }
  }
  sections_.reserve(sections_.size() + value_counts.size());
  size_t section_index = 0;
  ProfileSection* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next;
    std::string_view line = text.substr(pos, FindLineEnd(text, pos, &next) - pos);
    pos = next;
    ParsedLine kind = ClassifyLine(line);
    if (kind == ParsedLine::kSection) {
      current = AddSection(line.substr(1, line.size() - 2));
      current->Reserve(value_counts[section_index++]);
      continue;
    }
    if (kind != ParsedLine::kValue || current == nullptr) continue;
    size_t eq = line.find('=');
    current->AddValue(line.substr(0, eq), line.substr(eq + 1));
  }
}

std::string ProfileData::Render() const {
  std::string out;
  for (const auto& section : sections_) {
    out += '[';
    out += section->name();
    out += "]\r\n";
    for (const auto& [key, value] : section->values()) {
      out += key;
      out += '=';
      out += value;
      out += "\r\n";
    }
  }
  return out;
}

void ProfileData::Clear() {
  sections_.clear();
  by_name_.clear();
}

ProfileSection* ProfileData::AddSection(std::string_view name) {
  by_name_[std::string(name)].push_back(sections_.size());
  sections_.push_back(std::make_unique<ProfileSection>(std::string(name)));
  return sections_.back().get();
}

ProfileSection* ProfileData::FindSection(std::string_view name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : sections_[it->second.front()].get();
}

bool ProfileData::GetValue(std::string_view section, std::string_view key,
                           std::string* value) const {
  auto it = by_name_.find(section);
  if (it == by_name_.end()) return false;
  std::string upper = ToUpperAscii(key);
  for (size_t index : it->second) {
    if (sections_[index]->GetValue(upper, value)) return true;
  }
  return false;
}

std::string ProfileData::WriteRefusal(std::string_view section, std::string_view key,
                                      std::string_view value) {
  for (std::string_view text : {section, key, value}) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
      return "a section, key or value may not hold a line break";
    }
  }
  if (key.find('=') != std::string_view::npos) return "a key may not hold '='";
  if (!key.empty() && (key[0] == '#' || key[0] == '[')) {
    return "a key may not start with '#' or '['";
  }
  return std::string();
}

bool ProfileData::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  if (!WriteRefusal(section, key, value).empty()) return false;
  ProfileSection* found = FindSection(section);
  if (found == nullptr) found = AddSection(section);
  found->SetValue(key, value);
  return true;
}

}  // namespace zelvan
