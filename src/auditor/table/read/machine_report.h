// What one report file says about its machine, as the table shows it. All
// texts are UTF-8, whatever the file's own encoding was.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_MACHINE_REPORT_H_
#define HOTFIXES_AUDITOR_TABLE_READ_MACHINE_REPORT_H_

#include <string>
#include <vector>

enum class ReportStatus {
  kComplete,    // ends with the count line
  kFailed,      // ends with the program's failure report or run-time error
  kIncomplete,  // the start of a report, cut short
  kUnreadable,  // empty, not a report, or not to be read or decoded
};

// "complete", "failed", "incomplete", "unreadable".
const char* StatusName(ReportStatus status);

struct HotfixEntry {
  std::string name;
  std::string comment;  // a comment of several lines keeps CR LF between them
};

struct MachineReport {
  std::string machine;
  ReportStatus status = ReportStatus::kUnreadable;
  std::string found;  // the count line's number; empty unless complete
  std::string os;
  std::string windows;  // which Windows and service pack the OS line names
  std::vector<HotfixEntry> entries;
  std::string problem;   // empty for a complete report
  std::string reported;  // the file's modification time, YYYY-MM-DDTHH:MM:SSZ
  std::string owner;     // the file owner's account; empty when not known
  // With --stale-after: written more than that many days before the run's
  // newest report.
  bool stale = false;
};

#endif  // HOTFIXES_AUDITOR_TABLE_READ_MACHINE_REPORT_H_
