// Memory areas read from link command files of the shapes people write.
#include "linkmap/memory_map_reader.h"

#include <gtest/gtest.h>

#include "tests/support/test_text.h"

namespace zelvan {
namespace {

struct Script {
  const char* name;
  const char* text;
  const char* areas;  // FormatAreaListText of what is read; null: no memory block
};

const Script kScripts[] = {
    {"nested RAM and ROM lines",
     "memory\n{\n    code.s : origin=0x00000000 length=0x00000100\n"
     "    code.m : origin=0x00000000 length=0x00010000\n"
     "    code.l : origin=0x00000000 length=0x00040000\n"
     "    DATA.S : origin=0x00000080 length=0x00000080\n"
     "    data.l : origin=0x00000080 length=0x0001FF80\n"
     "    IO     : origin=0x000FF000 length=0x00001000\n}\n",
     "0x0;0x40000;ROM\n0x80;0x1FF80;RAM\n0xFF000;0x1000;IO\n"},
    {"GNU form with attributes, comments and expressions around",
     "ENTRY(Reset_Handler)\r\n__memory_top = ORIGIN(RAM) + LENGTH(RAM);\r\n"
     "/* memory { old : org=0, len=10 } */\r\n"
     "MEMORY\r\n{\r\n  FLASH (rx)  : ORIGIN = 0x08000000, LENGTH = 0x80000 /* 512K */\r\n"
     "  RAM (xrw)   : ORIGIN = 0x20000000, LENGTH = 0x20000\r\n}\r\n"
     "SECTIONS\r\n{\r\n  .text : { *(.text*) } > FLASH\r\n}\r\n",
     "0x8000000;0x80000;FLASH\n0x20000000;0x20000;RAM\n"},
    {"short forms, suffixed and decimal lengths, no blank before the brace",
     "MEMORY {\nrom(rx):org=0x0,len=256K\nsram : org = 0X400 , len = 0x100\n"
     "ccm : ORIGIN = 0x10000000, LENGTH = 1024\nabc : org=0x200, len=0x100}",
     "0x400;0x100;sram\n0x10000000;0x1024;ccm\n0x200;0x100;abc\n"},
    {"numbered and out-of-range entries",
     "memory\n{\n  IO1 : org=1000,len=100\n  IO2F : org=2000,len=10\n  IOX : org=0,len=1\n"
     "  Reserved3 : org=0,len=1\n  huge : org=0x100000000,len=1\n"
     "  data.m : org=0x80,len=0xFF80\n  data.s : org=0x100,len=0x20000\n}\n",
     "0x1000;0x100;IO\n0x2000;0x10;IO\n0x0;0x1;IOX\n0x0;0x1;Reserved\n0x80;0x20080;RAM\n"},
    {"the merge rule looks at the area of the name that starts nearest below",
     "memory\n{\n  IO : org=100, len=10\n  IO : org=300, len=10\n  IO : org=108, len=100\n"
     "  IO : org=305, len=1\n  IO : org=400, len=0\n  IO : org=400, len=4\n  IO : org=402, "
     "len=4\n}",
     "0x100;0x108;IO\n0x300;0x10;IO\n0x400;0x0;IO\n0x400;0x6;IO\n"},
    {"an entry without length is skipped, not merged with the next",
     "memory\n{\n  a : org=0x10, len=0x20\n  b : org=0x30\n  c : l = 0x10\n  d : o = 1, l = 2\n"
     "}\ne : org=1, len=2\n",
     "0x10;0x20;a\n0x1;0x2;d\n"},
    {"expressions and suffixes are skipped whole",
     "MEMORY\n{\n  flash (rx) : ORIGIN = 0x00000000 + 8K, LENGTH = 0x00040000 - 8K\n"
     "  ram (rwx) : ORIGIN = 0x20000000, LENGTH = 0x8000\n"
     "  sram : ORIGIN = 0x30000000, LENGTH = 256K\n  ccm : org = 0x10000000, len = (8*1024)\n"
     "  bkp : ORIGIN = MAX(0x100, 0x200), LENGTH = 0x10\n"
     "  top : ORIGIN = DEFINED(x) ? x : 0x100, LENGTH = 0x10\n"
     "  tail : ORIGIN = 0x40000000, LENGTH = 0x1000 - 0x10\n  last : o = 0x50, l = 0x60\n}\n",
     "0x20000000;0x8000;ram\n0x50;0x60;last\n"},
    {"short keywords, several entries on a line, values on the next line",
     "MEMORY {\n a : o = 0x1000, l = 0x2000\n b : org = 0x4000, len = 0x1000\n"
     " c : o=0x10,l=0x10, d (rw) : o=0x20,l=0x10 e : o = 0x30 l = 0x10\n"
     " f :\n   ORIGIN =\n     0x40,\n   LENGTH = 0x10\n o : o = 0x50, l = 0x10\n}",
     "0x1000;0x2000;a\n0x4000;0x1000;b\n0x10;0x10;c\n0x20;0x10;d\n0x30;0x10;e\n0x40;0x10;f\n"
     "0x50;0x10;o\n"},
    {"lines that are no entry, empty and repeated values",
     "MEMORY\n{\n  INCLUDE board_mem.ld\n  ram : ORIGIN = 0x100, LENGTH = 0x200\n"
     "  e1 : ORIGIN = , LENGTH = 0x10\n  e2 : ORIGIN = 0x1, ORIGIN = 0x2, LENGTH = 0x10\n"
     "  e3 : ORIGIN = 0x1 LENGTH = 0x10 + 1 e4 : ORIGIN = 0x2, LENGTH = 0x20\n"
     "  e5 : ORIGIN = 0x3, LENGTH = 0x30h\n}\n",
     "0x100;0x200;ram\n0x2;0x20;e4\n"},
    {"only a commented-out block", "/* memory\n{\n rom : org=0, len=10\n}\n*/\n", nullptr},
    {"the word inside a longer name only", "memory_map = 1;\nmymemory { a : org=0, len=1 }\n",
     nullptr},
    {"no closing brace", "memory\n{\n rom : org=0, len=10\n", nullptr},
    {"binary bytes", "memory\n{\n\x01\xfe\x7f rom : org=0x10, len=0x20\xff\n x: org=1, len=2\n}",
     "0x1;0x2;x\n"},
};

TEST(MemoryMapReader, ReadsTheAreasOfRealWorldScripts) {
  for (const Script& s : kScripts) {
    SCOPED_TRACE(s.name);
    MemoryAreaList areas;
    EXPECT_EQ(ReadMemoryMapText(s.text, &areas), s.areas != nullptr);
    EXPECT_EQ(testing::Visible(FormatAreaListText(areas)),
              testing::Visible(s.areas ? s.areas : ""));
  }
}

// The areas are read in one pass, the merge rule included: the steps grow
// with the text, not with the square of the number of areas.
TEST(MemoryMapReader, ReadsInStepsLinearInTheText) {
  for (int areas : {1000, 20000}) {
    std::string text = "MEMORY\n{\n";
    for (int i = 0; i < areas; ++i) {
      // Distinct names, one name for many areas, and nested lines that merge.
      text += "  a" + std::to_string(i) + " (rx) : ORIGIN = 0x" + std::to_string(i) +
              "00, LENGTH = 0x100\n  IO" + std::to_string(i % 7) + " : o = 0x" + std::to_string(i) +
              "000, l = 0x10\n  data.s : org=0x" + std::to_string(i) +
              "000, len=0x80\n  data.l : org=0x" + std::to_string(i) + "000, len=0x800\n";
    }
    text += "}\n";
    MemoryAreaList read;
    size_t steps = 0;
    ASSERT_TRUE(ReadMemoryMapText(text, &read, &steps));
    EXPECT_EQ(read.size(), 3u * areas);
    EXPECT_EQ(read.names.back(), "RAM");
    EXPECT_EQ(read.sizes.back(), 0x800u);
    EXPECT_LE(steps, 3 * text.size()) << areas << " areas";
  }
}

}  // namespace
}  // namespace zelvan
