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

TEST(HotfixNamesTest, RequiredListIgnoresBlanksCommentsAndRepeats) {
  RequiredHotfixes required;
  required.Parse(
      "# baseline\r\n\r\n  KB823980 \r\nQ823980\r\n\tKB2\n#KB3\nKB4");
  EXPECT_EQ(required.names(),
            (std::vector<std::string>{"KB823980", "KB2", "KB4"}));

  MachineReport report;
  report.entries = {{"Q823980", ""}, {"kb4", ""}};
  EXPECT_EQ(required.LackedBy(report), std::vector<std::string>{"KB2"});
}

}  // namespace
