#include "dependencies/include_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/kernel_tree_generator.h"
#include "tests/support/include_tree.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/reference_include_scanner.h"

namespace zelvan {
namespace {

using testing::FixedTextUi;
using testing::IncludeTreeCase;
using testing::MemoryFileSystem;
using testing::RecordingDependencyOutput;
using testing::ReferenceIncludeScanner;

using Files = std::vector<std::pair<std::string, std::string>>;

// Records as "<form> <path>" lines.
std::vector<std::string> Joined(const std::vector<std::string>& paths,
                                const std::vector<std::string>& forms) {
  std::vector<std::string> out;
  for (size_t i = 0; i < paths.size(); ++i)
    out.push_back(forms[i] + " " + paths[i]);
  return out;
}

class IncludeScannerTest : public ::testing::Test {
 protected:
  void AddFiles(const Files& files) {
    for (const auto& [path, text] : files)
      ASSERT_TRUE(fs_.AddFile(path, text)) << path;
  }
  std::vector<std::string> Scan(const std::string& source, int kind,
                                std::vector<std::string> search = {},
                                const IncludeScanOptions& options = {}) {
    std::vector<std::string> paths;
    std::vector<std::string> forms;
    EXPECT_TRUE(scanner_.ScanIncludes(source, kind, std::move(search), options, &paths, &forms));
    EXPECT_EQ(paths.size(), forms.size());
    return Joined(paths, forms);
  }

