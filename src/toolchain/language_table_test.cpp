#include "toolchain/language_table.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(LangToolsTest, ClassifiesExtensionsIgnoringCase) {
  const struct {
    const char* ext;
    const char* tool_key;  // "" when no source language has the extension
    int32_t scan_kind;
    bool header;
    bool library;
  } cases[] = {
      {"c", "CC", kScanC, false, false},           {"CXX", "CC", kScanC, false, false},
      {"asm", "AS", kScanAsm, false, false},       {"EAS", "AS", kScanAsm, false, false},
      {"mac", "MAC", kScanAsmMacro, false, false}, {"app", "APP", kScanAsm, false, false},
      {"src", "CCL", kScanCcl, false, false},      {"mpp", "MPP", kScanAsm, false, false},
      {"rel", "LINK", kScanNone, false, true},     {"lcf", "LINK", kScanNone, false, false},
      {"LIB", "LINK", kScanNone, false, true},     {"cfg", "", kScanC, false, false},
      {"h", "", kScanNone, true, false},           {"INC", "", kScanNone, true, false},
      {".c", "CC", kScanC, false, false},          {"", "", kScanNone, false, false},
      {"c;cpp", "", kScanNone, false, false},      {"xyz", "", kScanNone, false, false},
  };
  LanguageTable tools;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    std::string key = "stale";
    EXPECT_EQ(tools.GetToolKeyByExt(c.ext, &key), *c.tool_key != '\0');
    EXPECT_EQ(key, c.tool_key);
    EXPECT_EQ(tools.GetScanKindByExt(c.ext), c.scan_kind);
    EXPECT_EQ(tools.IsHeaderExt(c.ext), c.header);
    EXPECT_EQ(tools.IsLibraryExt(c.ext), c.library);
  }
}

TEST(LangToolsTest, ToolIndexAndObjectNames) {
  EXPECT_EQ(ToolIndex("link"), kToolIndexLink);
  EXPECT_EQ(ToolIndex("TRC"), -1);
  EXPECT_EQ(std::string(ToolKindName(-1)) + std::string(ToolKindName(7)), "");
  // An assembler source becomes "<title>.rel"; LINK input has no object of its own.
  EXPECT_EQ(ObjectNameFor("boot", ToolIndex("AS")), "boot.rel");
  EXPECT_EQ(ObjectNameFor("boot", kToolIndexLink), "");
  EXPECT_TRUE(IsCompiledToolIndex(5));
  EXPECT_FALSE(IsCompiledToolIndex(6));
}

}  // namespace
}  // namespace zelvan
