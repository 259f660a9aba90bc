#include "table/table_program.h"

#include <memory>
#include <new>

#include "files/file_access.h"
#include "table/judge/judgement.h"
#include "table/read/report_files.h"
#include "table/read/windows_release.h"
#include "table/table_options.h"
#include "table/write/table_writer.h"

namespace {

// Reads, judges and writes each report in turn; returns the exit code.
int WriteTable(const Options& options, const Judgement& judgement,
               const std::vector<ReportFile>& files, TextOutput& errors) {
  TextOutput table(STD_OUTPUT_HANDLE);
  const std::unique_ptr<TableWriter> writer =
      MakeTableWriter(options, judgement, table, errors);
  bool problems = false, lacking = false;
  std::string bytes, text;
  MachineReport report;
  std::vector<Verdict> verdicts;
  for (const ReportFile& file : files) {
    if (ReadReport(file, options.codePage, bytes, text, report)) {
      errors << "hotfixes-table: " << ShownPath(file.path)
             << ": characters that cannot be seen or that move text, shown"
                " as <U+code point>\r\n";
    }
    const WindowsRelease release = WindowsReleaseOf(report.os);
    report.windows = release.Display();
    if (!judgement.baseline.empty()) {
      verdicts = judgement.baseline.Judge(report, release);
    }
    writer->Add(report, release, verdicts);
    problems = problems || report.status != ReportStatus::kComplete;
    lacking = JudgeReport(report, verdicts, judgement, errors) || lacking;
  }
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
    return WriteTable(options, Judgement{required, baseline}, files, errors);
  } catch (const UsageError& error) {
    errors << "hotfixes-table: " << error.message << " (" << kTableUsage
           << ")\r\n";
    return kTableUsageError;
  } catch (const std::bad_alloc&) {
    errors << "hotfixes-table: out of memory\r\n";
    return kTableOutputFailed;
  }
}