  MemoryFileSystem fs_;
  FixedTextUi ui_;
  RecordingDependencyOutput out_;
  IncludeScanner scanner_{fs_, ui_, out_};
};

TEST_F(IncludeScannerTest, SearchOrderCompletionAndGuesses) {
  AddFiles({
      {"C:\\p\\src\\both.h", ""},
      {"C:\\p\\inc\\both.h", ""},
      {"C:\\p\\src\\local.h", ""},
      {"C:\\p\\inc\\x.h", ""},
      {"C:\\p\\inc\\sub\\y.h", ""},
      {"C:\\p\\top.h", ""},
      {"C:\\sys\\s.h", ""},
  });
  const struct {
    const char* line;
    std::vector<std::string> search;
    bool update_dependency_file;
    const char* toolchain_include;
    std::vector<std::string> expected;
  } cases[] = {
      // Quoted: the source's directory first; angle: never there.
      {"#include \"both.h\"", {"C:\\p\\inc"}, false, "", {"1 C:\\p\\src\\both.h"}},
      {"#include <both.h>", {"C:\\p\\inc"}, false, "", {"0 C:\\p\\inc\\both.h"}},
      {"#include <local.h>", {}, false, "C:\\kova\\include", {"0 C:\\kova\\include\\local.h"}},
      {"#include <local.h>", {}, false, "", {"0 C:\\p\\src\\local.h"}},
      // Guesses for quoted names take the first entry, in canonical form.
      {"#include \"gone.h\"", {"C:\\p\\inc"}, false, "", {"1 C:\\p\\src\\gone.h"}},
      {"#include \"..\\inc\\gone.h\"", {}, false, "", {"1 C:\\p\\inc\\gone.h"}},
      {"#include \"gone.h\"", {"C:\\p\\inc"}, true, "", {}},
      {"#include <gone.h>", {"C:\\p\\inc"}, true, "", {}},
      // Absolute names stand as written.
      {"#include \"C:\\p\\inc\\..\\inc\\x.h\"", {}, false, "", {"1 C:\\p\\inc\\..\\inc\\x.h"}},
      {"#include <D:\\nowhere\\n.h>", {}, false, "", {"0 D:\\nowhere\\n.h"}},
      // Relative and empty entries are completed with the base directory.
      {"#include <x.h>", {"inc"}, false, "", {"0 C:\\p\\inc\\x.h"}},
      {"#include <s.h>", {"..\\sys"}, false, "", {"0 C:\\sys\\s.h"}},
      {"#include <top.h>", {""}, false, "", {"0 C:\\p\\top.h"}},
      // A directory part in the name, with either separator.
      {"#include \"sub\\y.h\"", {"C:\\p\\inc"}, false, "", {"1 C:\\p\\inc\\sub\\y.h"}},
      {"#include <sub/y.h>", {"C:\\p\\inc"}, false, "", {"0 C:\\p\\inc\\sub\\y.h"}},
      // The path is recorded as the include line spells it.
      {"#include \"X.H\"", {"C:\\p\\inc"}, false, "", {"1 C:\\p\\inc\\X.H"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(fs_.AddFile("C:\\p\\src\\main.c", c.line));
    scanner_.BeginRefresh(c.update_dependency_file);
    scanner_.SetBaseDirectory("C:\\p\\");
    scanner_.SetToolchainIncludeDirectory(c.toolchain_include);
    EXPECT_EQ(Scan("C:\\p\\src\\main.c", kScanKindC, c.search), c.expected);
  }
}

TEST(IncludeScannerStyleTest, IncludeStyleComesFromTheCpuFamily) {
  const struct {
    const char* cpu;
    int previous;
    int style;
  } cases[] = {
      {"MR44", 0, 2},      {"mr44a", 0, 3},    {"MX-520", 3, 1}, {"mx-310/p", 3, 0},
      {"MX-310/P1", 2, 0}, {"MX-520/S", 3, 3}, {"", 2, 2},       {"MR44B", 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpu);
    EXPECT_EQ(IncludeStyleForCpu(c.cpu, c.previous), c.style);
  }
}

// A chain main -> h1 -> h2 -> ... -> h<length>, in C or assembler syntax.
Files Chain(int length, bool assembler) {
  Files files;
  const char* keyword = assembler ? ".include" : "#include";
  std::string ext = assembler ? ".inc" : ".h";
  files.push_back({"C:\\p\\main" + std::string(assembler ? ".asm" : ".c"),
                   std::string(keyword) + " \"h1" + ext + "\"\n"});
  for (int i = 1; i <= length; ++i) {
    std::string text;
    if (i < length) text = std::string(keyword) + " \"h" + std::to_string(i + 1) + ext + "\"\n";
    files.push_back({"C:\\p\\h" + std::to_string(i) + ext, text});
  }
  return files;
}

// Headers C:\p\<stem>1.h to <stem><length>.h, each including the next and
// the last holding `last`.
void AddChain(Files* files, const std::string& stem, int length, const std::string& last) {
  for (int i = 1; i <= length; ++i) {
    files->push_back({"C:\\p\\" + stem + std::to_string(i) + ".h",
                      i < length ? "#include \"" + stem + std::to_string(i + 1) + ".h\"\n" : last});
  }
}

TEST_F(IncludeScannerTest, UnresolvedIncludesAreReportedOncePerIncludingFileAndRun) {
  AddFiles({
      {"C:\\p\\src\\main.c",
       "#include \"a.h\"\n#include \"missing.h\" // here\n#include \"b.h\"\n#include <sys.h>\n"},
      {"C:\\p\\src\\a.h", "#include \"h.h\"\n"},
      {"C:\\p\\src\\b.h", "#include \"h.h\"\n"},
      {"C:\\p\\src\\h.h", "  #include \"gone.h\"\n"},
      {"C:\\p\\src\\other.c", "#include \"h.h\"\n"},
  });
  IncludeScanOptions options;
  options.report_unresolved = true;
  options.title = "Debug";
  EXPECT_EQ(Scan("C:\\p\\src\\main.c", kScanKindC, {"C:\\p\\inc"}, options),
            (std::vector<std::string>{"1 C:\\p\\src\\a.h", "1 C:\\p\\src\\h.h",
                                      "1 C:\\p\\src\\gone.h", "1 C:\\p\\src\\missing.h",
                                      "1 C:\\p\\src\\b.h", "0 C:\\p\\inc\\sys.h"}));
  EXPECT_EQ(Scan("C:\\p\\src\\other.c", kScanKindC, {}, options),
            (std::vector<std::string>{"1 C:\\p\\src\\h.h", "1 C:\\p\\src\\gone.h"}));
  IncludeScanOptions quiet;
  Scan("C:\\p\\src\\main.c", kScanKindC, {}, quiet);
  options.title.clear();
  Scan("C:\\p\\src\\other.c", kScanKindC, {}, options);
  EXPECT_EQ(out_.lines, (std::vector<std::string>{
                            "17:W-007-D000:<text 5073>",
                            "18:I-007-1300:Debug - (C:\\p\\src\\main.c)",
                            "17:W-007-D001:C:\\p\\src\\h.h(1):  #include \"gone.h\"",
                            "17:W-007-D001:C:\\p\\src\\main.c(2):#include \"missing.h\" // here",
                            "17:W-007-D001:C:\\p\\src\\main.c(4):#include <sys.h>",
                            "18:I-007-1300:Debug - (C:\\p\\src\\other.c)",
                            "17:W-007-D001:C:\\p\\src\\h.h(1):  #include \"gone.h\"",
                            "17:W-007-D001:C:\\p\\src\\h.h(1):  #include \"gone.h\"",
                        }));
  EXPECT_EQ(scanner_.unresolved_count(), 5);
}

// Level i holds two headers that both include both headers of level i+1:
// 2^levels include paths, the case that made the plain recursion hang.
Files Ladder(int levels) {
  Files files;
  files.push_back({"C:\\p\\main.c", "#include \"l1a.h\"\n#include \"l1b.h\"\n"});
  for (int i = 1; i <= levels; ++i) {
    std::string next;
    if (i < levels) {
      std::string n = std::to_string(i + 1);
      next = "#include \"l" + n + "a.h\"\n#include \"l" + n + "b.h\"\n";
    }
    files.push_back({"C:\\p\\l" + std::to_string(i) + "a.h", next});
    files.push_back({"C:\\p\\l" + std::to_string(i) + "b.h", next});
  }
  return files;
}

TEST_F(IncludeScannerTest, DiamondsAreScannedOncePerRefresh) {
  AddFiles(Ladder(60));
  AddFiles({{"C:\\p\\second.c", "#include \"l1b.h\"\n"}});
  scanner_.set_include_style(1);
  std::vector<std::string> records = Scan("C:\\p\\main.c", kScanKindC);
  ASSERT_EQ(records.size(), 120u);
  EXPECT_EQ(records[0], "1 C:\\p\\l1a.h");
  EXPECT_EQ(records[1], "1 C:\\p\\l2a.h");
  EXPECT_EQ(records[119], "1 C:\\p\\l1b.h");
  // Each file is read once; below the source, whole trees that fit within
  // the limit are taken from their closures without walking them again.
  IncludeScanner::Stats stats = scanner_.stats();
  EXPECT_EQ(stats.files_read, 121u);
  EXPECT_EQ(stats.file_scans, 1u);
  EXPECT_EQ(Scan("C:\\p\\second.c", kScanKindC).size(), 119u);
  EXPECT_EQ(scanner_.stats().files_read, 122u);
  EXPECT_EQ(scanner_.stats().file_scans, 2u);
  // A run given again, and (runs no longer kept) scanned again.
  EXPECT_EQ(Scan("C:\\p\\main.c", kScanKindC), records);
  scanner_.set_keep_runs(false);
  EXPECT_EQ(Scan("C:\\p\\main.c", kScanKindC), records);
  EXPECT_EQ(scanner_.stats().runs_replayed, 1u);

  // Past the limit of style 0 every level is walked once.
  scanner_.BeginRefresh(false);
  scanner_.set_include_style(0);
  EXPECT_EQ(Scan("C:\\p\\main.c", kScanKindC).size(), 62u);
  EXPECT_TRUE(scanner_.last_run_hit_limit());
  EXPECT_EQ(scanner_.stats().file_scans, 63u);
}

// Runs both scanners over a tree in one refresh each and expects the same
// records, the same limit decisions, and the same lines except repeated
// warnings for one include line within a run. False when the plain
// recursion ran out of its budget.
bool ExpectSameAsReference(const IncludeTreeCase& tree, size_t budget) {
  MemoryFileSystem fs;
  for (const auto& file : tree.files)
    EXPECT_TRUE(fs.AddFile(file.path, file.text)) << file.path;
  FixedTextUi ui;
  RecordingDependencyOutput out;
  RecordingDependencyOutput reference_out;
  IncludeScanner scanner(fs, ui, out);
  ReferenceIncludeScanner reference(fs, ui, reference_out);
  // The same scan giving references instead of texts.
  RecordingDependencyOutput refs_out;
  IncludeScanner refs_scanner(fs, ui, refs_out);
  auto configure = [&](auto& s) {
    s.BeginRefresh(tree.update_dependency_file);
    s.set_include_style(tree.style);
    s.SetBaseDirectory(tree.base_directory);
    s.SetToolchainIncludeDirectory(tree.toolchain_include);
  };
  configure(scanner);
  configure(refs_scanner);
  configure(reference);
  reference.set_scan_budget(budget);
  IncludeScanOptions options;
  options.report_unresolved = true;
  options.skip_system_includes = tree.skip_system_includes;
  options.title = "T";

  int reference_count = 0;
  for (size_t i = 0; i < tree.sources.size(); ++i) {
    SCOPED_TRACE(tree.sources[i]);
    std::vector<std::string> paths, forms, ref_paths, ref_forms;
    size_t first_line = out.lines.size();
    size_t ref_first_line = reference_out.lines.size();
    if (!reference.ScanIncludes(tree.sources[i], tree.scan_kinds[i], tree.search_list, options,
                                &ref_paths, &ref_forms)) {
      return false;
    }
    scanner.ScanIncludes(tree.sources[i], tree.scan_kinds[i], tree.search_list, options, &paths,
                         &forms);
    EXPECT_EQ(Joined(paths, forms), Joined(ref_paths, ref_forms));
    EXPECT_EQ(scanner.last_run_hit_limit(), reference.last_run_hit_limit());
    std::vector<int> refs;
    std::string ref_form_chars;
    refs_scanner.ScanIncludeRefs(tree.sources[i], tree.scan_kinds[i], tree.search_list, options,
                                 &refs, &ref_form_chars);
    std::vector<std::string> refs_paths, refs_forms;
    for (size_t k = 0; k < refs.size(); ++k) {
      refs_paths.emplace_back(refs_scanner.RecordPath(refs[k]));
      refs_forms.emplace_back(1, ref_form_chars[k]);
    }
    EXPECT_EQ(Joined(refs_paths, refs_forms), Joined(paths, forms));

    std::vector<std::string> lines(out.lines.begin() + first_line, out.lines.end());
    std::vector<std::string> expected;
    std::set<std::string> warned;
    for (size_t l = ref_first_line; l < reference_out.lines.size(); ++l) {
      const std::string& line = reference_out.lines[l];
      bool located = line.find(":W-007-D001:") != std::string::npos;
      if (located && !warned.insert(line).second) continue;
      if (located) ++reference_count;
      expected.push_back(line);
    }
    EXPECT_EQ(lines, expected);
  }
  EXPECT_EQ(scanner.unresolved_count(), reference_count);
  return true;
}

IncludeTreeCase TreeOf(const Files& files, std::vector<std::string> sources, std::vector<int> kinds,
                       int style) {
  IncludeTreeCase tree;
  for (const auto& [path, text] : files)
    tree.files.push_back({path, text});
  tree.sources = std::move(sources);
  tree.scan_kinds = std::move(kinds);
  tree.style = style;
  tree.base_directory = "C:\\p\\";
  return tree;
}

TEST(IncludeScannerReferenceTest, TrickyTreesGiveTheSameRecordsAsThePlainRecursion) {
  // A cycle whose files include more after the include that closes it: the
  // plain recursion first meets those includes deep in the repeated cycle,
  // where the limit cuts their trees short, and records in that order.
  Files cycle_then_branches = {
      {"C:\\p\\main.c", "#include \"g.h\"\n#include \"late.h\"\n"},
      {"C:\\p\\g.h", "#include \"a.h\"\n#include \"b.h\"\n"},
      {"C:\\p\\a.h", "#include \"g.h\"\n#include \"a2.h\"\n"},
      {"C:\\p\\a2.h", "#include \"x1.h\"\n"},
      {"C:\\p\\b.h", "#include \"c.h\"\n#include \"d.h\"\n"},
      {"C:\\p\\c.h", "#include \"x1.h\"\n#include \"e.h\"\n"},
      {"C:\\p\\x1.h", "#include \"x2.h\"\n"},
      {"C:\\p\\x2.h", "#include \"x3.h\"\n#include \"gone.h\"\n"},
      {"C:\\p\\x3.h", "#include \"x4.h\"\n"},
      {"C:\\p\\x4.h", "#include \"x5.h\"\n"},
      {"C:\\p\\x5.h", ""},
      {"C:\\p\\d.h", "#include \"x4.h\"\n"},
      {"C:\\p\\e.h", ""},
      {"C:\\p\\late.h", "#include \"x1.h\"\n#include \"b.h\"\n"},
      // Includes the files above the cycle in the other order: what each
      // records below it is worked out once and given again.
      {"C:\\p\\second.c", "#include \"late.h\"\n#include \"a.h\"\n#include \"g.h\"\n"},
  };
  // Diamonds reached first deep, then shallow, past the limit.
  Files deep_then_shallow = {
      {"C:\\p\\main.c", "#include \"h1.h\"\n#include \"m.h\"\n"},
      {"C:\\p\\m.h", "#include \"t1.h\"\n"},
  };
  AddChain(&deep_then_shallow, "h", 28, "#include \"t1.h\"\n");
  for (int i = 1; i <= 8; ++i) {
    deep_then_shallow.push_back({"C:\\p\\t" + std::to_string(i) + ".h",
                                 "#include \"t" + std::to_string(i + 1) + ".h\"\n#include \"u" +
                                     std::to_string(i) + ".h\"\n"});
    deep_then_shallow.push_back({"C:\\p\\u" + std::to_string(i) + ".h", ""});
  }
  // A tree met shallow first, whole, and later deep enough to pass the
  // limit: the skipped visit must still stop at the limit.
  Files shallow_then_deep = {
      {"C:\\p\\main.c", "#include \"t1.h\"\n#include \"h1.h\"\n"},
  };
  AddChain(&shallow_then_deep, "h", 25, "#include \"t1.h\"\n");
  AddChain(&shallow_then_deep, "t", 10, "#include \"gone.h\"\n");
  // One name found through different search entries, by style.
  Files same_name = {
      {"C:\\p\\src\\main.c", "#include \"C:\\p\\lib\\l.h\"\n#include \"k.h\"\n#include <k.h>\n"},
      {"C:\\p\\lib\\l.h", "#include \"k.h\"\n#include \"sub\\m.h\"\n"},
      {"C:\\p\\lib\\k.h", "#include <k.h>\n"},
      {"C:\\p\\src\\k.h", "#include <k.h>\n"},
      {"C:\\p\\inc\\k.h", "#include \"C:\\p\\lib\\l.h\"\n"},
      {"C:\\p\\inc\\sub\\m.h", ""},
  };
  // Assembler: a chain near the limit of 8 with a cycle at its end.
  Files asm_chain = {{"C:\\p\\m.asm", ".include \"i1.inc\"\n"}};
  for (int i = 1; i <= 9; ++i) {
    asm_chain.push_back({"C:\\p\\i" + std::to_string(i) + ".inc",
                         ".include \"i" + std::to_string(i + 1) + ".inc\"\n.include \"j" +
                             std::to_string(i % 3) + ".inc\"\n"});
  }
  asm_chain.push_back({"C:\\p\\i10.inc", ".include \"i7.inc\"\n"});
  asm_chain.push_back({"C:\\p\\j0.inc", ".include \"j1.inc\"\n"});
  asm_chain.push_back({"C:\\p\\j1.inc", ".include \"j2.inc\"\n"});
  asm_chain.push_back({"C:\\p\\j2.inc", ".include \"missing.inc\"\n"});
  // The source included back by its own headers.
  Files source_in_cycle = {
      {"C:\\p\\m.mac", ".include \"a.inc\"\n"},
      {"C:\\p\\a.inc", ".include \"m.mac\"\n.include \"b.inc\"\n"},
      {"C:\\p\\b.inc", ".include \"c.inc\"\n"},
      {"C:\\p\\inc\\a.inc", ".include \"z.inc\"\n"},
  };

  // Cycles of one and three files with branches and unresolved includes
  // off the cycle, entered at different depths and phases, also just above
  // the limit of 255 after a long chain: a file met again while it is being
  // scanned records what a scan of it from scratch at that depth records
  // (worked out once, in nested runs, as deep as they go).
  Files cycles_near_limit = {
      {"C:\\p\\main.c", "#include \"p.h\"\n#include \"q.h\"\n#include \"k1.h\"\n"},
      {"C:\\p\\second.c", "#include \"r3.h\"\n#include \"k240.h\"\n#include \"p.h\"\n"},
      {"C:\\p\\p.h", "#include \"s1.h\"\n#include \"r1.h\"\n"},
      {"C:\\p\\q.h", "#include \"r2.h\"\n#include \"s1.h\"\n"},
      {"C:\\p\\s1.h", "#include \"s1.h\"\n#include \"w2.h\"\n#include \"gone1.h\"\n"},
      {"C:\\p\\r1.h", "#include \"r2.h\"\n#include \"w1.h\"\n"},
      {"C:\\p\\r2.h", "#include \"r3.h\"\n"},
      {"C:\\p\\r3.h", "#include \"r1.h\"\n#include \"w3.h\"\n#include \"gone2.h\"\n"},
      {"C:\\p\\w1.h", "#include \"w2.h\"\n"},
      {"C:\\p\\w2.h", "#include \"w3.h\"\n#include \"gone3.h\"\n"},
      {"C:\\p\\w3.h", "#include \"w4.h\"\n"},
      {"C:\\p\\w4.h", ""},
  };
  AddChain(&cycles_near_limit, "k", 252, "#include \"r1.h\"\n");

  // A shared header whose quoted include one source folder shadows: that
  // folder's sources may not take the header's tree from the others.
  Files shadowed = {
      {"C:\\p\\a\\one.c", "#include <h.h>\n"},   {"C:\\p\\b\\two.c", "#include <h.h>\n"},
      {"C:\\p\\inc\\h.h", "#include \"x.h\"\n"}, {"C:\\p\\inc\\x.h", ""},
      {"C:\\p\\b\\x.h", "#include \"z.h\"\n"},   {"C:\\p\\b\\z.h", ""},
  };
  const struct {
    const char* name;
    IncludeTreeCase tree;
  } cases[] = {
      {"shadowed in one folder, style 3",
       TreeOf(shadowed, {"C:\\p\\a\\one.c", "C:\\p\\b\\two.c", "C:\\p\\a\\one.c"}, {1, 1, 1}, 3)},
      {"shadowed in one folder, style 0",
       TreeOf(shadowed, {"C:\\p\\a\\one.c", "C:\\p\\b\\two.c"}, {1, 1}, 0)},
      {"cycle then branches, style 0", TreeOf(cycle_then_branches, {"C:\\p\\main.c"}, {1}, 0)},
      {"cycle then branches, style 3", TreeOf(cycle_then_branches, {"C:\\p\\main.c"}, {1}, 3)},
      {"cycle then branches, two sources, style 0",
       TreeOf(cycle_then_branches, {"C:\\p\\main.c", "C:\\p\\second.c"}, {1, 1}, 0)},
      {"cycle then branches, two sources, style 1",
       TreeOf(cycle_then_branches, {"C:\\p\\second.c", "C:\\p\\main.c"}, {1, 1}, 1)},
      {"deep then shallow", TreeOf(deep_then_shallow, {"C:\\p\\main.c"}, {1}, 2)},
      {"shallow then deep", TreeOf(shallow_then_deep, {"C:\\p\\main.c"}, {1}, 0)},
      {"same name, style 0", TreeOf(same_name, {"C:\\p\\src\\main.c"}, {1}, 0)},
      {"same name, style 3", TreeOf(same_name, {"C:\\p\\src\\main.c"}, {1}, 3)},
      // A source named by a path that is not in canonical form.
      {"roundabout source path, style 3",
       TreeOf(same_name, {"C:\\p\\inc\\..\\src\\.\\main.c", "c:/P/src/main.c"}, {1, 1}, 3)},
      {"roundabout assembler source path, style 3",
       TreeOf(asm_chain, {"C:\\p\\x\\..\\m.asm"}, {3}, 3)},
      {"assembler chain", TreeOf(asm_chain, {"C:\\p\\m.asm"}, {3}, 0)},
      {"assembler chain, macro", TreeOf(asm_chain, {"C:\\p\\m.asm"}, {4}, 0)},
      {"source in cycle, style 0", TreeOf(source_in_cycle, {"C:\\p\\m.mac"}, {4}, 0)},
      {"source in cycle, style 1", TreeOf(source_in_cycle, {"C:\\p\\m.mac"}, {4}, 1)},
      {"cycles near the limit of 255",
       TreeOf(cycles_near_limit, {"C:\\p\\main.c", "C:\\p\\second.c"}, {1, 1}, 1)},
      {"cycles near the limit of 255, style 3",
       TreeOf(cycles_near_limit, {"C:\\p\\second.c", "C:\\p\\main.c"}, {1, 1}, 3)},
      {"cycles near the limit of 31",
       TreeOf(cycles_near_limit, {"C:\\p\\main.c", "C:\\p\\second.c"}, {1, 1}, 0)},
      {"ladder past the limit", TreeOf(Ladder(14), {"C:\\p\\main.c"}, {1}, 0)},
      {"chain at the limit of 31", TreeOf(Chain(31, false), {"C:\\p\\main.c"}, {1}, 0)},
      {"chain past the limit of 31", TreeOf(Chain(32, false), {"C:\\p\\main.c"}, {1}, 2)},
      {"chain past the limit of 255", TreeOf(Chain(256, false), {"C:\\p\\main.c"}, {1}, 1)},
      {"assembler chain past the limit of 8", TreeOf(Chain(9, true), {"C:\\p\\main.asm"}, {3}, 1)},
      {"macro assembler chain past the limit of 255",
       TreeOf(Chain(256, true), {"C:\\p\\main.asm"}, {4}, 1)},
      {"assembler chain past the limit of 8, style 3",
       TreeOf(Chain(9, true), {"C:\\p\\main.asm"}, {3}, 3)},
  };
  for (const auto& c : cases) {
    for (bool update_dependency_file : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (update_dependency_file ? ", no guesses" : ""));
      IncludeTreeCase tree = c.tree;
      tree.update_dependency_file = update_dependency_file;
      tree.search_list = {"C:\\p\\inc"};
      EXPECT_TRUE(ExpectSameAsReference(tree, 1000000));
    }
  }
}

// The benchmarks' kernel-shaped tree, small: sources of many folders that
// share their headers' searches, found by names with "/", with headers of
// their own found in the including file's folder (MR44A).
TEST(IncludeScannerReferenceTest, AKernelShapedTreeGivesTheSameRecordsAsThePlainRecursion) {
  // Without its cycles, which the plain recursion repeats to the depth
  // limit (the tricky trees above have cycles).
  bench::KernelTreeShape shape = bench::KernelTreeShape::Scaled(0.012);
  shape.cycles = 0;
  bench::GeneratedTree kernel = bench::GenerateKernelTree(shape, "C:\\k\\");
  IncludeTreeCase tree;
  for (const auto& file : kernel.files)
    tree.files.push_back({file.path, file.text});
  tree.sources = kernel.sources;
  tree.scan_kinds.assign(tree.sources.size(), kScanKindC);
  tree.search_list = kernel.include_dirs;
  tree.base_directory = kernel.root;
  tree.style = 3;
  EXPECT_TRUE(ExpectSameAsReference(tree, 5000000));
}

TEST(IncludeScannerReferenceTest, RandomTreesGiveTheSameRecordsAsThePlainRecursion) {
  std::mt19937 random(20240611);
  int compared = 0;
  const int kCases = 1500;
  for (int i = 0; i < kCases; ++i) {
    std::string bytes(96, '\0');
    for (char& b : bytes)
      b = static_cast<char>(random());
    IncludeTreeCase tree = testing::MakeIncludeTreeCase(bytes);
    SCOPED_TRACE("case " + std::to_string(i) + "\n" + tree.Describe());
    if (ExpectSameAsReference(tree, 20000)) ++compared;
    if (::testing::Test::HasFailure()) break;
  }
  // Only trees whose plain recursion explodes are left out.
  EXPECT_GT(compared, kCases * 9 / 10);
}

}  // namespace
}  // namespace zelvan
