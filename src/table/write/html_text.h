// What the parts of the page share: escaping, the classes of a report's
// status, and the head of a patch level's row in either matrix.
#ifndef HOTFIXES_TABLE_WRITE_HTML_TEXT_H_
#define HOTFIXES_TABLE_WRITE_HTML_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "table/write/fleet.h"
#include "table/write/fleet_groups.h"

extern const char kPresentMark[];  // check mark
extern const char kLackingMark[];  // ballot x

// Text and attribute values alike.
void AppendHtmlEscaped(std::string_view text, std::string& out);
std::string HtmlEscaped(std::string_view text);

// The class of a report's rows: empty for a complete report.
std::string_view StatusClass(ReportStatus status);

// The heading of a Windows' section: its name, or "Unknown Windows".
const char* SectionName(Windows windows);

// "1 machine", "2 machines".
std::string Plural(std::size_t n, const char* one, const char* many);

// "<tr id=ID class=STATUS><th ...>" and the level's name: its machine's,
// or its service pack and count with the machines' names behind a click.
// `id` may be empty.
void AppendLevelRowStart(const Fleet& fleet, const PatchLevel& level,
                         std::string_view id, std::string& row);

#endif  // HOTFIXES_TABLE_WRITE_HTML_TEXT_H_
