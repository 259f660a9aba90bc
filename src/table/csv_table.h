// The table as CSV (RFC 4180): UTF-8, CR LF, one row per hotfix entry.
#ifndef HOTFIXES_TABLE_CSV_TABLE_H_
#define HOTFIXES_TABLE_CSV_TABLE_H_

#include "table/machine_report.h"
#include "table/text_output.h"

void WriteCsvHeader(TextOutput& out);

// The machine's rows in report order; one row with no hotfix when it has
// no entries.
void WriteCsvRows(const MachineReport& report, TextOutput& out);

#endif  // HOTFIXES_TABLE_CSV_TABLE_H_
