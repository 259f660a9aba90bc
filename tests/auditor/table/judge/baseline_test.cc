#include "auditor/table/judge/baseline.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The requirements as "ID|title" lines.
std::string Listed(const Baseline& baseline) {
  std::string listed;
  for (const BaselineRequirement& requirement : baseline.requirements()) {
    listed += requirement.id + "|" + requirement.title + "\n";
  }
  return listed;
}

MachineReport ReportOf(const char* os, ReportStatus status,
                       const char* entries) {
  MachineReport report;
  report.os = os;
  report.status = status;
  std::istringstream names(entries);
  for (std::string name; names >> name;) report.entries.push_back({name, ""});
  return report;
}

// The report's verdicts by requirement ID.
std::map<std::string, Verdict> VerdictsOf(const Baseline& baseline,
                                          const MachineReport& report) {
  const std::vector<Verdict> verdicts =
      baseline.Judge(report, WindowsReleaseOf(report.os));
  EXPECT_EQ(verdicts.size(), baseline.requirements().size());
  std::map<std::string, Verdict> byId;
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    byId[baseline.requirements()[i].id] = verdicts[i];
  }
  return byId;
}

TEST(BaselineTest, ReadsRequirementsWhateverTheLayout) {
  struct Case {
    const char* text;
    const char* listed;
  };
  const Case cases[] = {
      {"[MS08-067] Server service\nWindows XP SP2-SP3 KB958644\n",
       "MS08-067|Server service\n"},
      {"# head\r\n\r\n  [ A1 ]  two  words \r\n\twindows xp\tsp2+\tKB1\r\n"
       "  # between\r\n[B]\r\nWINDOWS 2000 sp0 NO UPDATE",
       "A1|two  words\nB|\n"},
      {"[X] x\nWindows XP x64 KB1\nWindows XP KB2\nWindows NT 4.0 SP6a KB3\n"
       "Windows NT 4.0 SP0-SP5 not affected\nWindows 7 or Server 2008 R2 SP1 "
       "in service pack\n",
       "X|x\n"},
      {"[MS13-081-KB2862330] Critical: one update of several\n"
       "Windows XP SP3 KB2862330 KB958644-v2 KB982381-IE8 KB968816_WM9 "
       "Q147222\n",
       "MS13-081-KB2862330|Critical: one update of several\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Baseline baseline;
    std::string error;
    EXPECT_TRUE(baseline.Parse(c.text, "b.txt", error)) << error;
    EXPECT_EQ(Listed(baseline), c.listed);
  }
}

TEST(BaselineTest, NamesTheLineOfAFault) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"[A]\nWindows Vista SP2 KB1\n",
       "b.txt:2: unknown Windows name in \"Windows Vista SP2 KB1\""},
      {"[A]\nWindows XPx64 KB1\n",
       "b.txt:2: unknown Windows name in \"Windows XPx64 KB1\""},
      {"[A]\nWindows XP SP3-SP2 KB1\n",
       "b.txt:2: bad service-pack range \"SP3-SP2\""},
      {"[A]\nWindows XP SP2- KB1\n",
       "b.txt:2: bad service-pack range \"SP2-\""},
      {"[A]\nWindows XP SP5a KB1\n",
       "b.txt:2: bad service-pack range \"SP5a\""},
      {"[A]\nWindows XP SPx KB1\n", "b.txt:2: bad service-pack range \"SPx\""},
      {"[A]\nWindows XP SP1 KB1\n\n# x\nWindows XP SP0-SP1 KB2\n",
       "b.txt:5: overlaps the rule for Windows XP on line 2"},
      {"[A]\nWindows XP KB1\nWindows XP SP3 no update\n",
       "b.txt:3: overlaps the rule for Windows XP on line 2"},
      {"[A]\nWindows XP SP2+ KB1\nWindows XP SP4 no update\n",
       "b.txt:3: overlaps the rule for Windows XP on line 2"},
      {"[A] a\n# none\n[B]\nWindows XP KB1\n",
       "b.txt:1: requirement A has no rules"},
      {"[A]\nWindows XP KB1\n[B] b\n", "b.txt:3: requirement B has no rules"},
      {"[A]\nWindows XP KB1\n[a]\nWindows XP KB1\n",
       "b.txt:3: requirement a given twice (first on line 1)"},
      {"Windows XP KB1\n[A]\n", "b.txt:1: rule before any requirement"},
      {"[A]\nWindows XP\n", "b.txt:2: rule without outcome"},
      {"[A]\nWindows XP SP2 \n", "b.txt:2: rule without outcome"},
      {"[A Windows XP KB1\n", "b.txt:1: no ']' after the requirement's ID"},
      {"[ ] x\nWindows XP KB1\n", "b.txt:1: requirement without an ID"},
      {"# nothing\n\n", "b.txt: holds no requirement"},
      {"[A]\nWindows XP SP2 - SP3 KB958644\n",
       "b.txt:2: a range is written without blanks: SP2-SP3"},
      {"[A]\nWindows XP SP2 SP3 KB1\n",
       "b.txt:2: a range is written without blanks: SP2-SP3"},
      {"[A]\nWindows XP SP2- SP3 KB1\n",
       "b.txt:2: a range is written without blanks: SP2-SP3"},
      {"[A]\nWindows XP sp2 +  KB1\n",
       "b.txt:2: a range is written without blanks: sp2+"},
      {"[A]\nWindows XP KB1 SP3\n",
       "b.txt:2: \"SP3\": the service-pack range comes right after the "
       "Windows name"},
      {"[A]\nWindows 2000 Server SP0-SP3 not affected\n",
       "b.txt:2: \"Server\" after \"Windows 2000\": a rule names the Windows "
       "as the table does, without its edition (Server 2003 R2 and x64 "
       "Edition are Windows Server 2003)"},
      {"[A]\nWindows Server 2003 R2 SP2 KB958644\n",
       "b.txt:2: \"R2\" after \"Windows Server 2003\": a rule names the "
       "Windows as the table does, without its edition (Server 2003 R2 and x64 "
       "Edition are Windows Server 2003)"},
      {"[A]\nWindows XP SP2 in service pack 2\n",
       "b.txt:2: \"in service pack 2\": \"no update\", \"not affected\" and "
       "\"in service pack\" stand alone after the range, without hotfixes "
       "or other words"},
      {"[A]\nWindows XP KB1 no update\n",
       "b.txt:2: \"KB1 no update\": \"no update\", \"not affected\" and "
       "\"in service pack\" stand alone after the range, without hotfixes "
       "or other words"},
      {"[A]\nWindows XP KB1 # comment\n",
       "b.txt:2: \"#\" is not a hotfix name (Q or KB and a number: "
       "KB958644); a comment is a line of its own, starting with '#'"},
      {"[A]\nWindows XP \"KB1\"\n",
       "b.txt:2: \"\"KB1\"\" is not a hotfix name (Q or KB and a number: "
       "KB958644); write it without quotes or brackets: KB1"},
      {"[A]\nWindows XP SP3 [KB1]\n",
       "b.txt:2: \"[KB1]\" is not a hotfix name (Q or KB and a number: "
       "KB958644); write it without quotes or brackets: KB1"},
      {"[A]\nWindows XP KB1,KB2\n",
       "b.txt:2: \"KB1,KB2\" is not a hotfix name (Q or KB and a number: "
       "KB958644); names are separated by blanks: KB1 KB2"},
      {"[A]\nWindows XP KB1 KB2\xE2\x80\x8B\n",
       "b.txt:2: \"KB2<U+200B>\" is not a hotfix name (Q or KB and a number: "
       "KB958644)"},
      {"[A]\nWindows XP\x1B[2J KB1\n",
       "b.txt:2: unknown Windows name in \"Windows XP<U+001B>[2J KB1\""},
      {"[MS 09-001] x\nWindows XP KB1\n",
       "b.txt:1: requirement ID \"MS 09-001\" is not one word of letters, "
       "digits and \"-_.\""},
      {"[A\xE2\x80\xAE] x\nWindows XP KB1\n",
       "b.txt:1: requirement ID \"A<U+202E>\" is not one word of letters, "
       "digits and \"-_.\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Baseline baseline;
    std::string error;
    ASSERT_TRUE(baseline.Parse("[OLD]\nWindows XP KB1\n", "old.txt", error));
    EXPECT_FALSE(baseline.Parse(c.text, "b.txt", error));
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(baseline.empty());
  }
}

