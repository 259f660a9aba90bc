// The page's part for a baseline: how many machines are in each state of
// each requirement, and a matrix of patch levels by requirement for each
// Windows.
#ifndef HOTFIXES_TABLE_WRITE_HTML_FINDINGS_H_
#define HOTFIXES_TABLE_WRITE_HTML_FINDINGS_H_

#include <vector>

#include "files/text_output.h"
#include "table/write/fleet.h"
#include "table/write/fleet_groups.h"

extern const char kFindingsStyle[];

void WriteExposure(const Fleet& fleet, TextOutput& out);
void WriteFindings(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   TextOutput& out);

#endif  // HOTFIXES_TABLE_WRITE_HTML_FINDINGS_H_
