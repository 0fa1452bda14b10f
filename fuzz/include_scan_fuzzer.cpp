// Builds a small include tree in memory from the input (tests/support's
// MakeIncludeTreeCase; bytes past the ones it uses become extra text of one
// file) and scans every source of it. The scan must finish, and where the
// plain recursion finishes within its budget, give the same records and the
// same nesting-limit decisions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dependencies/include_scanner.h"
#include "tests/support/include_tree.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/reference_include_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zelvan::testing::IncludeTreeCase tree = zelvan::testing::MakeIncludeTreeCase(bytes);
  if (size > 96) {
    tree.files[static_cast<uint8_t>(bytes[0]) % tree.files.size()].text += bytes.substr(96);
  }

  zelvan::testing::MemoryFileSystem fs;
  for (const auto& file : tree.files) {
    if (!fs.AddFile(file.path, file.text)) __builtin_trap();
  }
  zelvan::testing::FixedTextUi ui;
  zelvan::testing::RecordingDependencyOutput out;
  zelvan::testing::RecordingDependencyOutput reference_out;
  zelvan::IncludeScanner scanner(fs, ui, out);
  zelvan::testing::ReferenceIncludeScanner reference(fs, ui, reference_out);
  scanner.BeginRefresh(tree.update_dependency_file);
  reference.BeginRefresh(tree.update_dependency_file);
  scanner.set_include_style(tree.style);
  reference.set_include_style(tree.style);
  scanner.SetBaseDirectory(tree.base_directory);
  reference.SetBaseDirectory(tree.base_directory);
  scanner.SetToolchainIncludeDirectory(tree.toolchain_include);
  reference.SetToolchainIncludeDirectory(tree.toolchain_include);
  reference.set_scan_budget(1000);
  zelvan::IncludeScanOptions options;
  options.report_unresolved = true;
  options.skip_system_includes = tree.skip_system_includes;
  options.title = "T";

  for (size_t i = 0; i < tree.sources.size(); ++i) {
    std::vector<std::string> paths, forms, ref_paths, ref_forms;
    scanner.ScanIncludes(tree.sources[i], tree.scan_kinds[i], tree.search_list, options, &paths,
                         &forms);
    if (paths.size() != forms.size()) __builtin_trap();
    if (!reference.ScanIncludes(tree.sources[i], tree.scan_kinds[i], tree.search_list, options,
                                &ref_paths, &ref_forms)) {
      continue;
    }
    if (paths != ref_paths || forms != ref_forms) __builtin_trap();
    if (scanner.last_run_hit_limit() != reference.last_run_hit_limit()) __builtin_trap();
  }
  // Every file is read at most once per way of reading it.
  if (scanner.stats().files_read > 2 * tree.files.size() + tree.sources.size()) __builtin_trap();
  return 0;
}
