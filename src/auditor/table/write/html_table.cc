// The fleet as one HTML page that a person opens in a browser: no script
// and no other file, so that it can be mailed or left on a share as it is.
// Its Content-Security-Policy forbids any script, so that no text of a
// report can run, even through a fault in escaping.
//
// How it stays usable at ten thousand machines, whatever their variety:
// - Machines are grouped (fleet_groups.h): a section per Windows, and in
//   it a row per patch level, the machines that share it behind a click
//   (<details>, no script). A fleet cloned from a few images has a few
//   hundred levels, not thousands of rows.
// - A matrix is drawn only when its size allows (html_outline.h): one of
//   machines that drifted apart, as many levels as machines, is told as
//   lines against a few common sets instead, whose text grows with what
//   sets the levels apart.
// - In a section's matrix levels are rows and hotfixes columns, only those
//   some machine of that Windows has or that are required. A hotfix name
//   is written vertically in its column header, so a column is one
//   character wide. The header row and the level column are sticky:
//   however far the page is scrolled, the names of a cell's row and column
//   stay in view.
// - The page stays small: a cell is a bare <td> without its optional end
//   tag and with no style of its own. Its look comes from the style sheet
//   alone: a cell with a mark is a present hotfix, class "l" a required
//   one the level lacks; a report's status is one class on its rows.
// - The summary keeps a row per machine, linked to its level's row or
//   line: most of the page's bytes at ten thousand machines. It comes in
//   blocks of rows, and the matrices in blocks of their own, that a
//   browser lays out only as they come into view: one table of ten
//   thousand rows takes it seconds.
// - A report cannot widen every row of its Windows with names of its own:
//   more hotfixes than a few that only its level has are a count in its
//   row (fleet_groups.h), and standard error says whose.
#include "auditor/table/write/html_table.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/table/write/fleet_groups.h"
#include "auditor/table/write/html_findings.h"
#include "auditor/table/write/html_outline.h"
#include "auditor/table/write/html_since.h"
#include "auditor/table/write/html_text.h"

