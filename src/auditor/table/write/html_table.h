// The table as one self-contained HTML page for a person to look at: a
// summary of the machines, and a matrix of machines by hotfix.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TABLE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TABLE_H_

#include "auditor/files/text_output.h"
#include "auditor/table/write/fleet.h"

class SinceSection;

// `errors`: which patch levels' own hotfixes are folded into a count.
// `since`: the changes since an earlier audit and the stale reports, the
// page's opening; null without --since and --stale-after.
void WriteHtmlPage(const Fleet& fleet, TextOutput& out, TextOutput& errors,
                   const SinceSection* since = nullptr);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TABLE_H_
