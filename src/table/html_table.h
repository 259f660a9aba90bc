// The table as one self-contained HTML page for a person to look at: a
// summary of the machines, and a matrix of machines by hotfix.
#ifndef HOTFIXES_TABLE_HTML_TABLE_H_
#define HOTFIXES_TABLE_HTML_TABLE_H_

#include "table/fleet.h"
#include "table/text_output.h"

void WriteHtmlPage(const Fleet& fleet, TextOutput& out);

#endif  // HOTFIXES_TABLE_HTML_TABLE_H_