namespace {

// The machines' table comes in blocks of this many rows.
const std::size_t kMachinesPerBlock = 500;

// Class names, short because the matrix repeats them.
const char kLackingClass[] = "l";
const char kRequiredClass[] = "q";

const char kStyle[] =
    "body{font:13px/1.35 system-ui,sans-serif;margin:8px;color:#111;"
    "background:#fff}"
    "h1{font-size:18px;margin:0 0 6px}"
    "h2{font-size:15px;margin:18px 0 6px}"
    "#counts{list-style:none;margin:0 0 6px;padding:0}"
    "#counts li{display:inline-block;margin:0 6px 4px 0;padding:2px 8px;"
    "border-radius:3px;background:#eee}"
    "#counts .f{background:#fbd3b0}#counts .i{background:#fbe9a6}"
    "#counts .u{background:#dcdcdc}"
    "#counts .l{background:#d9302c;color:#fff}"
    "p{margin:4px 0}"
    "table{border-collapse:separate;border-spacing:0}"
    "th,td{border:solid #ccc;border-width:0 1px 1px 0}"
    "thead th{position:sticky;top:0;z-index:2;background:#e8e8e8}"
    // The machines' table is a header and blocks of rows, each a table
    // of its own that is laid out only when it comes near the view: one
    // table of ten thousand rows takes a browser seconds to lay out. The
    // columns have the same widths in every block, whatever their text.
    "#machines>div{content-visibility:auto;"
    "contain-intrinsic-size:auto 18000px}"
    "#machines>table{position:sticky;top:0;z-index:2}"
    "#machines table{table-layout:fixed;width:100%;min-width:90em}"
    "#machines thead th{position:static;overflow-wrap:normal}"
    "#machines th,#machines td{padding:2px 6px;text-align:left;"
    "vertical-align:top;overflow-wrap:anywhere}"
    "#machines .m{width:12em}#machines .s{width:6em}"
    "#machines .w{width:10.5em}#machines .n{width:5.2em}"
    "#machines .p{width:10em}#machines .r{width:13em}"
    "#machines .o{width:9em}"
    "#machines td.l{background:#d9302c;color:#fff;font-weight:bold}"
    ".mx td{min-width:15px;height:15px;padding:0;text-align:center;"
    "font-size:11px;line-height:15px}"
    ".mx thead th{vertical-align:bottom;padding:4px 0;font-size:11px;"
    "font-weight:normal}"
    ".mx thead span{display:inline-block;writing-mode:vertical-rl;"
    "transform:rotate(180deg);white-space:nowrap;max-height:14em;"
    "overflow:hidden;text-overflow:ellipsis}"
    ".mx thead th.q{font-weight:bold;color:#a4161a}"
    ".mx tbody th{position:sticky;left:0;z-index:1;background:#f4f4f4;"
    "text-align:left;white-space:nowrap;padding:0 6px;font-weight:normal}"
    // A name of any length leaves the matrix in view; the title holds it
    // whole.
    ".mx tbody th span{display:inline-block;max-width:16em;"
    "overflow:hidden;text-overflow:ellipsis;vertical-align:top}"
    ".mx thead th:first-child{left:0;z-index:3;text-align:left;"
    "padding:4px 6px;font-size:13px}"
    ".mx details span{display:block}"
    ".mx summary{cursor:pointer}"
    ".mx tbody th :is(i,b){font-style:normal;font-weight:normal;"
    "font-size:10px;margin-left:6px;padding:0 3px;border-radius:2px;"
    "background:#fff}"
    ".mx tbody tr:hover th{background:#ffe066}"
    ".mx td:not(:empty){background:#d6efd0;color:#23661f}"
    ".mx td.l{background:#d9302c;color:#fff;font-weight:bold}"
    // A report that is not complete: its row in a colour of its status;
    // in the matrix its empty cells hatched, since they are not known.
    "tr.f>*{background:#fbd3b0}"
    "tr.i>*{background:#fbe9a6}"
    "tr.u>*{background:#dcdcdc}"
    ".mx tr.f>th{background:#f5b582}"
    ".mx tr.i>th{background:#f3d675}"
    ".mx tr.u>th{background:#c4c4c4}"
    ".mx tr.f>td:empty{background:repeating-linear-gradient(135deg,"
    "#fff 0 3px,#fbd3b0 3px 6px)}"
    ".mx tr.i>td:empty{background:repeating-linear-gradient(135deg,"
    "#fff 0 3px,#fbe9a6 3px 6px)}"
    ".mx tr.u>td:empty{background:repeating-linear-gradient(135deg,"
    "#fff 0 3px,#dcdcdc 3px 6px)}"
    ".lg span{display:inline-block;min-width:15px;padding:0 3px;"
    "margin:0 3px 0 10px;text-align:center}"
    ".lg .p{background:#d6efd0;color:#23661f}"
    ".lg .l{background:#d9302c;color:#fff;font-weight:bold}"
    ".lg .f{background:#fbd3b0}.lg .i{background:#fbe9a6}"
    ".lg .u{background:#dcdcdc}";

struct FleetCounts {
  std::size_t byStatus[4] = {};
  std::size_t lacking = 0;             // machines that lack a required hotfix
  std::size_t lackingNotComplete = 0;  // of them, reports not complete
  std::size_t required = 0;            // columns
};

FleetCounts CountFleet(const Fleet& fleet) {
  FleetCounts counts;
  for (const FleetColumn& column : fleet.columns) {
    if (column.required) ++counts.required;
  }
  for (const FleetMachine& machine : fleet.machines) {
    ++counts.byStatus[static_cast<int>(machine.status)];
    if (!machine.lacking.empty()) {
      ++counts.lacking;
      if (machine.status != ReportStatus::kComplete) {
        ++counts.lackingNotComplete;
      }
    }
  }
  return counts;
}

// A row of a matrix that is scrolled to by a link must not come to lie
// under the sticky header, whose height the longest name sets.
std::string HeaderHeight(const Fleet& fleet) {
  std::size_t longest = 0;
  for (const FleetColumn& column : fleet.columns) {
    longest = std::max(longest, column.name.size());
  }
  for (const BaselineRequirement& requirement : fleet.requirements) {
    longest = std::max(longest, requirement.id.size());
  }
  // A character of the 11px names takes at most 0.6em of the page's 13px
  // font, the padding and the corner's line 2.5em; names are cut at 14em
  // of their own.
  const std::size_t tenths = std::min<std::size_t>(longest * 6, 120) + 25;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "em";
}

// Inline styles and nothing else: no text of a report can run as a
// script, even where a fault let it through as markup, and the page loads
// nothing from anywhere. First in the head, before anything it governs.
const char kContentSecurityPolicy[] =
    "<meta http-equiv=Content-Security-Policy content=\"default-src 'none';"
    " style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">";

// Found, Entries, and Lacks or Exposed when there, to the right.
std::string NumberColumns(const Fleet& fleet) {
  bool required = false;
  for (const FleetColumn& column : fleet.columns) {
    required = required || column.required;
  }
  const bool extra = required || !fleet.requirements.empty();
  return std::string("#machines td:nth-child(n+5):nth-child(-n+") +
         (extra ? "7" : "6") + "){text-align:right}";
}

void WriteHead(const Fleet& fleet, TextOutput& out) {
  out << "<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8>"
      << kContentSecurityPolicy
      << "<meta name=viewport content=\"width=device-width\">"
         "<title>Hotfixes of "
      << Plural(fleet.machines.size(), "machine", "machines")
      << "</title>\n<style>" << kStyle << kFindingsStyle << kSinceStyle
      << kOutlineStyle << NumberColumns(fleet)
      << ".mx tbody tr{scroll-margin-top:" << HeaderHeight(fleet)
      << "}</style></head>\n<body>\n";
}

void WriteCounts(const Fleet& fleet, const FleetCounts& counts,
                 TextOutput& out) {
  out << "<h1>Hotfixes of "
      << Plural(fleet.machines.size(), "machine", "machines")
      << "</h1>\n<ul id=counts><li>"
      << Plural(fleet.machines.size(), "machine", "machines");
  const ReportStatus statuses[] = {
      ReportStatus::kComplete, ReportStatus::kFailed, ReportStatus::kIncomplete,
      ReportStatus::kUnreadable};
  for (ReportStatus status : statuses) {
    const std::size_t n = counts.byStatus[static_cast<int>(status)];
    const std::string_view rowClass = StatusClass(status);
    out << "<li";
    if (n > 0 && !rowClass.empty()) out << " class=" << rowClass;
    out << ">" << std::to_string(n) << " " << StatusName(status);
  }
  out << "<li>" << Plural(fleet.columns.size(), "hotfix", "hotfixes");
  if (counts.required > 0) {
    out << ", " << std::to_string(counts.required) << " required<li"
        << (counts.lacking > 0 ? " class=l>" : ">")
        << Plural(counts.lacking, "machine lacks", "machines lack")
        << " required hotfixes";
    if (counts.lackingNotComplete > 0) {
      out << " (" << std::to_string(counts.lackingNotComplete)
          << " of them with a report that is not complete)";
    }
  }
  out << "</ul>\n<p>";
  if (!fleet.requirements.empty()) {
    out << "<a href=#exposure>Exposure</a> &middot; "
           "<a href=#findings>Requirements by machine</a> &middot; ";
  }
  out << "<a href=#machines>Machines</a> &middot; "
         "<a href=#hotfixes>Hotfixes by machine</a>\n";
}

void AppendLackedNames(const Fleet& fleet, const FleetMachine& machine,
                       std::string& row) {
  for (std::size_t i = 0; i < machine.lacking.size(); ++i) {
    if (i > 0) row += ", ";
    AppendHtmlEscaped(fleet.columns[machine.lacking[i]].name, row);
  }
}

// "<td><a href=#x12>14</a>": the requirements the machine is exposed to,
// linked to its findings' line or row where it has one.
void AppendExposedCell(const FleetMachine& machine, std::size_t findings,
                       std::string& row) {
  std::size_t exposed = 0;
  for (const FleetFinding& finding : machine.findings) {
    if (IsExposed(finding.state)) ++exposed;
  }
  row += "<td>";
  if (findings == kNoLink) {
    row += std::to_string(exposed);
    return;
  }
  row.append("<a href=#x").append(std::to_string(findings)).append(">");
  row.append(std::to_string(exposed)).append("</a>");
}

// The widths of the machines' columns: the OS line's takes what the others
// leave.
std::string MachineColumns(bool required, bool judged) {
  std::string columns =
      "<colgroup><col class=m><col class=s><col><col class=w>"
      "<col class=n><col class=n>";
  if (required) columns += "<col class=n>";
  if (judged) columns += "<col class=n>";
  return columns + "<col class=p><col class=r><col class=o></colgroup>";
}

void AppendMachineRow(const Fleet& fleet, std::size_t i,
                      const MachineLinks& links, bool required, bool judged,
                      std::string& row) {
  const FleetMachine& machine = fleet.machines[i];
  row += "<tr";
  const std::string_view rowClass = StatusClass(machine.status);
  if (!rowClass.empty()) row.append(" class=").append(rowClass);
  row.append("><td><a href=#l").append(std::to_string(links.level[i]));
  row += ">";
  AppendHtmlEscaped(machine.machine, row);
  row.append("</a><td>").append(StatusName(machine.status)).append("<td>");
  AppendHtmlEscaped(machine.os, row);
  row += "<td>";
  AppendHtmlEscaped(machine.windows, row);
  row += "<td>";
  AppendHtmlEscaped(machine.found, row);
  row.append("<td>").append(std::to_string(machine.entryCount));
  if (required && machine.lacking.empty()) {
    row += "<td>0";
  } else if (required) {
    row.append("<td class=").append(kLackingClass).append(" title=\"");
    AppendLackedNames(fleet, machine, row);
    row.append("\">").append(std::to_string(machine.lacking.size()));
  }
  if (judged) AppendExposedCell(machine, links.findings[i], row);
  row += "<td>";
  AppendHtmlEscaped(machine.problem, row);
  row.append("<td>").append(machine.reported);
  if (machine.stale) row += " <b class=st>stale</b>";
  row += "<td>";
  AppendHtmlEscaped(machine.owner, row);
  // The end tag keeps the line break out of the last cell.
  row += "</tr>\n";
}

// Each machine links to its patch level's line or row, and with a
// baseline its count of exposed requirements to its findings.
void WriteMachineTable(const Fleet& fleet, const FleetCounts& counts,
                       const MachineLinks& links, TextOutput& out) {
  const bool required = counts.required > 0;
  const bool judged = !fleet.requirements.empty();
  const std::string columns = MachineColumns(required, judged);
  out << "<h2>Machines</h2>\n<div id=machines><table>" << columns
      << "<thead><tr><th>Machine<th>Status<th>OS<th>Windows<th>Found"
         "<th>Entries"
      << (required ? "<th>Lacks" : "") << (judged ? "<th>Exposed" : "")
      << "<th>Problem<th>Reported<th>Owner</thead></table>\n";
  std::string row;
  for (std::size_t i = 0; i < fleet.machines.size(); ++i) {
    row.clear();
    if (i % kMachinesPerBlock == 0) {
      row.append(i == 0 ? "" : "</tbody></table></div>\n");
      row.append("<div><table>").append(columns).append("<tbody>\n");
    }
    AppendMachineRow(fleet, i, links, required, judged, row);
    out << row;
  }
  if (!fleet.machines.empty()) out << "</tbody></table></div>\n";
  out << "</div>\n";
}

void AppendLegend(std::string& out) {
  out +=
      "<p class=lg>A section per Windows; in it a row per patch level:"
      " the machines whose complete reports list the same hotfixes at"
      " the same service pack, their names behind a click on the count."
      " A report that is not complete has a row of its own. Cells:"
      "<span class=p>";
  out.append(kPresentMark).append("</span>present<span class=l>");
  out.append(kLackingMark);
  out +=
      "</span>required, lacking. Reports that are not complete:"
      "<span class=f>failed</span><span class=i>incomplete</span>"
      "<span class=u>unreadable</span>their rows' empty cells hatched."
      " Names of required hotfixes in red. When a level has more than ";
  out += std::to_string(kOwnColumnsDrawn);
  out +=
      " hotfixes that no other level of its Windows has, they get no"
      " column: its row counts them (+N); the machines' summary and the"
      " CSV list them.\n<p class=lg>A matrix too large to draw is told"
      " as text: a line per patch level, its service pack, its machines"
      " and its hotfixes as the nearest of a few common sets (A, B, ...),"
      " less those it lacks of that set (&minus;) and with those it has"
      " besides (+); a line far from every common set lists all of its"
      " hotfixes (+). Its required hotfixes lacking at the end.\n";
}

// "KB958644 on 12 of 40 machines": the title of a column of a section.
std::vector<std::size_t> MachinesWith(const Fleet& fleet,
                                      const WindowsSection& section) {
  std::vector<std::size_t> count(fleet.columns.size(), 0);
  for (const PatchLevel& level : section.levels) {
    for (std::size_t c : fleet.machines[level.machines[0]].present) {
      count[c] += level.machines.size();
    }
  }
  return count;
}

void WriteMatrixHeader(const Fleet& fleet, const WindowsSection& section,
                       std::size_t machines, std::string& out) {
  const std::vector<std::size_t> with = MachinesWith(fleet, section);
  out += "<div class=cv><table class=\"mx hx\"><thead><tr><th>Patch level";
  std::string cell;
  for (std::size_t c : section.columns) {
    const FleetColumn& column = fleet.columns[c];
    const std::string name = HtmlEscaped(column.name);
    cell.assign("<th");
    if (column.required) cell.append(" class=").append(kRequiredClass);
    cell.append(" title=\"").append(name);
    if (column.required) cell += ", required,";
    cell.append(" on ").append(std::to_string(with[c]));
    cell.append(" of ").append(std::to_string(machines));
    cell.append(" machines\"><span>").append(name).append("</span>");
    out += cell;
  }
  out += "</thead>\n<tbody>\n";
}

void AppendMatrixRow(const Fleet& fleet, const WindowsSection& section,
                     const PatchLevel& level, std::size_t index,
                     std::string& row) {
  AppendLevelRowStart(fleet, level, "l" + std::to_string(index), row);
  if (level.folded > 0) {
    row.append(
           "<b title=\"hotfixes only this patch level has, without a"
           " column\">+")
        .append(std::to_string(level.folded))
        .append("</b>");
  }
  const FleetMachine& machine = fleet.machines[level.machines[0]];
  auto present = machine.present.begin();
  auto lacking = machine.lacking.begin();
  for (std::size_t c : section.columns) {
    while (present != machine.present.end() && *present < c) ++present;
    while (lacking != machine.lacking.end() && *lacking < c) ++lacking;
    if (present != machine.present.end() && *present == c) {
      row.append("<td>").append(kPresentMark);
    } else if (lacking != machine.lacking.end() && *lacking == c) {
      row.append("<td class=").append(kLackingClass).append(">");
      row += kLackingMark;
    } else {
      row += "<td>";
    }
  }
  // The end tag keeps the line break out of the last cell.
  row += "</tr>\n";
}

// A section's hotfixes as they read in its lines.
class HotfixWords : public ItemWords {
 public:
  HotfixWords(const Fleet& fleet, const WindowsSection& section)
      : fleet_(fleet), section_(section) {}
  void Append(std::uint64_t item, std::string& out) const override {
    const FleetColumn& column = fleet_.columns[item];
    if (column.required) out += "<em>";
    AppendHtmlEscaped(column.name, out);
    if (column.required) out += "</em>";
  }
  void AppendLineEnd(std::size_t line, std::string& out) const override {
    const PatchLevel& level = section_.levels[line];
    const FleetMachine& machine = fleet_.machines[level.machines[0]];
    if (machine.present.empty()) {
      out += machine.status == ReportStatus::kUnreadable ? " nothing known"
                                                         : " no hotfixes";
    }
    if (level.folded > 0) {
      out.append(" and ").append(std::to_string(level.folded));
      out += " more that only it has, listed in the CSV";
    }
    if (machine.lacking.empty()) return;
    out += "; lacks <em>";
    AppendLackedNames(fleet_, machine, out);
    out += "</em>";
  }
  const char* LinesName() const override { return "patch levels"; }

