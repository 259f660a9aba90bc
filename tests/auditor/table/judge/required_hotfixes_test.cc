#include "auditor/table/judge/required_hotfixes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RequiredHotfixesTest, IgnoresBlanksCommentsAndRepeats) {
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

// A machine that lists its fixes as real ones do, with what Windows Media,
// Windows Installer and re-releases write on after the number, lacks
// none of the bare names, and lacks a re-release asked for by name.
TEST(RequiredHotfixesTest, IsSatisfiedByVariants) {
  RequiredHotfixes required;
  std::string error;
  ASSERT_TRUE(
      required.Parse("KB975558\nKB893803\nKB958644\nKB951376-v2\n"
                     "KB2803821-v2\nKB1\n",
                     "l.txt", error))
      << error;
  MachineReport report;
  report.entries = {{"KB975558_WM8", ""},     {"KB893803v2", ""},
                    {"KB958644-v2", ""},      {"KB951376", ""},
                    {"KB2803821-v2_WM9", ""}, {"File 1", ""}};
  EXPECT_EQ(required.LackedBy(report),
            (std::vector<std::string>{"KB951376-v2", "KB1"}));
}

TEST(RequiredHotfixesTest, RefusesWhatIsNoHotfixName) {
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
