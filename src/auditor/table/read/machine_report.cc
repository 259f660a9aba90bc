#include "auditor/table/read/machine_report.h"

const char* StatusName(ReportStatus status) {
  switch (status) {
    case ReportStatus::kComplete: return "complete";
    case ReportStatus::kFailed: return "failed";
    case ReportStatus::kIncomplete: return "incomplete";
    case ReportStatus::kUnreadable: break;
  }
  return "unreadable";
}
