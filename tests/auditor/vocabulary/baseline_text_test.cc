#include "auditor/vocabulary/baseline_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// What hotfixes-baseline writes of a rule is what hotfixes-table reads:
// every outcome, one level, a range, and every level from one on.
TEST(BaselineTextTest, RuleLinesReadBackAsWritten) {
  struct Case {
    Windows windows;
    int lowest;
    int highest;
    RuleOutcome outcome;
    std::vector<std::string> fixes;
    const char* line;
  };
  const Case cases[] = {
      {Windows::kXp,
       0,
       1,
       RuleOutcome::kNoUpdate,
       {},
       "Windows XP SP0-SP1 no update"},
      {Windows::kXpX64,
       2,
       2,
       RuleOutcome::kNotAffected,
       {},
       "Windows XP x64 SP2 not affected"},
      {Windows::kServer2003,
       1,
       2,
       RuleOutcome::kInServicePack,
       {},
       "Windows Server 2003 SP1-SP2 in service pack"},
      {Windows::kNt40,
       6,
       6,
       RuleOutcome::kFixes,
       {"KB958687", "KB971468"},
       "Windows NT 4.0 SP6 KB958687 KB971468"},
      {Windows::k2000,
       3,
       kEveryLevel,
       RuleOutcome::kFixes,
       {"KB1"},
       "Windows 2000 SP3+ KB1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RuleLine(c.windows, c.lowest, c.highest, c.outcome, c.fixes),
              c.line);
    RuleText read;
    std::string problem;
    ASSERT_TRUE(ReadRuleLine(c.line, read, problem)) << problem;
    EXPECT_EQ(read.windows, c.windows);
    EXPECT_EQ(read.lowest, c.lowest);
    EXPECT_EQ(read.highest, c.highest);
    EXPECT_EQ(read.outcome, c.outcome);
    EXPECT_EQ(std::vector<std::string>(read.fixes.begin(), read.fixes.end()),
              c.fixes);
  }
}

// A title's blanks at the end are not written, so not read back.
TEST(BaselineTextTest, RequirementLinesReadBackAsWritten) {
  struct Case {
    const char* id;
    const char* title;
    const char* line;
    const char* titleRead;
  };
  const Case cases[] = {
      {"MS08-067", "Critical: Server", "[MS08-067] Critical: Server",
       "Critical: Server"},
      {"MS13-081-KB2862330", "Important  ", "[MS13-081-KB2862330] Important",
       "Important"},
      {"A.1_b", "", "[A.1_b]", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RequirementLine(c.id, c.title), c.line);
    std::string_view id, title;
    std::string problem;
    ASSERT_TRUE(ReadRequirementLine(c.line, id, title, problem)) << problem;
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(title, c.titleRead);
  }
}

}  // namespace