// The catalog and the auditor's own file: a requirement of the later file
// replaces the earlier one of its ID where that one stood, and standard
// error is told so once; a title's hidden characters are shown.
TEST(BaselineTest, LaterFilesReplaceRequirementsOfTheirIds) {
  Baseline baseline;
  std::string error;
  ASSERT_TRUE(
      baseline.Add("[A] a\nWindows XP KB1\n[B] b\nWindows XP KB2\n"
                   "[C] c\nWindows XP KB3\n",
                   "catalog.txt", error))
      << error;
  ASSERT_TRUE(
      baseline.Add("[b] mine\xE2\x80\x8B\nWindows XP SP3 no update\n"
                   "[D] d\nWindows XP KB4\n",
                   "own.txt", error))
      << error;
  ASSERT_TRUE(baseline.Add("[B] last\nWindows XP KB5\n", "last.txt", error))
      << error;
  EXPECT_EQ(Listed(baseline), "A|a\nB|last\nC|c\nD|d\n");
  EXPECT_EQ(baseline.ReadingNotes(),
            (std::vector<std::string>{
                "own.txt: characters that cannot be seen or that move text, "
                "shown as <U+code point>",
                "last.txt: requirement B replaces the one in catalog.txt, "
                "own.txt"}));
  const MachineReport report =
      ReportOf("Windows XP Professional Service Pack 3 (Build 2600)",
               ReportStatus::kComplete, "KB2 KB5");
  const std::map<std::string, Verdict> verdicts = VerdictsOf(baseline, report);
  EXPECT_EQ(verdicts.at("B").hotfix, "KB5");
  EXPECT_EQ(VerdictStateName(verdicts.at("A").state), std::string("missing"));

  ASSERT_TRUE(baseline.Parse("[B] b\nWindows XP KB2\n", "one.txt", error));
  ASSERT_TRUE(baseline.Add("[B] b\nWindows XP KB2\n", "two.txt", error));
  EXPECT_FALSE(
      baseline.Add("[B] b\nWindows XP KB2\n[b]\n", "three.txt", error));
  EXPECT_EQ(error, "three.txt:3: requirement b given twice (first on line 1)");
  EXPECT_TRUE(baseline.empty());
}

