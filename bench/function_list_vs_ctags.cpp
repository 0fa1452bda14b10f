// The function list of a generated tree of real-looking C, made by
// `zelvan functions` and by Universal Ctags (`ctags -x --kinds-c=f`) on the
// same files in the same run: the time of each (best of several runs, the
// files in the page cache for both), and how many of ctags' function
// definitions zelvan lists with the same name and line, with every
// difference sorted by the shape of the definition it concerns.
//
//   zelvan_bench_functions [--megabytes N] [--runs N] [--seed N]
//
// The default tree is small, for a quick run; the figures worth quoting
// come from --megabytes 50 or more.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "bench/c_tree_generator.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "scanner/declaration_parser.h"
#include "tests/support/temp_dir.h"

namespace {

using zelvan::bench::DefinitionShape;
using Entry = std::tuple<std::string, int, std::string>;  // file, line, name
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Runs a shell command; its wall time, or a negative value when it failed.
double TimeCommand(const std::string& command) {
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double elapsed = Seconds(Clock::now() - start);
  if (status != 0) {
    std::cerr << "failed (" << status << "): " << command << "\n";
    return -1;
  }
  return elapsed;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// "name<TAB>line<TAB>file" lines of ctags.
std::set<Entry> ReadCtags(const std::string& path) {
  std::set<Entry> entries;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, number, file;
    if (std::getline(fields, name, '\t') && std::getline(fields, number, '\t') &&
        std::getline(fields, file)) {
      entries.emplace(file, std::atoi(number.c_str()), name);
    }
  }
  return entries;
}

// "file(line): name(arguments)" lines of zelvan.
std::set<Entry> ReadZelvan(const std::string& path) {
  std::set<Entry> entries;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    size_t open = line.find("): ");
    size_t paren = line.rfind('(', open);
    if (open == std::string::npos || paren == std::string::npos) continue;
    std::string display = line.substr(open + 3);
    entries.emplace(line.substr(0, paren), std::atoi(line.c_str() + paren + 1),
                    display.substr(0, display.find('(')));
  }
  return entries;
}

