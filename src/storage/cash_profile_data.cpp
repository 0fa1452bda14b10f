#include "storage/cash_profile_data.h"

#include "platform/ansi_text.h"

namespace zelvan {

COneCashProfileData::COneCashProfileData(std::string name) : name_(std::move(name)) {}
COneCashProfileData::~COneCashProfileData() = default;

bool COneCashProfileData::GetValue(std::string_view key, std::string* value) const {
  for (const auto& [name, stored] : values_) {
    if (name == key) {
      *value = stored;
      return true;
    }
  }
  return false;
}

void COneCashProfileData::SetValue(std::string_view key, std::string_view value) {
  for (auto& [name, stored] : values_) {
    if (name == key) {
      stored.assign(value);
      return;
    }
  }
  // A source file caches six keys per target: room for them at once.
  if (values_.empty()) values_.reserve(8);
  values_.emplace_back(std::string(key), std::string(value));
}

CCashProfileData::CCashProfileData() = default;
CCashProfileData::~CCashProfileData() = default;

COneCashProfileData* CCashProfileData::Find(std::string_view section) const {
  for (const auto& one : sections_) {
    if (EqualsNoCase(one->name(), section)) return one.get();
  }
  return nullptr;
}

bool CCashProfileData::SetValue(std::string_view section, std::string_view key,
                                std::string_view value) {
  COneCashProfileData* one = Find(section);
  if (one == nullptr) {
    sections_.push_back(std::make_unique<COneCashProfileData>(std::string(section)));
    one = sections_.back().get();
  }
  one->SetValue(key, value);
  return true;
}

bool CCashProfileData::GetValue(std::string_view section, std::string_view key,
                                std::string* value) const {
  value->clear();
  COneCashProfileData* one = Find(section);
  return one != nullptr && one->GetValue(key, value);
}

bool CCashProfileData::HasSection(std::string_view section) const {
  return Find(section) != nullptr;
}

bool CCashProfileData::RemoveSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (EqualsNoCase((*it)->name(), section)) {
      sections_.erase(it);
      break;
    }
  }
  return true;
}

void CCashProfileData::RemoveAll() {
  sections_.clear();
}

}  // namespace zelvan
