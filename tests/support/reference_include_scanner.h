// The include scan written as the plain recursion it is defined by: every
// include is looked up afresh, every found file is read and scanned again
// each time it is included, and only the depth limit ends a cycle. It is
// exponential on diamond-shaped trees and exists only to check
// IncludeScanner against: both must give the same records and the same
// nesting-limit decisions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dependencies/include_scanner.h"

namespace zelvan {
class DependencyOutput;
class ReadOnlyFileSystem;
class UiHooks;
}  // namespace zelvan

namespace zelvan::testing {

class ReferenceIncludeScanner {
 public:
  ReferenceIncludeScanner(ReadOnlyFileSystem& fs, UiHooks& ui, DependencyOutput& output)
      : fs_(fs), ui_(ui), output_(output) {}

  void BeginRefresh(bool update_dependency_file);
  void set_include_style(int style) { style_ = style; }
  void SetBaseDirectory(std::string_view dir);
  void SetToolchainIncludeDirectory(std::string_view dir) { toolchain_include_ = dir; }
  // A run gives up after this many file scans (0: never).
  void set_scan_budget(size_t scans) { budget_ = scans; }

  // As IncludeScanner::ScanIncludes. False when the budget ran out; the
  // records are then incomplete.
  bool ScanIncludes(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                    const IncludeScanOptions& options, std::vector<std::string>* paths,
                    std::vector<std::string>* forms);

  int unresolved_count() const { return unresolved_count_; }
  bool last_run_hit_limit() const { return run_hit_limit_; }

 private:
  void ScanCIncludes(const std::string& file);
  void ScanAsmIncludes(const std::string& file);
  void ScanLines(const std::string& file, bool assembler);
  bool FindIncludeFile(const std::string& name, int form, std::string* found, std::string* guess);
  std::string FullPathOf(std::string_view dir, std::string_view name);
  bool CheckIncludeDepth(bool assembler);
  void RecordDependency(int form, const std::string& path);

  ReadOnlyFileSystem& fs_;
  UiHooks& ui_;
  DependencyOutput& output_;

  bool update_dependency_file_ = false;
  bool unresolved_pending_ = true;
  bool nesting_pending_ = true;
  int unresolved_count_ = 0;

  int style_ = 0;
  std::string base_directory_;
  std::string toolchain_include_;
  std::vector<std::string> search_;
  std::vector<std::string> saved_;
  int depth_ = 0;
  bool assembler_flag_ = false;

  const IncludeScanOptions* options_ = nullptr;
  std::string source_;
  std::vector<std::string>* paths_ = nullptr;
  std::vector<std::string>* forms_ = nullptr;
  std::unordered_set<std::string> seen_;
  bool title_written_ = false;
  bool run_hit_limit_ = false;
  size_t budget_ = 0;
  size_t budget_end_ = 0;
  size_t scans_ = 0;
  bool out_of_budget_ = false;
};

}  // namespace zelvan::testing
