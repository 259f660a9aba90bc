// The page's part for a baseline: how many machines are in each state of
// each requirement, and a matrix of patch levels by requirement for each
// Windows.
#ifndef HOTFIXES_TABLE_HTML_FINDINGS_H_
#define HOTFIXES_TABLE_HTML_FINDINGS_H_

#include <vector>

#include "table/fleet.h"
#include "table/fleet_groups.h"
#include "table/text_output.h"

extern const char kFindingsStyle[];

void WriteExposure(const Fleet& fleet, TextOutput& out);
void WriteFindings(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   TextOutput& out);

#endif  // HOTFIXES_TABLE_HTML_FINDINGS_H_
