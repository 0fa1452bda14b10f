#include "analysis/include_file_cache.h"

#include "analysis/include_line.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

std::vector<IncludeLine> ParseIncludeLines(std::string_view text, IncludeReading reading) {
  std::vector<IncludeLine> lines;
  TextLineReader reader(text);
  CCommentRemover comments;
  std::string_view line;
  std::string name;
  int form = 0;
  std::string buffer;
  while (reader.Next(&line)) {
    // Most lines hold no include at all, so the cleaning is done only where
    // it can change something: the comment state changes only at "/*"
    // outside a comment and at "*/" inside one, and dropping the rest of a
    // line after "//" cannot make an include appear.
    std::string_view cleaned = line;
    if (reading == IncludeReading::kC) {
      if (comments.in_block_comment()) {
        if (line.find("*/") == std::string_view::npos) continue;
      } else if (line.find('/') == std::string_view::npos ||
                 line.find("/*") == std::string_view::npos) {
        if (line.find("include") == std::string_view::npos) continue;
      }
      if (comments.in_block_comment() || line.find('/') != std::string_view::npos) {
        comments.RemoveComments(line, &buffer);
        cleaned = buffer;
      }
    } else {
      if (FindNoCase(line, "include") == std::string_view::npos) continue;
      buffer = CleanAsmLine(line);
      cleaned = buffer;
    }
    if (cleaned.find("include") == std::string_view::npos) continue;
    if (!ParseIncludeLine(cleaned, &name, &form)) continue;
    IncludeLine& entry = lines.emplace_back();
    entry.line_number = reader.line_number();
    entry.form = form;
    entry.name = name;
    entry.text.assign(line);
  }
  return lines;
}

bool IncludeFileCache::FileExists(std::string_view path) {
  size_t separator = FindLastSeparator(path);
  if (separator != std::string_view::npos && separator + 1 < path.size()) {
    if (const auto* listing = ListingOf(path.substr(0, separator + 1))) {
      name_buffer_.assign(path.substr(separator + 1));
      for (char& c : name_buffer_)
        c = ToLowerAscii(c);
      return listing->count(name_buffer_) != 0;
    }
  }
  auto it = exists_.find(path);
  if (it != exists_.end()) return it->second;
  ++existence_checks_;
  bool exists = zelvan::FileExists(fs_, path);
  exists_.emplace(std::string(path), exists);
  return exists;
}

const std::unordered_set<std::string>* IncludeFileCache::ListingOf(std::string_view dir) {
  auto it = listings_.find(dir);
  if (it != listings_.end()) return it->second.get();
  ++existence_checks_;
  Listing listing;
  std::vector<DirectoryEntry> entries;
  if (fs_.ListDirectory(dir, "*", &entries)) {
    listing = std::make_unique<std::unordered_set<std::string>>();
    for (const DirectoryEntry& entry : entries) {
      if (!entry.is_directory) listing->insert(ToLowerAscii(entry.name));
    }
  }
  const std::unordered_set<std::string>* result = listing.get();
  listings_.emplace(std::string(dir), std::move(listing));
  return result;
}

const std::vector<IncludeLine>* IncludeFileCache::Lines(std::string_view path,
                                                        IncludeReading reading) {
  LineMap& map = lines_[static_cast<int>(reading)];
  auto it = map.find(path);
  if (it != map.end()) return it->second.get();
  std::unique_ptr<std::vector<IncludeLine>> lines;
  std::string text;
  ++files_read_;
  if (fs_.ReadFile(path, &text)) {
    lines = std::make_unique<std::vector<IncludeLine>>(ParseIncludeLines(text, reading));
  }
  const std::vector<IncludeLine>* result = lines.get();
  map.emplace(std::string(path), std::move(lines));
  return result;
}

void IncludeFileCache::Clear() {
  exists_.clear();
  listings_.clear();
  lines_[0].clear();
  lines_[1].clear();
  files_read_ = 0;
  existence_checks_ = 0;
}

}  // namespace zelvan
