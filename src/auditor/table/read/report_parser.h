// Reads back a report that hotfixes.exe wrote: where it ended, its OS line
// and its hotfix entries.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_REPORT_PARSER_H_
#define HOTFIXES_AUDITOR_TABLE_READ_REPORT_PARSER_H_

#include <string_view>

#include "auditor/table/read/machine_report.h"

// Fills the status, count, OS line, entries and problem of `report` from
// the report's text, decoded to UTF-8 (lines ending in CR LF or LF alone).
// Its machine and time stamp are left as they are.
void ParseReportText(std::string_view text, MachineReport& report);

#endif  // HOTFIXES_AUDITOR_TABLE_READ_REPORT_PARSER_H_
