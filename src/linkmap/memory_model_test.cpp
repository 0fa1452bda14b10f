// Memory models of a template INI and the macros of full projects.
#include "linkmap/memory_model.h"

#include <gtest/gtest.h>

#include "linkmap/memory_map_generator.h"
#include "linkmap/memory_map_reader.h"
#include "platform/profile_text.h"

namespace zelvan {
namespace {

constexpr const char* kIni =
    "[MemoryModelInfo]\r\nModels= small ;big;bad;empty;wide\r\n"
    "[MemoryModel!small]\r\nArea0=0x0;0x10000;ROM;ROM_MACROS\r\nArea1=10000;8000;RAM\r\n"
    "Area2=0x40000;0x1000;RESERVED\r\nArea3=0xFF000;0x100;IO\r\nArea4=0xFF100;0x100;IO\r\n"
    "[MemoryModel!big]\r\nArea0=0x0;0x20000;ROM\r\nArea1=0x20000;0x100;HEAP;HEAP_MACROS\r\n"
    "[MemoryModel!bad]\r\nArea0=0x0;0x10000\r\n"
    "[MemoryModel!wide]\r\nArea0=0xFFFFF000;0x2000;ROM\r\n"
    "[ROM_MACROS]\r\nROM_TOP=$(BOTTOM)\r\n[HEAP_MACROS]\r\nHEAP_END=$(END)\r\n";

TEST(MemoryModel, ReadsModelsRefusesBadOnesAndMakesMacros) {
  ProfileText ini(kIni);
  std::string default_model;
  EXPECT_EQ(MemoryModelNames(ini, &default_model),
            (std::vector<std::string>{"small", "big", "bad", "empty", "wide"}));
  EXPECT_EQ(default_model, "small");  // no DefaultModel: the first

  MemoryModel model;
  std::string error;
  ASSERT_TRUE(ReadMemoryModel(ini, "SMALL", &model, &error)) << error;
  EXPECT_EQ(model.areas.names, (std::vector<std::string>{"ROM", "RAM", "RESERVED", "IO", "IO"}));
  EXPECT_EQ(model.areas.starts[1], 0x10000u);
  EXPECT_EQ(model.macro_sections, (std::vector<std::string>{"ROM_MACROS", "", "", "", ""}));

  const struct {
    const char* model;
    const char* error;
  } kBad[] = {
      {"huge", "the CPU has no memory model huge"},
      {"bad", "[MemoryModel!bad] Area0 is no area: 0x0;0x10000"},
      {"empty", "the memory model empty has no areas"},
  };
  for (const auto& bad : kBad) {
    EXPECT_FALSE(ReadMemoryModel(ini, bad.model, &model, &error)) << bad.model;
    EXPECT_EQ(error, bad.error);
  }
  // An area beyond 0xFFFFFFFF reads, but no macros are made of it.
  ASSERT_TRUE(ReadMemoryModel(ini, "wide", &model, &error));
  MemoryMapSettings settings;
  std::vector<std::string> names, values;
  EXPECT_FALSE(AppendMemoryModelMacros(ini, model, MemoryForm::kStandard, settings, &names, &values,
                                       &error));
  EXPECT_TRUE(names.empty());

  // The macros of both forms; their memory blocks read back.
  MemoryModel small, big;
  ASSERT_TRUE(ReadMemoryModel(ini, "small", &small, &error));
  ASSERT_TRUE(ReadMemoryModel(ini, "big", &big, &error));
  ASSERT_TRUE(
      AppendMemoryModelMacros(ini, small, MemoryForm::kMr44, settings, &names, &values, &error));
  EXPECT_FALSE(settings.HeapFlag());
  EXPECT_EQ(names, (std::vector<std::string>{"TARGET_CHANGE_MEMORY", "TARGET_MEMORY", "MAINPROGRAM",
                                             "INSERTPROGRAM", "ROM_TOP"}));
  EXPECT_EQ(values[0].rfind("__ROM_START\tEQU\t0x0\r\n__ROM_END\tEQU\t0xFFFF\r\n__RAM_START", 0),
            0u)
      << values[0];
  EXPECT_NE(values[0].find("__IO2_END\tEQU\t0xFF1FF\r\n"), std::string::npos);
  EXPECT_EQ(values[2], "0x0");
  EXPECT_EQ(values[3], "0x40000");
  EXPECT_EQ(values[4], "0x10000");
  // The memory block of either form reads back as the areas it was made of
  // (numbered IO areas read as IO).
  MemoryAreaList read;
  ASSERT_TRUE(ReadMemoryMapText("MEMORY\r\n{\r\n" + values[1] + "}\r\n", &read));
  EXPECT_EQ(read, small.areas);

  names.clear();
  values.clear();
  ASSERT_TRUE(
      AppendMemoryModelMacros(ini, big, MemoryForm::kStandard, settings, &names, &values, &error));
  EXPECT_TRUE(settings.HeapFlag());
  EXPECT_EQ(values[0],
            "        .equ    __ROM_START, 0x0\r\n        .equ    __ROM_END, 0x1FFFF\r\n"
            "        .equ    __HEAP_START, 0x20000\r\n        .equ    __HEAP_END, 0x200FF\r\n");
  EXPECT_EQ(values[3], "");
  EXPECT_EQ(names.back(), "HEAP_END");
  EXPECT_EQ(values.back(), "0x200FF");
  read = MemoryAreaList();
  ASSERT_TRUE(ReadMemoryMapText("memory\n{\n" + values[1] + "}\n", &read));
  EXPECT_EQ(read, big.areas);
}

}  // namespace
}  // namespace zelvan