void PrintByShape(const char* title, const std::set<Entry>& entries,
                  const std::map<std::pair<std::string, int>, DefinitionShape>& shapes) {
  std::map<std::string, int> counts;
  for (const auto& [file, line, name] : entries) {
    auto it = shapes.find({file, line});
    counts[it == shapes.end() ? "no definition was written there"
                              : zelvan::bench::ShapeName(it->second)]++;
  }
  std::cout << title << ": " << entries.size() << "\n";
  for (const auto& [shape, count] : counts)
    std::cout << "  " << count << "  " << shape << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  size_t megabytes = 8;
  int runs = 3;
  uint32_t seed = 7;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    long value = std::atol(argv[i + 1]);
    if (option == "--megabytes" && value > 0) {
      megabytes = static_cast<size_t>(value);
    } else if (option == "--runs" && value > 0) {
      runs = static_cast<int>(value);
    } else if (option == "--seed") {
      seed = static_cast<uint32_t>(value);
    } else {
      std::cerr << "usage: " << argv[0] << " [--megabytes N] [--runs N] [--seed N]\n";
      return 2;
    }
  }

  zelvan::bench::GeneratedCTree tree = zelvan::bench::GenerateCTree(megabytes << 20, seed);
  zelvan::testing::TempDir dir;
  std::string root = dir.path() + "/tree";
  std::string project =
      "[PROJECT]\r\nOUTPUT=Bench.abs\r\nCPU=MX-520\r\nTARGET=Debug;\r\n"
      "Folder=Sources;\r\n[Sources]\r\nSOURCECOUNT=" +
      std::to_string(tree.files.size()) + "\r\n";
  std::string list;
  size_t headers = 0;
  for (size_t i = 0; i < tree.files.size(); ++i) {
    const auto& file = tree.files[i];
    dir.WriteFile("tree/" + file.path, file.text);
    std::string windows = file.path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    project += "SOURCE" + std::to_string(i) + "=" + windows + "\r\n";
    list += file.path + "\n";
    if (file.path.back() == 'h') ++headers;
  }
  dir.WriteFile("tree/Bench.kbp", project);
  dir.WriteFile("tree/files.txt", list);
  std::map<std::pair<std::string, int>, DefinitionShape> shapes;
  for (const auto& d : tree.definitions)
    shapes[{d.file, d.line}] = d.shape;

  std::cout << "tree: " << tree.files.size() << " files (" << headers << " headers), "
            << tree.total_bytes / 1e6 << " MB, " << tree.definitions.size()
            << " function definitions written\n";

  std::string cd = "cd " + Quote(root) + " && ";
  std::string zelvan_command =
      cd + Quote(ZELVAN_BINARY) + " -q -w Bench.kbp functions --refresh > ../zelvan.txt";
  std::string ctags_command = cd +
                              "ctags -x --languages=C --langmap=C:.c.h --kinds-C=f "
                              "--_xformat='%N\t%n\t%F' -L files.txt > ../ctags.txt";
  // Both read every file once before the timed runs.
  if (TimeCommand(ctags_command) < 0 || TimeCommand(zelvan_command) < 0) return 1;
  double zelvan_best = 1e9, ctags_best = 1e9, parser_best = 1e9;
  std::unique_ptr<zelvan::HostPlatform> host = zelvan::HostPlatform::Create(nullptr);
  zelvan::FileSystem& fs = *host->platform().fs;
  size_t parsed_entries = 0;
  for (int run = 0; run < runs; ++run) {
    zelvan_best = std::min(zelvan_best, TimeCommand(zelvan_command));
    ctags_best = std::min(ctags_best, TimeCommand(ctags_command));
    // The parser alone, in this process: read, scan, collect.
    auto start = Clock::now();
    parsed_entries = 0;
    for (const auto& file : tree.files) {
      std::vector<zelvan::FunctionDatabaseEntry> functions;
      uint32_t last = 0;
      zelvan::ParseFunctionsInFile(
          fs, fs.FromHostPath(root + "/" + file.path),
          [&last](const std::string&, uint32_t position, uint32_t) { last = position; },
          &functions);
      parsed_entries += functions.size();
    }
    parser_best = std::min(parser_best, Seconds(Clock::now() - start));
  }

  std::set<Entry> ctags = ReadCtags(dir.path() + "/ctags.txt");
  std::set<Entry> ours = ReadZelvan(dir.path() + "/zelvan.txt");
  std::set<Entry> found, missed, extra;
  std::set_intersection(ctags.begin(), ctags.end(), ours.begin(), ours.end(),
                        std::inserter(found, found.end()));
  std::set_difference(ctags.begin(), ctags.end(), ours.begin(), ours.end(),
                      std::inserter(missed, missed.end()));
  std::set_difference(ours.begin(), ours.end(), ctags.begin(), ctags.end(),
                      std::inserter(extra, extra.end()));

  double mb = tree.total_bytes / 1e6;
  std::printf("\nbest of %d runs, the same files, in this run:\n", runs);
  std::printf("  ctags -x --kinds-c=f            %8.3f s  %7.1f MB/s  %zu entries\n", ctags_best,
              mb / ctags_best, ctags.size());
  std::printf("  zelvan functions --refresh      %8.3f s  %7.1f MB/s  %zu entries\n", zelvan_best,
              mb / zelvan_best, ours.size());
  std::printf("  declaration parser in process   %8.3f s  %7.1f MB/s  %zu entries\n", parser_best,
              mb / parser_best, parsed_entries);
  std::printf("  speed ratio ctags / zelvan functions: %.2f (above 1: zelvan is faster)\n",
              ctags_best / zelvan_best);
  std::printf("  speed ratio ctags / parser alone:     %.2f\n\n", ctags_best / parser_best);
  double share = ctags.empty() ? 0 : 100.0 * found.size() / ctags.size();
  std::printf(
      "ctags' function definitions that zelvan lists with the same name and line: "
      "%zu of %zu (%.2f%%)\n",
      found.size(), ctags.size(), share);
  PrintByShape("listed by ctags, not by zelvan", missed, shapes);
  PrintByShape("listed by zelvan, not by ctags", extra, shapes);

  // Against what was written: definitions that a reader of the first
  // branch of each conditional sees, which zelvan must all list.
  int active = 0, active_listed = 0;
  for (const auto& d : tree.definitions) {
    if (d.shape >= DefinitionShape::kPlainShapes) continue;
    ++active;
    if (ours.count({d.file, d.line, d.name}) != 0) ++active_listed;
  }
  std::printf("definitions in code a first-branch reader sees: %d, listed by zelvan: %d\n", active,
              active_listed);
  return share >= 95.0 && active == active_listed ? 0 : 1;
}
