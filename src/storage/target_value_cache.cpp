#include "storage/target_value_cache.h"

#include "platform/ansi_text.h"

namespace zelvan {

CachedSection::CachedSection(std::string name) : name_(std::move(name)) {}
CachedSection::~CachedSection() = default;

bool CachedSection::GetValue(std::string_view key, std::string* value) const {
  for (size_t at = 0; at < entries_.size();) {
    Entry entry = EntryAt(at);
    if (entry.key == key) {
      value->assign(entry.value);
      return true;
    }
    at = entry.end;
  }
  return false;
}

void CachedSection::SetValue(std::string_view key, std::string_view value) {
  const uint32_t sizes[2] = {static_cast<uint32_t>(key.size()),
                             static_cast<uint32_t>(value.size())};
  for (size_t at = 0; at < entries_.size();) {
    Entry entry = EntryAt(at);
    if (entry.key == key) {
      const size_t value_at = static_cast<size_t>(entry.value.data() - entries_.data());
      entries_.replace(value_at, entry.value.size(), value);
      std::memcpy(entries_.data() + at, sizes, sizeof sizes);
      return;
    }
    at = entry.end;
  }
  // A source file caches six keys per target: room for them at once.
  if (entries_.empty()) entries_.reserve(128);
  entries_.append(reinterpret_cast<const char*>(sizes), sizeof sizes);
  entries_.append(key);
  entries_.append(value);
}

TargetValueCache::TargetValueCache() = default;
TargetValueCache::~TargetValueCache() = default;

CachedSection* TargetValueCache::Find(std::string_view section) const {
  for (const auto& one : sections_) {
    if (one->name().size() == section.size() && EqualsNoCase(one->name(), section)) {
      return one.get();
    }
  }
  return nullptr;
}

bool TargetValueCache::SetValue(std::string_view section, std::string_view key,
                                std::string_view value) {
  CachedSection* one = Find(section);
  if (one == nullptr) {
    sections_.push_back(std::make_unique<CachedSection>(std::string(section)));
    one = sections_.back().get();
  }
  one->SetValue(key, value);
  return true;
}

bool TargetValueCache::GetValue(std::string_view section, std::string_view key,
                                std::string* value) const {
  value->clear();
  CachedSection* one = Find(section);
  return one != nullptr && one->GetValue(key, value);
}

bool TargetValueCache::HasSection(std::string_view section) const {
  return Find(section) != nullptr;
}

bool TargetValueCache::RemoveSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (EqualsNoCase((*it)->name(), section)) {
      sections_.erase(it);
      break;
    }
  }
  return true;
}

void TargetValueCache::RemoveAll() {
  sections_.clear();
}

}  // namespace zelvan
