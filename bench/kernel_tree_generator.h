// A generated C tree shaped like an operating-system kernel, for measuring
// a dependency refresh at real scale (no real kernel source is needed):
//
//   - headers in the kernel's include folders (include\linux,
//     include\uapi\linux, include\asm-generic, include\net, the
//     architecture's asm folders ...), found through seven "-I" folders and
//     included with angle brackets and a folder part: <linux/wait_list.h>;
//   - a core of headers that nearly every source reaches, hub headers that
//     pull in hundreds of others, and small leaf headers;
//   - sources in a few hundred folders, each folder with headers of its own
//     included as "internal.h" (MR44A finds them in the including file's
//     folder; global headers also include siblings that way);
//   - a few hundred includes of headers that exist nowhere, inside
//     conditionals (the scan ignores conditionals, so they are unresolved);
//   - the real tree's depth: core headers that include the ones just below
//     them, so that chains of includes run a hundred and more deep (150
//     through the whole core), and twenty guarded include cycles among them
//     (the largest of 16 headers) that nearly every source reaches along
//     paths of many lengths, so the scan meets the nesting limit and a full
//     refresh scans about as many files per source as on the real tree;
//   - file sizes spread as in real code (sources about 12 KB, headers about
//     2.6 KB in the median, with long tails), with comments, strings and
//     code around the include lines.
//
// Each source's includes are picked so that the headers it reaches number
// about `mean_closure` (spread between half and one and a half of it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bench/include_tree_generator.h"

namespace zelvan::bench {

struct KernelTreeShape {
  int sources = 3300;
  int headers = 3300;  // global and folder-local together
  int core = 250;      // reached by nearly every source
  int source_folders = 290;
  int unresolved = 300;    // include lines that name no file
  int cycles = 20;         // guarded include cycles among the core headers
  int largest_cycle = 16;  // headers on the largest
  int mean_closure = 700;  // headers reached by one source, on average
  size_t total_bytes = 109'000'000;
  size_t header_bytes = 25'600'000;  // of the total
  size_t largest_file = 875'000;     // a source
  size_t largest_header = 333'000;
  uint32_t seed = 12;

  // The same kind of tree with about `factor` times the files and bytes.
  static KernelTreeShape Scaled(double factor);
};

// The tree, with paths under `root` (a Windows folder path ending in `\`).
// `include_dirs` are relative to the root, where the project file goes.
GeneratedTree GenerateKernelTree(const KernelTreeShape& shape, const std::string& root);

// The tree as one project of CPU family MR44A, file "kernel.kbp" in the
// root: one folder per source folder, one target "Debug" whose compile
// options name the include folders.
std::string KernelProjectText(const GeneratedTree& tree);

}  // namespace zelvan::bench
