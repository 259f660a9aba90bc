// A sheet saved as CSV by Excel or LibreOffice: UTF-8 with or without a
// byte-order mark, fields separated by commas, quoted as RFC 4180 says
// (line breaks, commas and doubled quotes inside quotes), lines ending in
// CR LF or LF.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_CSV_SHEET_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_CSV_SHEET_H_

#include <string_view>

#include "auditor/baseline/read/sheet_rows.h"

// Hands each record of `bytes` to `rows` as a row (the first is row 1);
// throws ReadFailure when the bytes are no UTF-8 text, a quote is never
// closed, or a record holds more than a worksheet's row can (more cells,
// a longer cell, more text: see sheet_rows.h).
void ReadCsvSheet(std::string_view bytes, SheetRowSink& rows);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_CSV_SHEET_H_
