// What the parts of the page share: escaping, the classes of a report's
// status, and the head of a patch level's row in either matrix.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TEXT_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/table/write/fleet.h"
#include "auditor/table/write/fleet_groups.h"

// Where the page tells each machine's patch level (the element of id
// "l<n>") and, with a baseline, its findings ("x<n>"): a matrix' row, a
// line of text, or the note where the lines stop.
const std::size_t kNoLink = static_cast<std::size_t>(-1);
struct MachineLinks {
  std::vector<std::size_t> level;     // by machine
  std::vector<std::size_t> findings;  // by machine; kNoLink for none
};

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

// "<li id=ID class=STATUS><b>SP3</b> PC1, PC2: ", the start of a level's
// line where its matrix is told as text: every machine named.
void AppendLevelLineStart(const Fleet& fleet, const PatchLevel& level,
                          std::string_view id, std::string& line);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_HTML_TEXT_H_
