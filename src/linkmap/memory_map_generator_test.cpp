// Memory blocks generated from memory maps and written into link command files.
#include "linkmap/memory_map_generator.h"

#include <gtest/gtest.h>

#include "linkmap/memory_map_reader.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Visible;

TEST(MemoryMapGenerator, BlocksOfMaps) {
  struct Case {
    const char* areas;  // area list text
    const char* format;
    const char* lines;
    bool heap;
  } cases[] = {
      {"0x80;0x1FF80;RAM\n0x10000;0x10000;rom\n", "0x%08X",
       "    data.s : origin=0x00000080 length=0x00000080\r\n"
       "    data.m : origin=0x00000080 length=0x0000FF80\r\n"
       "    data.l : origin=0x00000080 length=0x0001FF80\r\n"
       "    code.l : origin=0x00010000 length=0x00010000\r\n",
       false},
      {"0x0;0x0;RAM\n0xF000;0x100;IO\n0x0;0x1;IO1\n0xF100;0x10;io\n0x0;0x10;RESERVED\n"
       "0x9000;0x800;Heap\n0x100;0x20;a%s%n\n",
       "%X",
       "    data.l : origin=0 length=0\r\n    IO2    : origin=F000 length=100\r\n"
       "    IO1    : origin=0 length=1\r\n    io3    : origin=F100 length=10\r\n"
       "    RESERVED : origin=0 length=10\r\n    Heap   : origin=9000 length=800\r\n"
       "    a%s%n  : origin=100 length=20\r\n",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.areas);
    MemoryMapSettings settings;
    settings.SetHeapFlag(!c.heap);
    ASSERT_TRUE(settings.SetHexFormat(c.format));
    std::string lines;
    std::string error;
    ASSERT_TRUE(GenerateMemoryBlock(std::string_view(c.areas), settings, &lines, &error)) << error;
    EXPECT_EQ(Visible(lines), Visible(c.lines));
    EXPECT_EQ(settings.HeapFlag(), c.heap);
  }
}

TEST(MemoryMapGenerator, RefusesUnsafeFormatsAndAreas) {
  MemoryMapSettings settings;
  for (const char* format :
       {"%s", "%08X%n", "0x%X-%X", "plain", "%", "%lX", "%999X", "%*X", "0x%08X\n"}) {
    EXPECT_FALSE(settings.SetHexFormat(format)) << format;
  }
  EXPECT_EQ(settings.HexFormat(), "0x%08X");
  EXPECT_TRUE(settings.SetHexFormat("%%%#.4x"));
  EXPECT_EQ(settings.FormatHex(0x1F), "%0x001f");
  std::string lines;
  std::string error;
  for (const char* areas : {"0xFFFFFFFF;0x2;ROM\n", "0x0;0x1;a b\n", "0x0;0x1;x}\n", "0;1;/*\n",
                            "0;1;\n", "zz;1;x\n", "1;2\n"}) {
    EXPECT_FALSE(GenerateMemoryBlock(std::string_view(areas), settings, &lines, &error)) << areas;
  }
}

// The same map written into files of different shapes: only the contents of
// the block change, lines ending as the file's do.
TEST(MemoryMapGenerator, WritesTheBlockInPlace) {
  MemoryAreaList areas;
  areas.Append("ROM", 0, 0x40000);
  areas.Append("RAM", 0x80000, 0x4000);
  areas.Append("IO", 0xFF000, 0x1000);
  const std::string lf_block =
      "{\n    code.s : origin=0x00000000 length=0x00000100\n"
      "    code.m : origin=0x00000000 length=0x00010000\n"
      "    code.l : origin=0x00000000 length=0x00040000\n"
      "    data.l : origin=0x00080000 length=0x00004000\n"
      "    IO     : origin=0x000FF000 length=0x00001000\n}";
  std::string crlf_block = lf_block;
  for (size_t at = 0; (at = crlf_block.find('\n', at)) != std::string::npos; at += 2)
    crlf_block.insert(at, "\r");
  struct Case {
    std::string before, block, after;
  } cases[] = {
      {"/* Motor */\nmemory\n", "{\n    code.l : origin=0x0 length=0x100\n}",
       "\n\nstack_size = 0x400;\nSECTIONS\n{\n    .text : { *(code) } > code.l\n}\n"},
      {"ENTRY(start)\r\n__memory_top = 0x1000; /* MEMORY { x } */\r\nMEMORY ",
       "{\r\n  FLASH (rx) : ORIGIN = 0, LENGTH = 256K /* } */\r\n}", "\r\nSECTIONS { }"},
      {"memory", "{}", "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    bool crlf = c.before.find("\r\n") != std::string::npos;
    std::string expected = c.before + (crlf ? crlf_block : lf_block) + c.after;
    MemoryMapSettings settings;
    std::string text;
    std::string error;
    ASSERT_TRUE(ReplaceMemoryBlock(c.before + c.block + c.after, areas, settings, &text, &error))
        << error;
    EXPECT_EQ(Visible(text), Visible(expected));
    MemoryAreaList read_back;
    ASSERT_TRUE(ReadMemoryMapText(text, &read_back));
    EXPECT_EQ(read_back, areas);
  }
}

TEST(MemoryMapGenerator, AFailedWriteLeavesTheFileAsItWas) {
  testing::MemoryFileSystem memory;
  testing::FaultyFileSystem fs(memory);
  const std::string lcf = "memory\r\n{\r\n    IO : origin=0x0 length=0x10\r\n}\r\nx = 1;\r\n";
  const std::string plain = "SECTIONS\n{\n}\n";
  memory.AddFile("C:\\p\\a.lcf", lcf);
  memory.AddFile("C:\\p\\plain.lcf", plain);
  memory.AddFile("C:\\p\\locked.lcf", lcf);
  memory.SetReadOnly("C:\\p\\locked.lcf", true);
  MemoryAreaList areas;
  areas.Append("IO", 0x100, 0x10);
  MemoryMapSettings settings;
  std::string error;
  EXPECT_FALSE(WriteMemoryMapToLcf(fs, "C:\\p\\plain.lcf", areas, settings, &error));
  EXPECT_EQ(error, "C:\\p\\plain.lcf: the file has no memory block (memory { ... })");
  EXPECT_FALSE(WriteMemoryMapToLcf(fs, "C:\\p\\none.lcf", areas, settings, &error));
  for (testing::FsOp op : {testing::FsOp::kAppend, testing::FsOp::kRename}) {
    fs.FailNth(op, 1);
    EXPECT_FALSE(WriteMemoryMapToLcf(fs, "C:\\p\\a.lcf", areas, settings, &error));
  }
  EXPECT_EQ(memory.Contents("C:\\p\\a.lcf"), lcf);
  EXPECT_EQ(memory.Contents("C:\\p\\plain.lcf"), plain);
  EXPECT_EQ(memory.AllFiles().size(), 3u);
  // A read-only file is replaced like any other.
  for (const char* path : {"C:\\p\\a.lcf", "C:\\p\\locked.lcf"}) {
    ASSERT_TRUE(WriteMemoryMapToLcf(fs, path, areas, settings, &error)) << error;
    EXPECT_EQ(memory.Contents(path),
              "memory\r\n{\r\n    IO     : origin=0x00000100 length=0x00000010\r\n}\r\nx = 1;\r\n");
  }
}

}  // namespace
}  // namespace zelvan
