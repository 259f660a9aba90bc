#include "table/judge/hotfix_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(HotfixNamesTest, WhichNamesNameTheSameFix) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"Q823980", "KB823980", true},
      {"q823980", "kb823980", true},
      {"KB823980-v2", "Q823980-V2", true},
      {"QFE1", "KBFE1", false},
      {"KB1", "KB01", false},
      {"Q", "KB", false},
      {"KB823980", "KB823980 ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(HotfixKey(c.a) == HotfixKey(c.b), c.same);
  }
}

TEST(HotfixNamesTest, KeysSortByTheValueOfTheirNumbers) {
  const std::vector<std::string> sorted = {"KB9",     "KB10",      "KB999",
                                           "KB1000",  "KB1000-V2", "KB1000A",
                                           "KB10000", "KBX",       "SP1"};
  std::vector<std::string> keys = sorted;
  std::reverse(keys.begin(), keys.end());
  std::sort(keys.begin(), keys.end(), HotfixKeyLess);
  EXPECT_EQ(keys, sorted);
}

// The forms HotFix keys take: KB and Q articles (Q147222 on NT 4.0 and
// 2000), revisions (-v2, -v3, -v5, or written on: Windows Installer 3.1's
// KB893803v2), one fix's package per component (Internet Explorer 8's
// KB982381-IE8, Media Player's KB968816_WM9), as registry listings of XP
// machines show them, and the names the project's test reports use.
TEST(HotfixNamesTest, RealNamesAreHotfixNamesAndNothingElseIs) {
  const char* const names[] = {
      "KB958644",     "Q147222",      "q823980",      "kb3456789",
      "KB921883-v2",  "KB958644-v3",  "KB958644-v5",  "KB893803v2",
      "KB982381-IE8", "KB982381-IE7", "KB968816_WM9", "KB925398_WMP64",
      "KB1",          "Q299444",      "KB123456-v2",  "KB4012598"};
  for (const char* name : names) {
    EXPECT_TRUE(IsHotfixName(name)) << name;
  }
  const char* const others[] = {"",
                                "-",
                                "+",
                                "SP3",
                                "Server",
                                "not",
                                "KB",
                                "Q",
                                "KBX1",
                                "QFE1",
                                "KB1-",
                                "KB1--v2",
                                "KB1_",
                                "KB1.2",
                                "KB1,KB2",
                                "\"KB1\"",
                                "[KB1]",
                                "#KB1",
                                "KB1#",
                                "KB\xE2\x80\x8B"
                                "1",
                                "KB1\x1A",
                                "(v2)"};
  for (const char* other : others) {
    EXPECT_FALSE(IsHotfixName(other)) << other;
  }
}

TEST(HotfixNamesTest, RequiredListIgnoresBlanksCommentsAndRepeats) {
  RequiredHotfixes required;
  std::string error;
  ASSERT_TRUE(required.Parse(
      "# baseline\r\n\r\n  KB823980 \r\nQ823980\r\n\tKB2\n#KB3\nKB4", "l.txt",
      error))
      << error;
  EXPECT_EQ(required.names(),
            (std::vector<std::string>{"KB823980", "KB2", "KB4"}));

  MachineReport report;
  report.entries = {{"Q823980", ""}, {"kb4", ""}};
  EXPECT_EQ(required.LackedBy(report), std::vector<std::string>{"KB2"});
}

TEST(HotfixNamesTest, RequiredListRefusesWhatIsNoHotfixName) {
  struct Case {
    const char* text;
    std::string error;
  };
  const char kNotAName[] =
      " is not a hotfix name (Q or KB and a number: KB958644)";
  const Case cases[] = {
      {"KB1\nKB2 KB3\n", "l.txt:2: \"KB2 KB3\": one hotfix name per line"},
      {"KB1 # the first\n",
       "l.txt:1: a comment is a line of its own, starting with '#'"},
      {"\n\"KB1\"\n", ("l.txt:2: \"\"KB1\"\"" + std::string(kNotAName) +
                       "; write it without quotes or brackets: KB1")},
      {"[KB1]", ("l.txt:1: \"[KB1]\"" + std::string(kNotAName) +
                 "; write it without quotes or brackets: KB1")},
      {"KB1,KB2\r\n", ("l.txt:1: \"KB1,KB2\"" + std::string(kNotAName) +
                       "; names are separated by blanks: KB1 KB2")},
      {"KB1\xE2\x80\xAE",
       ("l.txt:1: \"KB1<U+202E>\"" + std::string(kNotAName))},
      {"Windows XP", ("l.txt:1: \"Windows\"" + std::string(kNotAName))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RequiredHotfixes required;
    std::string error;
    EXPECT_FALSE(required.Parse(c.text, "l.txt", error));
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(required.empty());
  }
}

}  // namespace
