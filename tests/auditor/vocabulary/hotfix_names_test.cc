#include "auditor/vocabulary/hotfix_names.h"

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

// The names of real machines' HotFix keys (an XP SP3 machine's registry
// as Windows' own tools list it, and the updates' articles): a name
// satisfies the fix it is a variant of, and a variant asked for by name is
// satisfied only by itself and its own variants.
TEST(HotfixNamesTest, WhichListedNameSatisfiesWhichRequiredOne) {
  struct Case {
    const char* listed;
    const char* required;
    bool satisfies;
  };
  const Case cases[] = {
      {"KB975558_WM8", "KB975558", true},
      {"KB978695_WM9", "KB978695", true},
      {"KB2510531-IE8", "KB2510531", true},
      {"KB2536276-v2", "KB2536276", true},
      {"KB893803v2", "KB893803", true},
      {"KB2803821-v2_WM9", "KB2803821", true},
      {"KB2803821-v2_WM9", "KB2803821-V2", true},
      {"KB2803821-v2_WM9", "KB2803821-v2_WM9", true},
      {"Q147222", "KB147222", true},
      {"kb958644-V2", "Q958644", true},
      {"KB958644", "KB958644", true},
      // A re-release asked for by name: the original does not do.
      {"KB951376", "KB951376-v2", false},
      {"KB893803", "KB893803v2", false},
      {"KB2803821_WM9", "KB2803821-v2", false},
      {"KB982381-IE7", "KB982381-IE8", false},
      // Another number, or no number at all.
      {"KB9755580", "KB975558", false},
      {"KB97555", "KB975558", false},
      {"KB975558", "KB97555", false},
      {"File 1", "File 1", false},
      {"MSCompPackV1", "MSCompPackV1", false},
      {"QFE1", "KBFE1", false},
      {"SP3", "SP3", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.listed) + " for " + c.required);
    EXPECT_EQ(Satisfies(c.listed, c.required), c.satisfies);
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

}  // namespace
