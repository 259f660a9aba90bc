#include "auditor/table/table_program.h"

#include <algorithm>
#include <memory>

#include "auditor/files/file_access.h"
#include "auditor/table/judge/changes.h"
#include "auditor/table/judge/judgement.h"
#include "auditor/table/read/earlier_audits.h"
#include "auditor/table/read/report_files.h"
#include "auditor/table/read/report_times.h"
#include "auditor/table/table_options.h"
#include "auditor/table/write/table_writer.h"
#include "auditor/vocabulary/windows_release.h"

namespace {

// With --since: the run's machines beside the earlier audit's, each
// change handed to the writer in table order.
class SinceRun {
 public:
  SinceRun(const ReadSettings& settings, const Judgement& judgement,
           const EarlierAudits& earlier, const std::vector<AuditPoint>& audits,
           const std::vector<ReportFile>& files, TableWriter& writer,
           TextOutput& errors)
      : audits_(audits), writer_(writer) {
    if (settings.since.empty()) return;
    tracker_ = std::make_unique<SinceTracker>(earlier.last, judgement.baseline,
                                              earlier.hotfixes, files, errors);
  }
  void Before(std::size_t i) {
    if (!tracker_) return;
    for (const MachineChange& gone : tracker_->GoneBefore(i)) {
      writer_.AddChange(gone);
    }
  }
  void After(std::size_t i, const MachineReport& report,
             const WindowsRelease& release,
             const std::vector<Verdict>& verdicts) {
    newest_ = std::max(newest_, report.reported);
    if (!tracker_) return;
    const MachineChange* change = tracker_->Add(i, report, release, verdicts);
    if (change != nullptr) writer_.AddChange(*change);
  }
  // True when a machine is gone.
  bool Finish(std::size_t files) {
    if (!tracker_) return false;
    Before(files);
    std::vector<AuditPoint> audits = audits_;
    audits.push_back(tracker_->Now(newest_));
    writer_.AddAudits(audits);
    return tracker_->anyGone();
  }

 private:
  const std::vector<AuditPoint>& audits_;  // the earlier ones
  TableWriter& writer_;
  std::unique_ptr<SinceTracker> tracker_;
  std::string newest_;
};

// Reads, judges and writes each report in turn; returns the exit code.
int WriteTable(const Options& options, const Judgement& judgement,
               const std::vector<ReportFile>& files, const std::string& newest,
               const EarlierAudits& earlier,
               const std::vector<AuditPoint>& audits, TextOutput& errors) {
  TextOutput table(STD_OUTPUT_HANDLE);
  const std::unique_ptr<TableWriter> writer =
      MakeTableWriter(options.write, judgement, table, errors);
  const int staleAfterDays = options.judge.staleAfterDays;
  const StaleReports stale = staleAfterDays < 0
                                 ? StaleReports()
                                 : StaleReports(staleAfterDays, newest);
  SinceRun since(options.read, judgement, earlier, audits, files, *writer,
                 errors);
  bool problems = false, lacking = false;
  std::string bytes, text;
  MachineReport report;
  std::vector<Verdict> verdicts;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const ReportFile& file = files[i];
    since.Before(i);
    if (ReadReport(file, options.read.codePage, bytes, text, report)) {
      errors << "hotfixes-table: " << ShownPath(file.path)
             << ": characters that cannot be seen or that move text, shown"
                " as <U+code point>\r\n";
    }
    const WindowsRelease release = WindowsReleaseOf(report.os);
    report.windows = release.Display();
    if (!judgement.baseline.empty()) {
      judgement.baseline.Judge(report, release, verdicts);
    }
    problems = MarkStale(stale, report, errors) || problems;
    writer->Add(report, release, verdicts);
    problems = problems || report.status != ReportStatus::kComplete;
    lacking = JudgeReport(report, verdicts, judgement, errors) || lacking;
    since.After(i, report, release, verdicts);
  }
  problems = since.Finish(files.size()) || problems;
  writer->Finish();
  table.Flush();
  if (table.error() != 0) {
    errors << "hotfixes-table: cannot write the table: "
           << DescribeSystemError(table.error()) << "\r\n";
    return kTableOutputFailed;
  }
  if (problems) return kTableReportProblem;
  return lacking ? kTableLacking : kTableComplete;
}

// Reads what the table is judged by, the reports' files and the earlier
// audits, then the table; returns the exit code.
int MakeTable(const Options& options, TextOutput& errors) {
  const RequiredHotfixes required = ReadRequiredHotfixes(options.judge);
  const Baseline baseline = ReadBaseline(options.judge, errors);
  const std::vector<ReportFile> files = CollectReportFiles(options.read.paths);
  WarnAboutSharedNames(files, errors);
  AuditCounter audits(options.read.since.size(), options.judge.staleAfterDays,
                      baseline);
  const EarlierAudits earlier = ReadEarlierAudits(
      options.read, [&audits](const EarlierRun& run, const EarlierRun* previous,
                              const HotfixIndex& hotfixes) {
        audits.Count(run, previous, hotfixes);
      });
  // The run's date, from the file system alone.
  const bool since = !options.read.since.empty();
  const std::string newest = !since && options.judge.staleAfterDays < 0
                                 ? std::string()
                                 : NewestReportTime(files);
  if (since) CheckAuditOrder(earlier, newest);
  return WriteTable(options, Judgement{required, baseline}, files, newest,
                    earlier, audits.points(), errors);
}

}  // namespace

int RunTable(const std::vector<std::string>& arguments) {
  return RunProgram(
      kTableProgram, [&arguments] { return ParseArguments(arguments); },
      MakeTable);
}
