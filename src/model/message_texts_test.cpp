#include "model/message_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/status_codes.h"
#include "platform/ui_hooks.h"

namespace zelvan {
namespace {

class FakeUi : public UiHooks {
 public:
  int MessageBox(std::string_view, std::string_view, unsigned) override { return kIdOk; }
  std::string LoadString(unsigned id) override {
    return id == kMsgNoWorkspace ? "Kein Arbeitsbereich offen." : "";
  }
};

// Message ids are looked up by binary search.
TEST(MessageTexts, TheTableIsSortedWithoutDuplicates) {
  std::vector<unsigned> ids = DefaultMessageIds();
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
  EXPECT_EQ(DefaultMessageText(4999), nullptr);
}

TEST(MessageTexts, PlacesAreFilledInOrderAndNeverTrusted) {
  const struct {
    const char* text;
    std::initializer_list<std::string_view> args;
    const char* expected;
  } cases[] = {
      {"The file %s already exists.", {"C:\\a.c"}, "The file C:\\a.c already exists."},
      {"%s: %d%%", {"main.c", "50"}, "main.c: 50%"},
      {"%d of %s", {}, " of "},               // missing arguments: empty
      {"no places", {"extra"}, "no places"},  // extra arguments: ignored
      {"%n %x %", {"a"}, "%n %x %"},          // other sequences stay
      {"%s%s", {"%s", "%d"}, "%s%d"},         // arguments are not re-read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatMessageText(c.text, c.args), c.expected);
  }
}

TEST(MessageTexts, LoadsFromTheResourcesFirst) {
  FakeUi ui;
  EXPECT_EQ(LoadMessage(ui, kMsgNoWorkspace), "Kein Arbeitsbereich offen.");
  EXPECT_EQ(LoadMessage(ui, kMsgLinkExists), DefaultMessageText(kMsgLinkExists));
  EXPECT_EQ(LoadMessage(ui, 4242), "Message 4242");
  EXPECT_EQ(LoadMessage(ui, kMsgFileExists, {"C:\\x.lcf"}), "The file C:\\x.lcf already exists.");
}

}  // namespace
}  // namespace zelvan
