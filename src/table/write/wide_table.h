// The table as a wide CSV: one row per machine, which a spreadsheet holds
// whole for any fleet (its limit is about a million rows).
//
//   machine,status,windows,os,found,reported,KB123456,KB234567,...
//
// then a column per hotfix in the page's order, "1" where the machine has
// it; with a baseline, a column per requirement holding its state
// instead. UTF-8, CR LF, quoted and guarded as the CSV is.
#ifndef HOTFIXES_TABLE_WRITE_WIDE_TABLE_H_
#define HOTFIXES_TABLE_WRITE_WIDE_TABLE_H_

#include "files/text_output.h"
#include "table/write/fleet.h"

void WriteWideCsv(const Fleet& fleet, TextOutput& out);

#endif  // HOTFIXES_TABLE_WRITE_WIDE_TABLE_H_
