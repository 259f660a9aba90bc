// The page's part for a baseline, what an auditor reads first:
// - per Windows and service pack, its machines, how many are exposed and
//   to how many requirements (missing: fixable now; no update: only by a
//   later service pack or Windows);
// - the requirements, those most machines are exposed to first, then the
//   gravest (by the title's first word), with the machines in each state;
// - for each Windows a matrix of its machines, a row for those in the same
//   states at one service pack, by the requirements some of them are
//   exposed to; the others are counted, not drawn, so
//   that a catalog of a thousand requirements makes a page of the fleet's
//   exposure, not of the catalog. A browser lays a matrix out only as it
//   comes into view (content-visibility), so the page of a fleet judged
//   by a thousand requirements opens about as fast as the page without.
//   A matrix too large for the page (html_outline.h) is told as lines:
//   the machines exposed alike at one service pack, and the requirements
//   they are exposed to against a few common sets.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_HTML_FINDINGS_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_HTML_FINDINGS_H_

#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/write/fleet.h"
#include "auditor/table/write/fleet_groups.h"
#include "auditor/table/write/html_outline.h"

extern const char kFindingsStyle[];

// Returns by machine the number n of the element "x<n>" that tells its
// findings (kNoLink where its Windows has no matrix). `errors`: which
// findings the page does not list.
std::vector<std::size_t> WriteFindings(
    const Fleet& fleet, const std::vector<WindowsSection>& sections,
    PageRoom& room, TextOutput& out, TextOutput& errors);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_HTML_FINDINGS_H_
