// The search rules of the include scan: where the file an include line
// names is looked for, and what is recorded when it is found nowhere.
//
// One scan ("run") starts at an outermost source. Its search list holds the
// source's directory at positions 0 and 1, then the caller's directories. A
// quoted include is looked up from position 0, an angle include from
// position 2, so never in the source's own directory. An include that is
// found nowhere is recorded with a guessed path (the first entry, for an
// angle include the third, or the toolchain's include directory), unless
// the refresh runs with `UpdateDependencyFile` set.
//
// Include styles, from the CPU family:
//   0 "MX-310/P", "MX-310/P1"  in assembler macro sources, a quoted include
//                              inside an included file skips the source's
//                              directory (starts at position 2)
//   1 "MX-520"                 in assembler macro sources, a quoted include
//                              starts at position 1
//   2 "MR44"                   as 0 for the depth limit only
//   3 "MR44A"                  while a C file is scanned, position 1 holds
//                              that file's directory (the outer entry is
//                              saved and restored afterwards)
//
// Nesting is limited: 255, or 8 in assembler sources (scan kind 3), or 31 in
// C sources under styles 0 and 2.
//
// Paths have Windows form. A candidate that is not a full path (no drive,
// no "\\server", no leading "\") is completed with the base directory; on
// this platform a rooted path ("\src\a.h") names the host's root and is
// full. An empty search entry stands for the base directory.
//
// What the search keeps for a refresh (files are taken as they were when
// first looked at): the files met ("nodes", by the spelling they were found
// by) and the identity of recorded paths (lower case); how each include
// name is searched; and, per search context (same search list, base
// directory and style), the canonical form and listing of each entry.
// Contexts that differ only in the source's directory share a "tail" (see
// include_graph.h), where the searches that this directory does not decide
// are kept once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dependencies/include_file_cache.h"
#include "dependencies/include_line.h"
#include "storage/span_arena.h"
#include "storage/text_table.h"

namespace zelvan {

class PathMapper;

// Scan kinds of the language table: which scanner reads a source.
inline constexpr int kScanKindNone = 0;
inline constexpr int kScanKindC = 1;
inline constexpr int kScanKindCcl = 2;
inline constexpr int kScanKindAssembler = 3;
inline constexpr int kScanKindAssemblerMacro = 4;

// The include style of a CPU family (compared without regard to case), or
// `previous` for a family that has none of its own.
int IncludeStyleForCpu(std::string_view cpu_family, int previous);

// The result of the search for one include line.
struct IncludeResolved {
  int node = -1;          // the file found, or -1
  int guess_record = -1;  // record id of the guess, or -1 when there is none
  int guess_ref = 0;      // the guess as a record reference: -1 - its id
};

class IncludeSearch {
  // How the name of an include line is searched, worked out once per file.
  struct LineName {
    bool absolute = false;  // drive or leading `\`: taken as it is
    bool plain = false;     // relative, ordinary components (see IsPlainName)
    int32_t exact = -1;     // for a plain name without directory part: its
    int32_t lower = -1;     // id as written and the id of its lower case
    int32_t spelled = -1;   // for a plain name with `/`: the id of it with `\`
    int32_t path = -1;      // for a plain name: the id of it as it extends a directory
  };
  // A file met during the refresh, under the spelling it was found by.
  struct Node {
    std::string directory;  // drive and directory, with its trailing `\` (see DirectoryOf)
    bool directory_known = false;
    int record_id = -1;
    bool lines_loaded[2] = {false, false};
    const IncludeLines* lines[2] = {nullptr, nullptr};
    bool names_known[2] = {false, false};
    std::span<const LineName> names[2];  // parallel to lines
  };

 public:
  // `fs` and `files` must outlive the search.
  IncludeSearch(PathMapper& fs, IncludeFileCache& files);
  ~IncludeSearch();
  IncludeSearch(const IncludeSearch&) = delete;
  IncludeSearch& operator=(const IncludeSearch&) = delete;

  // Forgets the refresh's files, names and contexts; the memory serves again.
  void BeginRefresh(bool update_dependency_file);
  bool update_dependency_file() const { return update_dependency_file_; }

  void set_style(int style) { style_ = style; }
  int style() const { return style_; }
  // The project directory; relative candidates are completed with it.
  void SetBaseDirectory(std::string_view dir);
  // The first include directory of the project's toolchain: the guess for
  // an unresolved angle include when the caller gave no directories.
  void SetToolchainIncludeDirectory(std::string_view dir) { toolchain_include_ = dir; }

  // Sets a run up: the search list of `source` with scan kind `scan_kind`.
  // False for a kind that is not scanned.
  struct Run {
    int context = -1;  // numbers the search contexts of the refresh
    int tail = -1;     // numbers the tails
    IncludeReading reading = IncludeReading::kC;
    int source = -1;  // the node of the source
  };
  bool BeginRun(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                bool skip_system, Run* run);

  // The nesting depth of the scan, 0 at the outermost source.
  int depth() const { return depth_; }
  void set_depth(int depth) { depth_ = depth; }
  // The deepest nesting allowed (`assembler`: called from the assembler
  // reading).
  int DepthLimit(bool assembler) const {
    if (assembler_flag_) return 255;
    if (assembler) return 8;
    if (style_ == 2 || style_ == 0) return 31;
    return 255;
  }
  // Whether the outermost file's quoted includes are searched otherwise
  // than an included file's (assembler macro sources under style 0).
  bool OutermostDiffers() const { return assembler_flag_ && style_ == 0; }
  // MR44A: while the C file `node` is scanned, position 1 holds its
  // directory. Each Enter is followed by one Leave. Inline: the scan
  // enters a file millions of times in a refresh.
  void EnterFile(int node) {
    if (style_ == 3 && context_reading_ == IncludeReading::kC) entered_.push_back(node);
  }
  void LeaveFile() {
    if (style_ == 3 && context_reading_ == IncludeReading::kC) entered_.pop_back();
  }

