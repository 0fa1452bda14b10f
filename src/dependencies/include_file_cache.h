// What one dependency refresh learns about files, kept so that it is learnt
// once: whether a path names an existing file, and the include lines of
// each file for the C and the assembler reading.
//
// A refresh scans thousands of sources whose include trees overlap almost
// entirely; without this cache every shared header would be read, and every
// search directory probed, once per source and target. The cache assumes
// that files do not change while a refresh runs; a new refresh starts with a
// new (or cleared) cache.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/span_arena.h"
#include "storage/text_table.h"

namespace zelvan {

class FileReader;

// One include line of a file.
struct IncludeLine {
  int line_number = 0;    // from 1
  int form = 0;           // kIncludeQuoted or kIncludeAngle
  std::string name;       // as written between the quotes or brackets
  std::string_view text;  // the line as it stands in the file, for messages
};

// How a file's lines are read: C (comments removed) or assembler (lower
// case, cut at ";").
enum class IncludeReading { kC = 0, kAssembler = 1 };

// Finds the include lines of a text (pure; the cache calls it for each file).
// The lines' texts are views of `text`.
std::vector<IncludeLine> ParseIncludeLines(std::string_view text, IncludeReading reading);
// The same, appended to `lines`.
void AppendIncludeLines(std::string_view text, IncludeReading reading,
                        std::vector<IncludeLine>* lines);

// The include lines of one file, in file order.
using IncludeLines = std::span<const IncludeLine>;

class IncludeFileCache {
 public:
  explicit IncludeFileCache(FileReader& fs);
  ~IncludeFileCache();
  IncludeFileCache(const IncludeFileCache&) = delete;
  IncludeFileCache& operator=(const IncludeFileCache&) = delete;

  // True when `path` (a full path) names an existing file (not a directory).
  // Most candidates of an include search do not exist, and asking the file
  // system about a missing name is slow where names are matched without
  // regard to case; so each directory is listed once, and names are looked
  // up in the listing.
  bool FileExists(std::string_view path);

  // The lower-cased names of the files (not directories) in a directory,
  // sorted.
  using Listing = std::vector<std::string>;
  // The listing of `dir` (a full path with its trailing `\`), for callers
  // that ask about many names in one directory; null when it cannot be
  // listed. Valid until Clear.
  const Listing* ListingOf(std::string_view dir);

  // The include lines of the file at `path` (any case); null when the file
  // cannot be read. The result, and the texts it views, stay valid until
  // Clear.
  const IncludeLines* Lines(std::string_view path, IncludeReading reading);

  // Forgets everything (the next refresh sees the files as they are then).
  // The memory serves again.
  void Clear();

  // Counters for tests and benchmarks.
  size_t files_read() const { return files_read_; }
  // Questions to the file system about existence (listings and single files).
  size_t existence_checks() const { return existence_checks_; }
  size_t directories_listed() const { return listed_dirs_.size(); }

 private:
  struct Store;

  FileReader& fs_;
  // Candidates recur with the same spelling (directory entry + include
  // name), so exact text is the quick key; the listing matches any case.
  TextTable exists_paths_;
  std::vector<bool> exists_;  // by id in exists_paths_
  TextTable listed_dirs_;
  std::vector<std::unique_ptr<Listing>> listings_;  // by id in listed_dirs_; null: not listable
  std::string name_buffer_;
  // By IncludeReading: files by lower-case path, and their lines (null:
  // the file cannot be read).
  TextTable line_paths_[2];
  std::vector<const IncludeLines*> lines_[2];
  // Where the lines of the files read stand.
  std::unique_ptr<Store> store_;
  size_t files_read_ = 0;
  size_t existence_checks_ = 0;
};

}  // namespace zelvan