const char kRules[] =
    "[MS03-026] RPC DCOM\n"
    "Windows NT 4.0 SP6a        KB823980\n"
    "Windows NT 4.0 SP0-SP5     no update\n"
    "Windows XP SP0-SP1         KB823980 KB824146\n"
    "Windows XP SP2+            in service pack\n"
    "Windows Me                 not affected\n"
    "[MS06-040] Server service\n"
    "Windows XP x64             KB921883\n"
    "Windows XP SP1-SP2         KB921883\n"
    "[IE8] A fix that comes in one package per browser\n"
    "Windows XP                 KB982381-IE8\n";

const char kXpSp1[] = "Windows XP Professional Service Pack 1 (Build 2600)";
const char kXpSp3[] = "Windows XP Professional Service Pack 3 (Build 2600)";
const char kXpX64[] =
    "Windows .NET Server 2003 family, Professional  (Build 3790)";
const char kNt4Sp6a[] =
    "Windows NT Workstation 4.0 Service Pack 6a (Build 1381)";

TEST(BaselineTest, OneVerdictPerReportAndRequirement) {
  const ReportStatus kComplete = ReportStatus::kComplete;
  const ReportStatus kFailed = ReportStatus::kFailed;
  const ReportStatus kIncomplete = ReportStatus::kIncomplete;
  struct Case {
    const char* what;
    const char* os;
    ReportStatus status;
    const char* entries;  // separated by blanks
    const char* requirement;
    const char* state;
    const char* hotfix;
  };
  const Case cases[] = {
      {"listed", kXpSp1, kComplete, "KB1 KB823980", "MS03-026", "installed",
       "KB823980"},
      {"the rule's second fix", kXpSp1, kComplete, "KB824146", "MS03-026",
       "installed", "KB824146"},
      {"Q for KB", kNt4Sp6a, kComplete, "Q823980", "MS03-026", "installed",
       "Q823980"},
      {"letter case", kXpSp1, kComplete, "kb823980", "MS03-026", "installed",
       "kb823980"},
      {"SP6a is 6, SP6 too",
       "Windows NT Workstation 4.0 Service Pack 6 (Build 1381)", kComplete, "",
       "MS03-026", "missing", "KB823980"},
      {"below SP6", "Windows NT Server 4.0 Service Pack 5 (Build 1381)",
       kComplete, "KB823980", "MS03-026", "no update", ""},
      {"in the service pack", kXpSp3, kComplete, "", "MS03-026", "installed",
       "service pack"},
      {"not affected", "Windows Millennium Edition", kComplete, "", "MS03-026",
       "not affected", ""},
      {"no rule for the level", kXpSp3, kComplete, "KB921883", "MS06-040",
       "not covered", ""},
      {"a Windows never named",
       "Windows NT product family? Professional Service Pack 1 (Build 7601)",
       kComplete, "KB823980", "MS03-026", "not covered", ""},
      {"missing, every fix named", kXpSp1, kComplete, "KB82398 KB8239800",
       "MS03-026", "missing", "KB823980 KB824146"},
      {"a suffix on the entry", kXpSp1, kComplete, "KB921883-v2", "MS06-040",
       "installed", "KB921883-v2"},
      {"the very name before a suffixed one", kXpSp1, kComplete,
       "KB921883-v2 Q921883", "MS06-040", "installed", "Q921883"},
      {"a re-release written on", kXpSp1, kComplete, "KB921883v2", "MS06-040",
       "installed", "KB921883v2"},
      {"a Windows Media package", kXpSp1, kComplete, "KB921883_WM9", "MS06-040",
       "installed", "KB921883_WM9"},
      {"another number", kXpSp1, kComplete, "KB9218830 KB92188", "MS06-040",
       "missing", "KB921883"},
      {"no fix's name", kXpSp1, kComplete, "File SP3", "MS06-040", "missing",
       "KB921883"},
      {"XP x64 by its own rule", kXpX64, kComplete, "KB921883", "MS06-040",
       "installed", "KB921883"},
      {"XP x64 is no XP", kXpX64, kComplete, "", "MS03-026", "not covered", ""},
      {"a suffixed fix, exactly", kXpSp3, kComplete, "kb982381-ie8", "IE8",
       "installed", "kb982381-ie8"},
      {"a suffixed fix, without it", kXpSp3, kComplete, "KB982381", "IE8",
       "missing", "KB982381-IE8"},
      {"a suffixed fix, another suffix", kXpSp3, kComplete, "KB982381-IE7",
       "IE8", "missing", "KB982381-IE8"},
      {"a suffixed fix, more written on", kXpSp3, kComplete,
       "KB982381-IE7 KB982381-IE8-v2", "IE8", "installed", "KB982381-IE8-v2"},
      {"cut short with the fix", kXpSp1, kIncomplete, "KB823980", "MS03-026",
       "installed", "KB823980"},
      {"cut short without it", kXpSp1, kIncomplete, "KB1", "MS03-026",
       "unknown", ""},
      {"failed without it", kXpSp1, kFailed, "", "MS06-040", "unknown", ""},
      {"cut short, no update all the same",
       "Windows NT Server 4.0 Service Pack 5 (Build 1381)", kIncomplete, "",
       "MS03-026", "no update", ""},
      {"unreadable", kXpSp3, ReportStatus::kUnreadable, "", "MS03-026",
       "unknown", ""},
      {"unknown Windows", "Windows NT Version 5.2 (Build 3790 : )", kComplete,
       "KB921883", "MS06-040", "unknown", ""},
  };
  Baseline baseline;
  std::string error;
  ASSERT_TRUE(baseline.Parse(kRules, "rules.txt", error)) << error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MachineReport report = ReportOf(c.os, c.status, c.entries);
    const std::map<std::string, Verdict> verdicts =
        VerdictsOf(baseline, report);
    ASSERT_EQ(verdicts.count(c.requirement), 1u);
    const Verdict& verdict = verdicts.at(c.requirement);
    const std::string state = c.state;
    EXPECT_EQ(VerdictStateName(verdict.state), state);
    EXPECT_EQ(verdict.hotfix, c.hotfix);
    EXPECT_EQ(IsExposed(verdict.state),
              state == "missing" || state == "no update");
  }
}

