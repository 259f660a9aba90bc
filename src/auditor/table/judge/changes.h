// What changed since an earlier audit, machine by machine: which machines
// are new, gone or not refreshed, and for the others the hotfixes added
// and removed, the Windows and status before and now, and each
// requirement whose state changed. Both sides are judged by today's
// baseline, so that a change says what happened to the machine, not to
// the baseline.
#ifndef HOTFIXES_AUDITOR_TABLE_JUDGE_CHANGES_H_
#define HOTFIXES_AUDITOR_TABLE_JUDGE_CHANGES_H_

#include <cstddef>
#include <string>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/read/earlier_run.h"
#include "auditor/table/read/machine_report.h"
#include "auditor/table/read/report_files.h"
#include "auditor/table/read/report_times.h"
#include "auditor/vocabulary/windows_release.h"

enum class ChangeKind { kNew, kGone, kNotRefreshed, kChanged, kUnchanged };
constexpr int kChangeKindCount = static_cast<int>(ChangeKind::kUnchanged) + 1;

// "new", "gone", "not refreshed", "changed", "unchanged".
const char* ChangeKindName(ChangeKind kind);

struct RequirementChange {
  std::size_t requirement = 0;  // into the baseline's
  VerdictState before = VerdictState::kUnknown;
  VerdictState now = VerdictState::kUnknown;
};

struct MachineChange {
  std::string machine;  // as shown now; a gone machine's as it was
  ChangeKind kind = ChangeKind::kUnchanged;
  // Of the earlier audit: empty, and kUnreadable, for a new machine.
  std::string reportedBefore, windowsBefore;
  ReportStatus statusBefore = ReportStatus::kUnreadable;
  // Now: empty, and kUnreadable, for a gone machine.
  std::string reported, windows;
  ReportStatus status = ReportStatus::kUnreadable;
  // Hotfix names in the order of their keys. Added only against a
  // complete earlier report, removed only by a complete report now: a
  // report cut short proves no hotfix absent.
  std::vector<std::string> added, removed;
  std::vector<RequirementChange> requirements;
  bool exposedBefore = false, exposed = false;  // by today's baseline
  bool stale = false;                           // a report now is stale
  int reportsBefore = 0, reports = 0;           // of the name
};

// A machine as the run sees it now: its report, or the reports of its name
// merged, with their Windows and verdicts.
struct CurrentMachine {
  const MachineReport& report;
  const WindowsRelease& release;
  const std::vector<Verdict>& verdicts;
  int reports;
};

// The change of a machine found in both audits, of one not in the earlier
// (`before` null), or of one gone (`now` null).
MachineChange CompareMachine(const EarlierMachine* before,
                             const CurrentMachine* now,
                             const Baseline& baseline,
                             const HotfixIndex& hotfixes);

// Whether any requirement is missing or has no update.
bool AnyExposed(const std::vector<Verdict>& verdicts);

// The fleet at one audit, for the picture of the audits.
struct AuditPoint {
  std::string date;  // the newest report's time
  std::size_t reporting = 0, gone = 0, stale = 0, exposed = 0;
};

// An earlier audit counted: gone against the audit before it (none for
// the first), stale against its own newest report, exposed by today's
// baseline.
AuditPoint CountAudit(const EarlierRun& run, const EarlierRun* previous,
                      int staleAfterDays, const Baseline& baseline,
                      const HotfixIndex& hotfixes);

// Each earlier audit of --since as a point of the picture, oldest first:
// counted only when there are two or more, else the date alone.
class AuditCounter {
 public:
  AuditCounter(std::size_t audits, int staleAfterDays, const Baseline& baseline)
      : audits_(audits), staleAfterDays_(staleAfterDays), baseline_(baseline) {}
  // As ReadEarlierAudits sees each.
  void Count(const EarlierRun& run, const EarlierRun* previous,
             const HotfixIndex& hotfixes);
  const std::vector<AuditPoint>& points() const { return points_; }

 private:
  std::size_t audits_;
  int staleAfterDays_;
  const Baseline& baseline_;
  std::vector<AuditPoint> points_;
};

// Sets `report.stale` and says so on standard error; true when stale.
bool MarkStale(const StaleReports& stale, MachineReport& report,
               TextOutput& errors);

// Walks the run's reports in table order beside the earlier audit's
// machines: each name's change once its last report is read, and the gone
// machines in their place. Says on standard error each gone machine, each
// hotfix removed, and each name of several reports.
class SinceTracker {
 public:
  SinceTracker(const EarlierRun& earlier, const Baseline& baseline,
               const HotfixIndex& hotfixes,
               const std::vector<ReportFile>& files, TextOutput& errors);

  // The gone machines that come before files[i] (all that are left, when
  // i is the number of files).
  std::vector<MachineChange> GoneBefore(std::size_t i);
  // Takes the report of files[i]; the change of its name once it is the
  // name's last report, else null.
  const MachineChange* Add(std::size_t i, const MachineReport& report,
                           const WindowsRelease& release,
                           const std::vector<Verdict>& verdicts);
  // The run now, as a point of the picture.
  AuditPoint Now(const std::string& date) const;
  bool anyGone() const { return gone_ > 0; }

 private:
  const MachineChange& Finish(const CurrentMachine& now);
  void Say(const MachineChange& change);

  const EarlierRun& earlier_;
  const Baseline& baseline_;
  const HotfixIndex& hotfixes_;
  const std::vector<ReportFile>& files_;
  TextOutput& errors_;
  std::size_t next_ = 0;  // the earlier machine to be met next
  MachineReport merged_;  // a name's reports so far
  int reportsOfName_ = 0;
  bool staleOfName_ = false;
  MachineChange change_;
  std::size_t machines_ = 0, gone_ = 0, stale_ = 0, exposed_ = 0;
};

#endif  // HOTFIXES_AUDITOR_TABLE_JUDGE_CHANGES_H_
