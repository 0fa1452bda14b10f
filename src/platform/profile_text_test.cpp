#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Bytes;
using testing::Visible;

TEST(ProfileTextTest, ReadRules) {
  const struct {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    const char* expected;  // null: not found
  } cases[] = {
      {"names ignore case", "[Sec]\nKey=v\n", "sEC", "kEY", "v"},
      {"blanks inside the brackets", "[ \tS  ]\nk=v", "S", "k", "v"},
      {"blanks around key and value", "[S]\n \tk \t=  v w \t\n", "S", "k", "v w"},
      {"blanks around the arguments", "[S]\nk=v\n", " S\t", "\tk ", "v"},
      {"double quotes keep inner blanks", "[S]\nk= \" v \" \n", "S", "k", " v "},
      {"mismatched quotes stay", "[S]\nk=\"v'\n", "S", "k", "\"v'"},
      {"only one pair removed", "[S]\nk=\"\"v\"\"\n", "S", "k", "\"v\""},
      {"equals sign in the value", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"first of two keys wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"only the first section counts", "[S]\na=1\n[s]\nb=2\n", "S", "b", nullptr},
      {"lines before the first section", "k=v\n[S]\n", "S", "k", nullptr},
      {"comment line", "[S]\n;k=v\n", "S", ";k", nullptr},
      {"no inline comments", "[S]\nk=v ;x\n", "S", "k", "v ;x"},
      {"hash starts a key", "[S]\n#k=v\n", "S", "#k", "v"},
      {"header ends at the first bracket", "[S]x]\nk=v\n", "S", "k", "v"},
      {"text after the header is ignored", "[S] k=1\nk=v\n", "S", "k", "v"},
      {"open bracket alone is no header", "[A]\n[S\nk=v\n", "A", "k", "v"},
      {"lines without equals skipped", "[S]\njunk\nk=v\n", "S", "k", "v"},
      {"line without key skipped", "[S]\n=v\n", "S", "", nullptr},
      {"lone CR ends lines", "[S]\rk=v\rx=y", "S", "x", "y"},
      {"empty section name", "[]\nk=v\n", "", "k", "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileText text(c.text);
    std::string value = "unchanged";
    bool found = text.Lookup(c.section, c.key, &value);
    if (c.expected == nullptr) {
      EXPECT_FALSE(found);
      EXPECT_EQ(value, "unchanged");
    } else {
      EXPECT_TRUE(found);
      EXPECT_EQ(value, c.expected);
    }
  }
  // Binary bytes read back as they stand.
  ProfileText binary(Bytes("[S]\nk=\x01\0\xff\n"));
  std::string value;
  ASSERT_TRUE(binary.Lookup("S", "k", &value));
  EXPECT_EQ(value, Bytes("\x01\0\xff"));
}

TEST(ProfileTextTest, NamesAndEntries) {
  ProfileText text("top=1\n[Alpha]\nb=1\n;c=2\nA=2\nB=3\n[beta]\nx= 'q' \n[ALPHA]\nz=9\n");
  EXPECT_EQ(text.SectionNames(), (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_EQ(text.KeyNames("alpha"), (std::vector<std::string>{"b", "A"}));
  EXPECT_EQ(text.KeyNames("missing"), std::vector<std::string>{});
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(text.SectionEntries("ALPHA"), (Entries{{"b", "1"}, {"A", "2"}, {"B", "3"}}));
  EXPECT_EQ(text.SectionEntries("Beta"), (Entries{{"x", "q"}}));
  EXPECT_TRUE(text.HasSection(" beta "));
  EXPECT_FALSE(text.HasSection("top"));
}

TEST(ProfileTextTest, RenderKeepsEveryByte) {
  const std::string samples[] = {
      "",
      "\r\n",
      "no line end",
      "; comment\r\n[S]\nk = v \r  junk\r\n\r\n[T]\r\n",
      Bytes("[S]\r\nk=\0\xff\x80\r\n\n\r"),
      "[a]\n[a]\n[A]\nk=1\nk=2",
  };
  for (const std::string& sample : samples) {
    SCOPED_TRACE(Visible(sample));
    ProfileText text(sample);
    EXPECT_EQ(text.Render(), sample);
    EXPECT_EQ(text.RenderedSize(), sample.size());
  }
}

TEST(ProfileTextTest, Edits) {
  using Edit = ProfileText::Edit;
  enum Op { kSet, kDeleteKey, kDeleteSection };
  const struct {
    const char* what;
    const char* before;
    Op op;
    const char* section;
    const char* key;
    const char* value;
    Edit result;
    const char* after;
  } cases[] = {
      {"new file", "", kSet, "S", "k", "v", Edit::kChanged, "[S]\r\nk=v\r\n"},
      {"new section at the end", "[A]\r\na=1\r\n", kSet, "B", "b", "2", Edit::kChanged,
       "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
      {"names are trimmed, values written as given", "", kSet, " S ", "\tk ", " v ", Edit::kChanged,
       "[S]\r\nk= v \r\n"},
      {"a missing final line end is added", "[A]\r\na=1", kSet, "A", "b", "2", Edit::kChanged,
       "[A]\r\na=1\r\nb=2\r\n"},
      {"a new key goes after the last key", "[A]\r\na=1\r\n; c\r\n\r\n[B]\r\n", kSet, "A", "b", "2",
       Edit::kChanged, "[A]\r\na=1\r\nb=2\r\n; c\r\n\r\n[B]\r\n"},
      {"a section without keys takes it after the header", "[A]\n;c\n[B]\n", kSet, "a", "k", "v",
       Edit::kChanged, "[A]\nk=v\r\n;c\n[B]\n"},
      {"replaced in place, key and line end kept", "[A]\n  Key = old  \nx=1\n", kSet, "a", "KEY",
       "new", Edit::kChanged, "[A]\n  Key =new\nx=1\n"},
      {"replaced in the last line without line end", "[A]\nk=1", kSet, "A", "k", "2",
       Edit::kChanged, "[A]\nk=2\r\n"},
      {"the same value changes nothing", "[A]\r\nk=v\r\n", kSet, "A", "K", "v", Edit::kUnchanged,
       "[A]\r\nk=v\r\n"},
      {"the first of two sections is written", "[A]\na=1\n[B]\n[a]\nb=1\n", kSet, "A", "b", "2",
       Edit::kChanged, "[A]\na=1\nb=2\r\n[B]\n[a]\nb=1\n"},
      {"the first of two keys is replaced", "[A]\nk=1\nk=2\n", kSet, "A", "k", "3", Edit::kChanged,
       "[A]\nk=3\nk=2\n"},
      {"lines before the first section stay", "; top\r\nx=1\r\n", kSet, "S", "x", "2",
       Edit::kChanged, "; top\r\nx=1\r\n[S]\r\nx=2\r\n"},
      {"lone CR file", "[A]\ra=1\r", kSet, "A", "b", "2", Edit::kChanged, "[A]\ra=1\rb=2\r\n"},
      {"line feed in a value refused", "[A]\r\n", kSet, "A", "k", "a\nb", Edit::kRefused,
       "[A]\r\n"},
      {"carriage return in a key refused", "[A]\r\n", kSet, "A", "k\r", "v", Edit::kRefused,
       "[A]\r\n"},
      {"empty key refused", "", kSet, "A", "\t", "v", Edit::kRefused, ""},
      {"bracket in a section refused", "", kSet, "A]B", "k", "v", Edit::kRefused, ""},
      {"equals in a key refused", "", kSet, "A", "k=x", "v", Edit::kRefused, ""},
      {"bracket key refused", "", kSet, "A", "[k]", "v", Edit::kRefused, ""},
      {"delete key leaves the section", "[A]\r\nk=1\r\n[B]\r\n", kDeleteKey, "a", "K", "",
       Edit::kChanged, "[A]\r\n[B]\r\n"},
      {"delete key removes every line of it", "[A]\nk=1\nx=2\nK=3\n", kDeleteKey, "A", "k", "",
       Edit::kChanged, "[A]\nx=2\n"},
      {"delete key only in the first section", "[A]\nk=1\n[a]\nk=2\n", kDeleteKey, "A", "k", "",
       Edit::kChanged, "[A]\n[a]\nk=2\n"},
      {"delete missing key", "[A]\nk=1\n", kDeleteKey, "A", "x", "", Edit::kUnchanged,
       "[A]\nk=1\n"},
      {"delete section keeps its comments", "[A]\na=1\n[B]\n; about b\nb=2\n\n[C]\nc=3\n",
       kDeleteSection, "b", "", "", Edit::kChanged, "[A]\na=1\n; about b\n\n[C]\nc=3\n"},
      {"delete every section of the name", "[A]\na=1\n[B]\nb=1\n[a]\nx=2\n", kDeleteSection, "A",
       "", "", Edit::kChanged, "[B]\nb=1\n"},
      {"delete the last section", "[A]\na=1\r\n[B]\r\nb=1", kDeleteSection, "B", "", "",
       Edit::kChanged, "[A]\na=1\r\n"},
      {"delete missing section", "[A]\n", kDeleteSection, "B", "", "", Edit::kUnchanged, "[A]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileText text(c.before);
    Edit result = c.op == kSet         ? text.Set(c.section, c.key, c.value)
                  : c.op == kDeleteKey ? text.DeleteKey(c.section, c.key)
                                       : text.DeleteSection(c.section);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Visible(text.Render()), Visible(c.after));
  }
}

TEST(ProfileTextTest, EditsAreSeenByLaterLookups) {
  ProfileText text("[A]\r\nk=1\r\nk=2\r\n[B]\r\nb=1\r\n");
  EXPECT_EQ(text.Set("B", "new", "n"), ProfileText::Edit::kChanged);
  EXPECT_EQ(text.Set("C", "c", "3"), ProfileText::Edit::kChanged);
  EXPECT_EQ(text.DeleteKey("A", "k"), ProfileText::Edit::kChanged);
  std::string value;
  EXPECT_FALSE(text.Lookup("A", "k", &value));
  EXPECT_TRUE(text.Lookup("b", "NEW", &value));
  EXPECT_EQ(value, "n");
  EXPECT_EQ(text.Set("A", "k", "again"), ProfileText::Edit::kChanged);
  EXPECT_EQ(text.DeleteSection("B"), ProfileText::Edit::kChanged);
  EXPECT_FALSE(text.HasSection("B"));
  EXPECT_TRUE(text.Lookup("c", "c", &value));
  EXPECT_EQ(value, "3");
  EXPECT_EQ(text.SectionNames(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(text.Render(), "[A]\r\nk=again\r\n[C]\r\nc=3\r\n");
}

}  // namespace
}  // namespace zelvan
