#include "auditor/table/judge/changes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "auditor/table/table_program.h"
#include "test_support.h"

namespace {

const char kXp1[] = "Windows XP Professional Service Pack 1 (Build 2600)";
const char kXp2[] = "Windows XP Professional Service Pack 2 (Build 2600)";
const char kXp3[] = "Windows XP Professional Service Pack 3 (Build 2600)";
const char kBefore[] = "2026-11-01T10:00:05Z";
const char kNow[] = "2026-12-01T10:00:05Z";

// One requirement: XP SP2 and later need KB2 (or its later KB3); SP1 had
// no update.
const char kBaseline[] =
    "[MS01-001] Test\n"
    "Windows XP SP0-SP1 no update\n"
    "Windows XP SP2+ KB2 KB3\n";

struct Side {
  const char* os = "";
  ReportStatus status = ReportStatus::kComplete;
  const char* reported = "";
  const char* hotfixes = "";  // names separated by blanks
};

EarlierMachine EarlierOf(const Side& side, HotfixIndex& index,
                         SharedParts& shared) {
  EarlierMachine machine;
  machine.machine = "PC1";
  machine.key = "PC1";
  machine.status = side.status;
  machine.os = shared.Os(side.os);
  machine.reported = side.reported;
  std::vector<std::uint32_t> hotfixes;
  std::istringstream names(side.hotfixes);
  for (std::string name; names >> name;) hotfixes.push_back(index.Add(name));
  std::sort(hotfixes.begin(), hotfixes.end());
  machine.hotfixes = shared.Hotfixes(hotfixes);
  return machine;
}

MachineReport ReportOf(const Side& side) {
  MachineReport report;
  report.machine = "pc1";
  report.status = side.status;
  report.os = side.os;
  report.reported = side.reported;
  std::istringstream names(side.hotfixes);
  for (std::string name; names >> name;) report.entries.push_back({name, ""});
  return report;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names)
    joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

// Each kind of change, and its details: both sides judged by today's
// baseline, so that a fix the baseline learnt of is no change of the
// machine.
TEST(ChangesTest, EachKindOfChangeAndItsDetails) {
  struct Case {
    const char* name;
    Side before, now;
    bool earlier;  // false: the machine is new
    ChangeKind kind;
    const char* added;
    const char* removed;
    const char* requirement;  // "before>now" of MS01-001, or ""
  };
  const ReportStatus complete = ReportStatus::kComplete;
  const ReportStatus incomplete = ReportStatus::kIncomplete;
  const Case cases[] = {
      {"new",
       {},
       {kXp3, complete, kNow, "KB1"},
       false,
       ChangeKind::kNew,
       "",
       "",
       ""},
      {"the same file as before",
       {kXp3, complete, kNow, "KB1 KB2"},
       {kXp3, complete, kNow, "KB1 KB2"},
       true,
       ChangeKind::kNotRefreshed,
       "",
       "",
       ""},
      {"an older file than before",
       {kXp3, complete, kNow, "KB1"},
       {kXp3, complete, kBefore, "KB1"},
       true,
       ChangeKind::kNotRefreshed,
       "",
       "",
       ""},
      {"refreshed, the same hotfixes under their other names",
       {kXp3, complete, kBefore, "Q1 kb3"},
       {kXp3, complete, kNow, "KB1 KB3"},
       true,
       ChangeKind::kUnchanged,
       "",
       "",
       ""},
      {"a hotfix uninstalled, another installed: exposed now",
       {kXp3, complete, kBefore, "KB1 KB2"},
       {kXp3, complete, kNow, "KB1 KB10"},
       true,
       ChangeKind::kChanged,
       "KB10",
       "KB2",
       "installed>missing"},
      {"the later fix replaces the earlier: no requirement changes",
       {kXp3, complete, kBefore, "KB2"},
       {kXp3, complete, kNow, "KB3"},
       true,
       ChangeKind::kChanged,
       "KB3",
       "KB2",
       ""},
      {"the fix's re-release for the fix: two names, one fix",
       {kXp3, complete, kBefore, "KB1 KB2"},
       {kXp3, complete, kNow, "KB1 KB2-v2"},
       true,
       ChangeKind::kChanged,
       "KB2-v2",
       "KB2",
       ""},
      {"upgraded from SP1 to SP3 with the fix: fixed",
       {kXp1, complete, kBefore, ""},
       {kXp3, complete, kNow, "KB2"},
       true,
       ChangeKind::kChanged,
       "KB2",
       "",
       "no update>installed"},
      {"cut short now: nothing proven removed",
       {kXp3, complete, kBefore, "KB1 KB2"},
       {kXp3, incomplete, kNow, "KB1"},
       true,
       ChangeKind::kChanged,
       "",
       "",
       "installed>unknown"},
      {"cut short before: nothing proven added",
       {kXp3, incomplete, kBefore, "KB1"},
       {kXp3, complete, kNow, "KB1 KB2"},
       true,
       ChangeKind::kChanged,
       "",
       "",
       "unknown>installed"},
  };
  Baseline baseline;
  std::string error;
  ASSERT_TRUE(baseline.Parse(kBaseline, "base.txt", error)) << error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HotfixIndex index;
    SharedParts shared;
    const EarlierMachine before = EarlierOf(c.before, index, shared);
    const MachineReport report = ReportOf(c.now);
    const WindowsRelease release = WindowsReleaseOf(report.os);
    const std::vector<Verdict> verdicts = baseline.Judge(report, release);
    const CurrentMachine now{report, release, verdicts, 1};
    const MachineChange change =
        CompareMachine(c.earlier ? &before : nullptr, &now, baseline, index);
    EXPECT_EQ(ChangeKindName(change.kind), std::string(ChangeKindName(c.kind)));
    EXPECT_EQ(Joined(change.added), c.added);
    EXPECT_EQ(Joined(change.removed), c.removed);
    std::string requirement;
    for (const RequirementChange& r : change.requirements) {
      requirement += std::string(VerdictStateName(r.before)) + ">" +
                     VerdictStateName(r.now);
    }
    EXPECT_EQ(requirement, c.requirement);
  }
}

