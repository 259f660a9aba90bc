// The first worksheet of an .xlsx workbook (Office Open XML), whatever its
// name, read as it inflates: only the shared strings are held whole.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_XLSX_WORKBOOK_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_XLSX_WORKBOOK_H_

#include <string_view>

#include "auditor/baseline/read/sheet_rows.h"

// Hands each row of the workbook `bytes` to `rows`; throws ReadFailure
// when the archive or a part of it is damaged or no workbook.
void ReadFirstWorksheet(std::string_view bytes, SheetRowSink& rows);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_XLSX_WORKBOOK_H_