 private:
  const Fleet& fleet_;
  const WindowsSection& section_;
};

// Each level's hotfixes that have a column of the section.
OutlineLines HotfixLines(const Fleet& fleet, const WindowsSection& section,
                         std::size_t firstIndex) {
  std::vector<char> shown(fleet.columns.size(), 0);
  for (std::size_t c : section.columns) shown[c] = 1;
  OutlineLines lines;
  for (const PatchLevel& level : section.levels) {
    lines.starts.emplace_back();
    AppendLevelLineStart(fleet, level,
                         "l" + std::to_string(firstIndex + lines.items.size()),
                         lines.starts.back());
    lines.items.emplace_back();
    for (std::size_t c : fleet.machines[level.machines[0]].present) {
      if (shown[c]) lines.items.back().push_back(c);
    }
  }
  return lines;
}

// Where the lines stop: the note takes the id of the first level left out,
// which the machines of every level left out link to.
void WriteLevelsNotListed(const WindowsSection& section, std::size_t listed,
                          std::size_t firstIndex, std::string& out,
                          TextOutput& errors) {
  const NotListed note{
      "l" + std::to_string(firstIndex + listed),
      Plural(section.levels.size() - listed, "patch level", "patch levels") +
          " of " +
          Plural(MachinesOf(section.levels, listed), "machine", "machines"),
      "list their hotfixes", "list them"};
  WriteNotListed(note, section.windows, out, errors);
}

// Draws the section's matrix if the page has room for it, else writes its
// levels as lines; returns the levels listed either way.
std::size_t WriteSectionHotfixes(const Fleet& fleet,
                                 const WindowsSection& section,
                                 std::size_t firstIndex, PageRoom& room,
                                 std::string& out, TextOutput& errors) {
  const std::size_t machines = MachinesOf(section.levels);
  out.append("<h3>").append(SectionName(section.windows)).append(": ");
  out.append(Plural(machines, "machine", "machines")).append(", ");
  out.append(Plural(section.levels.size(), "patch level", "patch levels"));
  out += "</h3>\n";
  if (room.Draw(section.levels.size() * section.columns.size())) {
    WriteMatrixHeader(fleet, section, machines, out);
    std::size_t index = firstIndex;
    for (const PatchLevel& level : section.levels) {
      AppendMatrixRow(fleet, section, level, index++, out);
    }
    out += "</tbody></table></div>\n";
    return section.levels.size();
  }
  out.append("<p class=nd>");
  out += WhyNotDrawn(section.levels.size(), "patch level", "patch levels",
                     section.columns.size(), "hotfix", "hotfixes");
  out +=
      " Its levels as lines, their hotfixes against common sets; the wide"
      " CSV has the matrix.\n";
  const std::size_t listed =
      WriteOutline(HotfixLines(fleet, section, firstIndex),
                   "hs" + std::to_string(static_cast<int>(section.windows)),
                   HotfixWords(fleet, section), room, out);
  if (listed < section.levels.size()) {
    WriteLevelsNotListed(section, listed, firstIndex, out, errors);
  }
  return listed;
}

// The hotfixes by patch level, and where each machine's level is told.
std::string HotfixesPart(const Fleet& fleet,
                         const std::vector<WindowsSection>& sections,
                         PageRoom& room, std::vector<std::size_t>& levelLinks,
                         TextOutput& errors) {
  std::string out = "<h2 id=hotfixes>Hotfixes by machine</h2>\n";
  AppendLegend(out);
  levelLinks.assign(fleet.machines.size(), 0);
  std::size_t index = 0;
  for (const WindowsSection& section : sections) {
    const std::size_t listed =
        WriteSectionHotfixes(fleet, section, index, room, out, errors);
    for (std::size_t l = 0; l < section.levels.size(); ++l) {
      for (std::size_t m : section.levels[l].machines) {
        levelLinks[m] = index + std::min(l, listed);
      }
    }
    index += section.levels.size();
  }
  return out;
}

// "hotfixes-table: the page gives no column to the 99990 hotfixes that
// only EVIL has among the machines of Windows XP; ..."
void SayWhatIsFolded(const Fleet& fleet,
                     const std::vector<WindowsSection>& sections,
                     TextOutput& errors) {
  for (const WindowsSection& section : sections) {
    for (const PatchLevel& level : section.levels) {
      if (level.folded == 0) continue;
      const FleetMachine& first = fleet.machines[level.machines[0]];
      errors << "hotfixes-table: the page gives no column to the "
             << std::to_string(level.folded) << " hotfixes that only ";
      if (level.machines.size() > 1) {
        errors << "the " << std::to_string(level.machines.size())
               << " machines of the patch level of ";
      }
      errors << first.machine << (level.machines.size() > 1 ? " have" : " has")
             << " among the machines of " << SectionName(section.windows)
             << "; its row counts them, the CSV and JSON Lines list them\r\n";
    }
  }
}

}  // namespace

void WriteHtmlPage(const Fleet& fleet, TextOutput& out, TextOutput& errors,
                   const SinceSection* since) {
  const FleetCounts counts = CountFleet(fleet);
  const std::vector<WindowsSection> sections = GroupFleet(fleet);
  SayWhatIsFolded(fleet, sections, errors);
  WriteHead(fleet, out);
  WriteCounts(fleet, counts, out);
  if (since != nullptr) since->Write(fleet, out);
  // The matrices take the page's room for cells in the page's order; the
  // hotfixes' part is made before the machines' table, which links to it.
  PageRoom room;
  MachineLinks links;
  if (!fleet.requirements.empty()) {
    links.findings = WriteFindings(fleet, sections, room, out, errors);
  }
  const std::string hotfixes =
      HotfixesPart(fleet, sections, room, links.level, errors);
  WriteMachineTable(fleet, counts, links, out);
  out << hotfixes;
  out << "</body></html>\n";
}
