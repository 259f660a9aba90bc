// The table as a wide CSV: one row per machine, which a spreadsheet holds
// whole for any fleet (its limit is about a million rows).
//
//   machine,status,windows,os,found,reported,KB123456,KB234567,...
//
// then a column per hotfix in the page's order, "1" where the machine has
// it; with a baseline, a column per requirement holding its state
// instead. UTF-8, CR LF, quoted and guarded as the CSV is.
//
// The reports name the columns, so they may name them as anything:
// - Every header name is unique, compared as a program reading the CSV
//   gets it and without regard to letter case: a column named as a fixed
//   column or an earlier one gets "~2", or the next number free.
// - A machine's own hotfixes (no other machine has them) get no column
//   when it has more than a thousand: one report must not widen every
//   row of the fleet.
// - A spreadsheet holds 16,384 columns. Past them, the hotfixes the
//   fewest machines have get no column, a machine's own ones first when
//   it has the most of them.
// Standard error says what has no column and whose it is; the row CSV and
// JSON Lines keep it.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_WIDE_TABLE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_WIDE_TABLE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/write/fleet.h"

// The most columns a spreadsheet holds.
const std::size_t kSpreadsheetColumns = 16384;

// `names` as header fields after `fixed`, each unique by the rule above.
std::vector<std::string> UniqueHeaderNames(
    const std::vector<std::string>& fixed,
    const std::vector<std::string>& names);

// `errors`: what has no column.
void WriteWideCsv(const Fleet& fleet, TextOutput& out, TextOutput& errors,
                  std::size_t columnLimit = kSpreadsheetColumns);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_WIDE_TABLE_H_