  // The searches of the include lines of `node`, and whether the source's
  // directory decided any (found there, or the guess lies there). The
  // result stays valid until BeginRefresh.
  std::span<const IncludeResolved> Search(int node, const IncludeLines& lines,
                                          bool* source_directory);
  // Whether the source's directory holds a file that one of the lines of
  // `node` names where the search looks there.
  bool InSourceDirectory(int node, const IncludeLines& lines);
  // The names that a search of the lines of `node` looks for in the
  // source's directory, as lower-case name ids (appended to `names`); false
  // when it looks there for a name with a directory part, which the
  // directory's listing cannot answer.
  bool SourceDirectoryNames(int node, const IncludeLines& lines, std::vector<int32_t>* names);
  // The names in the source's directory, by lower-case name id (null when
  // it cannot be listed).
  const std::vector<bool>* SourceDirectoryListing() { return EntryNames(0); }
  // Whether a line takes part in the scan at all.
  bool Counts(const IncludeLine& line) const {
    return !(line.form == kIncludeAngle && skip_system_);
  }

  // Files met, by node id: their path as found, their record identity,
  // their include lines (null when they cannot be read).
  int NodeFor(std::string_view path);
  std::string_view NodePath(int node) const { return node_paths_.Text(node); }
  int RecordIdOf(int node) const { return nodes_[static_cast<size_t>(node)].record_id; }
  const IncludeLines* LinesOf(int node, IncludeReading reading) {
    const Node& n = nodes_[static_cast<size_t>(node)];
    int r = static_cast<int>(reading);
    return n.lines_loaded[r] ? n.lines[r] : LoadLines(node, reading);
  }
  size_t node_count() const { return nodes_.size(); }
  // Paths that differ only in case are one record: record ids count up from
  // 0 below record_count().
  size_t record_count() const { return record_paths_.size(); }
  // The path of a record reference: a node id, or -1 - the id of a guess.
  std::string_view RecordPath(int ref) const {
    return ref >= 0 ? node_paths_.Text(ref) : guesses_.Text(-1 - ref);
  }
  size_t guess_count() const { return guesses_.size(); }
  // The record id of the guess with id `guess`.
  int GuessRecordId(int guess) const { return guess_records_[static_cast<size_t>(guess)]; }

 private:
  struct Context;

  int RecordIdFor(std::string_view path);
  const IncludeLines* LoadLines(int node, IncludeReading reading);
  Context& FindContext(IncludeReading reading, bool skip_system);
  // The drive and directory of a file, worked out when first asked for.
  const std::string& DirectoryOf(int node);
  std::span<const LineName> NamesOf(int node, IncludeReading reading);
  // The search for one include line; `node` gets the file found, by its
  // canonical full path; on failure `guess` gets the path to record (empty
  // under `UpdateDependencyFile`).
  bool FindIncludeFile(const IncludeLine& line, const LineName& name, int* node, std::string* guess,
                       bool* source_directory);
  size_t SearchStart(int form) const;
  // Whether search entry `i` holds the directory of the outermost source.
  bool IsSourceDirectoryEntry(size_t i) const;
  // Whether entry `i` holds the file `line` names; `node` (when given)
  // receives it.
  bool Probe(size_t i, const IncludeLine& line, const LineName& name, int* node);
  // The names of the files in entry directory `i`, by lower-case name id
  // (null when it cannot be listed).
  const std::vector<bool>* EntryNames(size_t i);
  // The file that a bare name with id `exact` names in entry `i`.
  int FoundNode(size_t i, std::string_view name, int32_t exact);
  std::string CompletePath(std::string_view dir, std::string_view name) const;

  PathMapper& fs_;
  IncludeFileCache& files_;
  bool update_dependency_file_ = false;

  int style_ = 0;
  std::string base_directory_;
  std::string toolchain_include_;
  std::vector<std::string> search_;
  // MR44A: the C files being scanned, outermost first; position 1 holds the
  // directory of the last (the source's directory while there is none).
  std::vector<int> entered_;
  std::string cwd_;  // the current directory of the run
  int depth_ = 0;
  bool assembler_flag_ = false;
  bool skip_system_ = false;
  Context* context_ = nullptr;
  IncludeReading context_reading_ = IncludeReading::kC;  // the reading of context_

  std::vector<Node> nodes_;
  TextTable node_paths_;            // by node id
  TextTable record_paths_;          // lower case, by record id
  TextTable guesses_;               // by guess id
  std::vector<int> guess_records_;  // record ids, by guess id
  std::string guess_;               // Search's buffers
  std::string lower_buffer_;
  std::string candidate_;
  // Include names by id, the names in each directory listing, and the file
  // found for a name in a directory (by directory id << 32 | exact name id).
  TextTable exact_names_;
  TextTable lower_names_;
  std::unordered_map<const IncludeFileCache::Listing*, std::vector<bool>> listing_names_;
  TextTable dir_ids_;
  IdMap found_nodes_;
  // Whether a plain name with a directory part names a file below an entry
  // directory (by directory id << 32 | path id): its node, -1 no file, -2 a
  // file whose node is not made yet.
  IdMap probed_paths_;
  SpanArena<IncludeResolved> resolved_;
  SpanArena<LineName> names_;
  // Contexts by key, and tails by the key without the first two entries.
  std::vector<std::unique_ptr<Context>> contexts_;
  TextTable context_keys_;
  TextTable tail_keys_;
  std::string context_key_;  // FindContext's buffer
  int last_context_ = -1;
  std::string last_context_key_;
};

}  // namespace zelvan
