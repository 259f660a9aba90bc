// A bulletin row as the read stage hands it on, one line: what the unit
// tests compare and what print_bulletin_rows prints for the end-to-end
// tests.
#ifndef HOTFIXES_TESTS_SUPPORT_BULLETIN_ROW_LINE_H_
#define HOTFIXES_TESTS_SUPPORT_BULLETIN_ROW_LINE_H_

#include <string>

#include "auditor/baseline/read/bulletin_rows.h"

// "ROW|DATE|ID|KB|SEVERITY|TITLE|PRODUCT|COMPONENT KB|COMPONENT|SUPERSEDES",
// the texts as they are, the supersedes items as BULLETIN[KB] run
// together.
std::string BulletinRowLine(const BulletinRow& row);

#endif  // HOTFIXES_TESTS_SUPPORT_BULLETIN_ROW_LINE_H_
