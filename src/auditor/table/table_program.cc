#include "auditor/table/table_program.h"

#include <algorithm>
#include <memory>
#include <new>

#include "auditor/files/file_access.h"
#include "auditor/table/judge/changes.h"
#include "auditor/table/judge/judgement.h"
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
  SinceRun(const Options& options, const Judgement& judgement,
           const EarlierAudits& earlier, const std::vector<ReportFile>& files,
           TableWriter& writer, TextOutput& errors)
      : earlier_(earlier), writer_(writer) {
    if (options.since.empty()) return;
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
    std::vector<AuditPoint> audits = earlier_.points;
    audits.push_back(tracker_->Now(newest_));
    writer_.AddAudits(audits);
    return tracker_->anyGone();
  }

 private:
  const EarlierAudits& earlier_;
  TableWriter& writer_;
  std::unique_ptr<SinceTracker> tracker_;
  std::string newest_;
};

// Reads, judges and writes each report in turn; returns the exit code.
int WriteTable(const Options& options, const Judgement& judgement,
               const std::vector<ReportFile>& files, const std::string& newest,
               const EarlierAudits& earlier, TextOutput& errors) {
  TextOutput table(STD_OUTPUT_HANDLE);
  const std::unique_ptr<TableWriter> writer =
      MakeTableWriter(options, judgement, table, errors);
  const StaleReports stale = options.staleAfterDays < 0
                                 ? StaleReports()
                                 : StaleReports(options.staleAfterDays, newest);
  SinceRun since(options, judgement, earlier, files, *writer, errors);
  bool problems = false, lacking = false;
  std::string bytes, text;
  MachineReport report;
  std::vector<Verdict> verdicts;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const ReportFile& file = files[i];
    since.Before(i);
    if (ReadReport(file, options.codePage, bytes, text, report)) {
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

}  // namespace

int RunTable(const std::vector<std::string>& arguments) {
  TextOutput errors(STD_ERROR_HANDLE);
  try {
    const Options options = ParseArguments(arguments);
    if (options.help || options.version) {
      TextOutput out(STD_OUTPUT_HANDLE);
      if (options.help) {
        WriteHelp(out);
      } else {
        WriteVersion(out);
      }
      out.Flush();
      return out.error() == 0 ? kTableComplete : kTableOutputFailed;
    }
    const RequiredHotfixes required = ReadRequiredHotfixes(options);
    const Baseline baseline = ReadBaseline(options, errors);
    const std::vector<ReportFile> files = CollectReportFiles(options);
    WarnAboutSharedNames(files, errors);
    const EarlierAudits earlier = ReadEarlierAudits(options, baseline);
    // The run's date, from the file system alone.
    const std::string newest =
        options.since.empty() && options.staleAfterDays < 0
            ? std::string()
            : NewestReportTime(files);
    if (!options.since.empty()) CheckAuditOrder(earlier, newest);
    return WriteTable(options, Judgement{required, baseline}, files, newest,
                      earlier, errors);
  } catch (const UsageError& error) {
    errors << "hotfixes-table: " << error.message << " (" << kTableUsage
           << ")\r\n";
    return kTableUsageError;
  } catch (const std::bad_alloc&) {
    errors << "hotfixes-table: out of memory\r\n";
    return kTableOutputFailed;
  }
}
