// Reading one file of Microsoft's bulletin data: the .xlsx workbook as
// published, or a CSV of its sheet as Excel or LibreOffice save it; which
// one is told by the content, not by the name.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_FILE_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_FILE_H_

#include <string>

#include "auditor/baseline/read/bulletin_rows.h"

// Hands each readable data row of the file at `path` to `sink` and fills
// `facts`; dates written n/n/yyyy are read in `dateOrder`, or with
// kNotKnown in the order the file's rows show. False when the file cannot
// be read at all (not a zip nor a CSV of this sheet, no header with the
// columns, a damaged zip, a part that inflates past its bound, more than
// a worksheet holds, XML that is not well formed, dates whose order it
// does not show), with `error` saying what is wrong in one line, without
// the file's name; rows already handed on are then to be dropped by the
// caller.
bool ReadBulletinFile(const std::string& path, DateOrder dateOrder,
                      BulletinRowSink& sink, BulletinFileFacts& facts,
                      std::string& error);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_FILE_H_
