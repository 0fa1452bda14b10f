// Symbol values read back out of link command files.
#include "linkmap/link_command_file.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

constexpr const char* kScript =
    "/* board.lcf */\r\n"
    "memory\r\n{\r\n    code.l : origin=0x0 length=0x40000\r\n}\r\n"
    "STACK_SIZE = 0x400;\r\n"
    "heap_size = 32768 ;\r\n"
    "octal = 0100000;\r\n"
    "bad = 0x8000h;\r\n"
    "empty = ;\r\n"
    "wide = 4294967296;\r\n"
    "negative = -1;\r\n"
    "top = 0xFFFFFFFF;\r\n"
    "upper = 0X1f; plus = +5; zero = 0; half = 0x; eight = 089; huge = 99999999999999999999;\r\n"
    "split =\r\n    0x10;\r\n"
    "sum = 0x10000000 + 0x2000;\r\n"
    "cond = DEFINED(x) ? x : 0;\r\n"
    "ram_top = ORIGIN(RAM) + LENGTH(RAM);\r\n"
    "scaled = 4 * 1024; shifted = 1 << 4; added += 4; aligned = ALIGN(8);\r\n"
    "paren = (0x20); PROVIDE(provided = 0x30);\r\n"
    "SECTIONS\r\n{\r\n"
    "    .text : { *(code) } > code.l\r\n"
    "    stack_top = 0x00083FE0;\r\n"
    "    __top_RAM = 0x10000000 + 0x2000;\r\n"
    "    .bss : { bss_end = 0x10; } > data.l\r\n"
    "    .data : { *(data) } > data.l\r\n"
    "    Data_End = 0x90000;   // a comment with { and ;\r\n"
    "}\r\n"
    "after = 7;\r\n";

TEST(LinkCommandFile, AssignmentsOutsideAndAtTheFirstLevelOfSections) {
  LinkCommandFileParser lcf("C:\\p\\board.lcf");
  lcf.AnalyzeText(kScript);
  struct Case {
    const char* name;
    bool sections;
    bool found;
    uint32_t value;
  } cases[] = {
      {"stack_size", false, true, 0x400},
      {"STACK_SIZE", false, true, 0x400},
      {"heap_size", false, true, 0x8000},
      {"octal", false, true, 0x8000},
      {"bad", false, false, 0},
      {"empty", false, false, 0},
      {"wide", false, false, 0},
      {"negative", false, false, 0},
      {"top", false, true, 0xFFFFFFFF},
      {"upper", false, true, 0x1F},
      {"plus", false, true, 5},
      {"zero", false, true, 0},
      {"half", false, false, 0},
      {"eight", false, false, 0},
      {"huge", false, false, 0},
      {"split", false, false, 0},
      {"after", false, true, 7},
      {"stack_top", true, true, 0x83FE0},
      {"stack_top", false, false, 0},
      {"bss_end", true, false, 0},
      {"data_end", true, true, 0x90000},
      {"stack_size", true, false, 0},
      // An expression has no number; none of its words is taken for it.
      {"sum", false, false, 0},
      {"cond", false, false, 0},
      {"ram_top", false, false, 0},
      {"scaled", false, false, 0},
      {"shifted", false, false, 0},
      {"added", false, false, 0},
      {"aligned", false, false, 0},
      {"paren", false, true, 0x20},
      {"provided", false, false, 0},
      {"provide", false, false, 0},
      {"__top_ram", true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.sections ? " in SECTIONS" : " outside"));
    uint32_t value = 0;
    EXPECT_EQ(c.sections ? lcf.GetSectionsValue(c.name, &value) : lcf.GetOuterValue(c.name, &value),
              c.found);
    if (c.found) {
      EXPECT_EQ(value, c.value);
    }
  }
}

}  // namespace
}  // namespace zelvan
