// The table as CSV (RFC 4180): UTF-8, CR LF, one row per hotfix entry;
// or, judged by a baseline, one row per machine and requirement.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_CSV_TABLE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_CSV_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/read/machine_report.h"

// Appends a field as RFC 4180 has it, and never one a spreadsheet would
// take for a formula.
void AppendCsvField(std::string_view field, std::string& out);

// `staleColumn`: with --stale-after, a last column "stale", "yes" for a
// stale report.
void WriteCsvHeader(TextOutput& out, bool staleColumn = false);

// The machine's rows in report order; one row with no hotfix when it has
// no entries.
void WriteCsvRows(const MachineReport& report, TextOutput& out,
                  bool staleColumn = false);

void WriteCsvFindingsHeader(TextOutput& out, bool staleColumn = false);

// The requirement and title fields of each requirement, with the commas
// that end them: the same in every machine's rows.
std::vector<std::string> CsvRequirementFields(const Baseline& baseline);

// The machine's verdicts, one row each in the baseline's order, or only
// those it is exposed to; `requirements` is CsvRequirementFields of the
// baseline.
void WriteCsvFindings(const MachineReport& report,
                      const std::vector<std::string>& requirements,
                      const std::vector<Verdict>& verdicts, bool exposedOnly,
                      TextOutput& out, bool staleColumn = false);

// What a program reading the CSV gets of the field: the text, with the
// mark that keeps it from being a formula.
std::string CsvFieldValue(std::string_view field);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_CSV_TABLE_H_
