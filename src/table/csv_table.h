// The table as CSV (RFC 4180): UTF-8, CR LF, one row per hotfix entry;
// or, judged by a baseline, one row per machine and requirement.
#ifndef HOTFIXES_TABLE_CSV_TABLE_H_
#define HOTFIXES_TABLE_CSV_TABLE_H_

#include <vector>

#include "table/baseline.h"
#include "table/machine_report.h"
#include "table/text_output.h"

void WriteCsvHeader(TextOutput& out);

// The machine's rows in report order; one row with no hotfix when it has
// no entries.
void WriteCsvRows(const MachineReport& report, TextOutput& out);

void WriteCsvFindingsHeader(TextOutput& out);

// The machine's verdicts, one row each in the baseline's order.
void WriteCsvFindings(const MachineReport& report, const Baseline& baseline,
                      const std::vector<Verdict>& verdicts, TextOutput& out);

#endif  // HOTFIXES_TABLE_CSV_TABLE_H_