// The sample the project ships: it reads, and says what its sources say.
TEST(BaselineTest, ShippedWormBulletins) {
  const std::string path =
      std::string(HOTFIXES_SOURCE_DIR) + "/baselines/worm-bulletins.txt";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  std::stringstream text;
  text << file.rdbuf();
  Baseline baseline;
  std::string error;
  ASSERT_TRUE(baseline.Parse(text.str(), "worm-bulletins.txt", error)) << error;

  struct Case {
    const char* os;
    const char* entries;      // separated by blanks
    const char* requirement;  // empty: every one
    const char* state;
  };
  const char kW2kSp4[] =
      "Windows 2000 Professional Service Pack 4 (Build 2195)";
  const char k2003Sp2[] =
      "Windows .NET Server 2003 family, Standard Edition Service Pack 2 "
      "(Build 3790)";
  const Case cases[] = {
      {kXpSp1, "", "MS08-067", "no update"},
      {kXpSp3, "KB4012598", "MS08-067", "missing"},
      {kXpSp3, "KB4012598", "MS17-010", "installed"},
      {kXpSp3, "", "MS03-026", "installed"},
      {kW2kSp4, "", "MS17-010", "no update"},
      // Levels a service pack settles, and levels that got no update.
      {kXpSp3, "", "MS05-039", "installed"},
      {kXpSp3, "", "MS06-040", "installed"},
      {k2003Sp2, "", "MS06-040", "installed"},
      {"Windows XP Professional Service Pack 2 (Build 2600)", "KB4500331",
       "CVE-2019-0708", "no update"},
      {"Windows .NET Server 2003 family, Standard Edition Service Pack 1 "
       "(Build 3790)",
       "", "CVE-2019-0708", "no update"},
      {kW2kSp4, "", "CVE-2019-0708", "not covered"},
      {kXpSp3, "KB4500331", "CVE-2019-0708", "installed"},
      {kNt4Sp6a, "Q823980", "MS03-026", "installed"},
      {"Windows NT product family? Professional Service Pack 1 (Build 7601)",
       "KB4012212", "", "not covered"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.os) + " / " + c.requirement);
    const MachineReport report =
        ReportOf(c.os, ReportStatus::kComplete, c.entries);
    const std::map<std::string, Verdict> verdicts =
        VerdictsOf(baseline, report);
    int judged = 0;
    for (const auto& verdict : verdicts) {
      if (*c.requirement && verdict.first != c.requirement) continue;
      SCOPED_TRACE(verdict.first);
      EXPECT_EQ(VerdictStateName(verdict.second.state), std::string(c.state));
      ++judged;
    }
    EXPECT_GT(judged, 0);
  }
}

}  // namespace
