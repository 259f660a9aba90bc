// The changes since an earlier audit as CSV (--format changes): UTF-8,
// CR LF, quoted and guarded as the table's CSV is. A row per machine, its
// change, and a row per detail of it:
//
//   machine,change,item,before,now,reported_before,reported
//   PC042,changed,,,,2026-11-03T10:00:05Z,2026-12-01T10:00:05Z
//   PC042,changed,added,,KB958644,...
//   PC042,changed,removed,KB950582,,...
//   PC042,changed,windows,Windows XP SP2,Windows XP SP3,...
//   PC042,changed,status,complete,incomplete,...
//   PC042,changed,requirement MS08-067,missing,installed,...
//
// With --stale-after a last column "stale", "yes" on the rows of a
// machine whose report is stale.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_CHANGES_CSV_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_CHANGES_CSV_H_

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/judge/changes.h"

void WriteChangesHeader(bool staleColumn, TextOutput& out);

void WriteChangeRows(const MachineChange& change, const Baseline& baseline,
                     bool staleColumn, TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_CHANGES_CSV_H_