TEST(ChangesTest, AGoneMachineKeepsWhatTheEarlierAuditSaid) {
  Baseline baseline;
  std::string error;
  ASSERT_TRUE(baseline.Parse(kBaseline, "base.txt", error)) << error;
  HotfixIndex index;
  SharedParts shared;
  const EarlierMachine before =
      EarlierOf({kXp2, ReportStatus::kComplete, kBefore, "KB1"}, index, shared);
  const MachineChange change =
      CompareMachine(&before, nullptr, baseline, index);
  EXPECT_EQ(change.kind, ChangeKind::kGone);
  EXPECT_EQ(change.machine, "PC1");
  EXPECT_EQ(change.windowsBefore, "Windows XP SP2");
  EXPECT_EQ(change.reportedBefore, kBefore);
  EXPECT_TRUE(change.exposedBefore);
  EXPECT_TRUE(change.added.empty() && change.removed.empty());
}

// 2026-12-01T10:00:05Z, and 30 days before it.
const FILETIME kWritten = {3173023872u, 31293818u};
const FILETIME kEarlier = {3300655232u, 31287783u};

std::string Report(const char* os, const char* lines, int count) {
  return std::string(
             "Hotfix inventory for Windows NT\r\nhotfixes.exe "
             "Ver.0.6.12.21\r\n\r\n") +
         os + "\r\n\r\n" + lines + "\r\nFound " + std::to_string(count) +
         " Hot-Fix\r\n";
}

class SinceRunTest : public FakePlatformTest {
 protected:
  void AddFile(const std::string& path, const std::string& bytes,
               FILETIME written) {
    Platform().files[path].bytes = bytes;
    Platform().files[path].lastWrite = written;
  }
};

// A name with several reports on either side is one machine whose entries
// are all of them, and standard error says so; a name matches without
// regard to case; the gone machine comes in its place in table order, the
// stale report is marked, and both give exit code 3.
TEST_F(SinceRunTest, SeveralReportsOfANameAreOneMachine) {
  Platform().folders = {"old", "new", "other"};
  AddFile("old/PC1.txt", Report(kXp3, "[KB1] a\r\n", 1), kEarlier);
  AddFile("old/pc1.txt", Report(kXp3, "[KB2] b\r\n", 1), kEarlier);
  AddFile("old/B.txt", Report(kXp3, "", 0), kEarlier);
  AddFile("old/C.txt", Report(kXp3, "", 0), kEarlier);
  AddFile("new/Pc1.txt", Report(kXp3, "[KB2] b\r\n", 1), kWritten);
  AddFile("other/PC1.txt", Report(kXp3, "[KB3] c\r\n", 1), kWritten);
  AddFile("new/a.txt", Report(kXp3, "", 0), kWritten);
  AddFile("new/c.txt", Report(kXp3, "", 0), kEarlier);
  EXPECT_EQ(RunTable({"--format", "changes", "--stale-after", "29", "--since",
                      "old", "new", "other"}),
            kTableReportProblem);
  const std::string was = "2026-11-01T10:00:05Z", now = "2026-12-01T10:00:05Z";
  EXPECT_EQ(Platform().output,
            "machine,change,item,before,now,reported_before,reported,stale\r\n"
            "a,new,,,,," +
                now + ",\r\n" + "B,gone,,,," + was + ",,\r\n" +
                "c,not refreshed,,,," + was + "," + was + ",yes\r\n" +
                "PC1,changed,,,," + was + "," + now + ",\r\n" +
                "PC1,changed,added,,KB3," + was + "," + now + ",\r\n" +
                "PC1,changed,removed,KB1,," + was + "," + now + ",\r\n");
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: other/PC1.txt and new/Pc1.txt are reports of one "
            "machine name; both are listed\r\n"
            "B is gone: last reported 2026-11-01T10:00:05Z\r\n"
            "c is stale: reported 2026-11-01T10:00:05Z, more than 29 days "
            "before the newest report\r\n"
            "PC1: 2 reports now, 2 before, compared as one machine\r\n"
            "PC1 no longer lists KB1\r\n");
}

}  // namespace
