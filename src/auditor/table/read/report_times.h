// The times reports were written, which tell an audit's date and which
// reports are stale: always against the run's own newest report, never the
// clock, so that a run gives the same table tomorrow.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_REPORT_TIMES_H_
#define HOTFIXES_AUDITOR_TABLE_READ_REPORT_TIMES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/table/read/report_files.h"

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SSZ" as the table writes it
// (FormatUtcTime): a real date from kFirstReportYear to kLastReportYear,
// seconds 00 to 59; false for any other text.
bool ParseUtcTime(std::string_view text, std::int64_t& seconds);

// The latest modification time of the files, as the table writes it;
// empty when none is known. Asks the file system only, reading no file.
std::string NewestReportTime(const std::vector<ReportFile>& files);

// Which reports are stale: written more than `days` before `newest`.
class StaleReports {
 public:
  StaleReports() = default;  // nothing is stale
  StaleReports(int days, std::string_view newest);
  bool asked() const { return asked_; }
  int days() const { return days_; }
  // False for a time that is not known.
  bool IsStale(std::string_view reported) const;

 private:
  bool asked_ = false;
  int days_ = 0;
  bool known_ = false;
  std::int64_t cutoff_ = 0;
};

#endif  // HOTFIXES_AUDITOR_TABLE_READ_REPORT_TIMES_H_
