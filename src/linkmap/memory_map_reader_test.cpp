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
    {"an entry without length ends the list",
     "memory\n{\n  a : org=0x10, len=0x20\n  b : org=0x30\n}\nc : org=1, len=2\n", "0x10;0x20;a\n"},
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

}  // namespace
}  // namespace zelvan
