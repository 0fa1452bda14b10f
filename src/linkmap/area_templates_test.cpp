// Template files filled with the addresses of memory areas.
#include "linkmap/area_templates.h"

#include <gtest/gtest.h>

#include "linkmap/memory_map_generator.h"
#include "platform/private_profile.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

TEST(AreaTemplates, ExpandsAreaMacrosAndFillsTemplates) {
  testing::MemoryFileSystem memory;
  testing::FaultyFileSystem fs(memory);
  PrivateProfile profile(fs);
  memory.AddFile("C:\\cpu\\MX520.ini",
                 "[RAM_MACROS]\r\nRAM_START=$(START)\r\nSTACK_TOP=$(BOTTOM)\r\nEMPTY=\r\n"
                 "RAM_INFO=$(START)..$(END), $(SIZE) bytes, $(OTHER)\r\n"
                 "[TOP]\r\nBOTTOM=$(BOTTOM)\r\n");
  std::vector<std::string> keys;
  std::vector<std::string> values;
  ExpandAreaTemplates(profile, "ram_macros", "C:\\cpu\\MX520.ini", 0x400, 0x7FF, 0x400, &keys,
                      &values);
  ExpandAreaTemplates(profile, "TOP", "C:\\cpu\\MX520.ini", 0xFFFFF000, 0xFFFFFFFF, 0x1000, &keys,
                      &values);
  EXPECT_EQ(keys,
            (std::vector<std::string>{"RAM_START", "STACK_TOP", "EMPTY", "RAM_INFO", "BOTTOM"}));
  EXPECT_EQ(values,
            (std::vector<std::string>{"0x400", "0x800", "", "0x400..0x7FF, 0x400 bytes, $(OTHER)",
                                      "0x100000000"}));

  const std::string startup =
      "#define  __USE_HEAP     0\n"
      "stack: .equ $(STACK_TOP) ; $(RAM_INFO) $(UNKNOWN)\n";
  memory.AddFile("C:\\tpl\\startup.asm", startup);
  memory.AddDirectory("C:\\new");
  MemoryMapSettings settings;
  std::string failed;
  ASSERT_TRUE(InstantiateTemplateFile(fs, "C:\\tpl\\startup.asm", "C:\\new\\startup.asm", keys,
                                      values, settings, &failed));
  EXPECT_EQ(memory.Contents("C:\\new\\startup.asm"),
            "#define  __USE_HEAP     0\n"
            "stack: .equ 0x800 ; 0x400..0x7FF, 0x400 bytes, $(OTHER) $(UNKNOWN)\n");
  settings.SetHeapFlag(true);
  EXPECT_EQ(InstantiateTemplateText(startup.substr(0, 26), keys, values, settings),
            "#define  __USE_HEAP     1\n");
  EXPECT_EQ(InstantiateTemplateText("#define __USE_HEAP 0\n", keys, values, settings),
            "#define __USE_HEAP 0\n");

  EXPECT_FALSE(InstantiateTemplateFile(fs, "C:\\tpl\\missing.asm", "C:\\new\\x.asm", keys, values,
                                       settings, &failed));
  EXPECT_EQ(failed, "C:\\tpl\\missing.asm");
  fs.FailNth(testing::FsOp::kRename, 1);
  EXPECT_FALSE(InstantiateTemplateFile(fs, "C:\\tpl\\startup.asm", "C:\\new\\startup.asm", keys,
                                       values, settings, &failed));
  EXPECT_EQ(failed, "C:\\new\\startup.asm");
  EXPECT_EQ(memory.Contents("C:\\new\\startup.asm").value().substr(0, 26),
            "#define  __USE_HEAP     0\n");
}

}  // namespace
}  // namespace zelvan
