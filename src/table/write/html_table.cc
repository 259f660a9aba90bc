// The fleet as one HTML page that a person opens in a browser: no script
// and no other file, so that it can be mailed or left on a share as it is.
//
// How it stays usable at ten thousand machines:
// - Machines are grouped (fleet_groups.h): a section per Windows, and in
//   it a row per patch level, the machines that share it behind a click
//   (<details>, no script). A fleet cloned from a few images has a few
//   hundred levels, not thousands of rows.
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
// - The summary keeps a row per machine, linked to its level's row: most
//   of the page's bytes at ten thousand machines.
// - A report cannot widen every row of its Windows with names of its own:
//   more hotfixes than a few that only its level has are a count in its
//   row (fleet_groups.h), and standard error says whose.
#include "table/write/html_table.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "table/write/fleet_groups.h"
#include "table/write/html_findings.h"
#include "table/write/html_since.h"
#include "table/write/html_text.h"

namespace {

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
    "#machines th,#machines td{padding:2px 6px;text-align:left;"
    "vertical-align:top}"
    "#machines td:nth-child(5),#machines td:nth-child(6),"
    "#machines td.l{text-align:right}"
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

void WriteHead(const Fleet& fleet, TextOutput& out) {
  out << "<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8>"
         "<meta name=viewport content=\"width=device-width\">"
         "<title>Hotfixes of "
      << Plural(fleet.machines.size(), "machine", "machines")
      << "</title>\n<style>" << kStyle << kFindingsStyle << kSinceStyle
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

// Each machine links to its patch level's row.
void WriteMachineTable(const Fleet& fleet, const FleetCounts& counts,
                       const std::vector<std::size_t>& levelOf,
                       TextOutput& out) {
  const bool required = counts.required > 0;
  out << "<h2>Machines</h2>\n<table id=machines><thead><tr><th>Machine"
         "<th>Status<th>OS<th>Windows<th>Found<th>Entries"
      << (required ? "<th>Lacks" : "")
      << "<th>Problem<th>Reported<th>Owner</thead>\n<tbody>\n";
  std::string row;
  for (std::size_t i = 0; i < fleet.machines.size(); ++i) {
    const FleetMachine& machine = fleet.machines[i];
    row.clear();
    row += "<tr";
    const std::string_view rowClass = StatusClass(machine.status);
    if (!rowClass.empty()) row.append(" class=").append(rowClass);
    row.append("><td><a href=#l").append(std::to_string(levelOf[i]));
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
    row += "<td>";
    AppendHtmlEscaped(machine.problem, row);
    row.append("<td>").append(machine.reported);
    if (machine.stale) row += " <b class=st>stale</b>";
    row += "<td>";
    AppendHtmlEscaped(machine.owner, row);
    // The end tag keeps the line break out of the last cell.
    row += "</tr>\n";
    out << row;
  }
  out << "</tbody></table>\n";
}

void WriteLegend(TextOutput& out) {
  out << "<p class=lg>A section per Windows; in it a row per patch level:"
         " the machines whose complete reports list the same hotfixes at"
         " the same service pack, their names behind a click on the count."
         " A report that is not complete has a row of its own. Cells:"
         "<span class=p>"
      << kPresentMark << "</span>present<span class=l>" << kLackingMark
      << "</span>required, lacking. Reports that are not complete:"
         "<span class=f>failed</span><span class=i>incomplete</span>"
         "<span class=u>unreadable</span>their rows' empty cells hatched."
         " Names of required hotfixes in red. When a level has more than "
      << std::to_string(kOwnColumnsDrawn)
      << " hotfixes that no other level of its Windows has, they get no"
         " column: its row counts them (+N); the machines' summary and the"
         " CSV list them.\n";
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
                       std::size_t machines, TextOutput& out) {
  const std::vector<std::size_t> with = MachinesWith(fleet, section);
  out << "<table class=\"mx hx\"><thead><tr><th>Patch level";
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
    out << cell;
  }
  out << "</thead>\n<tbody>\n";
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

std::size_t MachinesIn(const WindowsSection& section) {
  std::size_t machines = 0;
  for (const PatchLevel& level : section.levels) {
    machines += level.machines.size();
  }
  return machines;
}

void WriteMatrices(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   TextOutput& out) {
  out << "<h2 id=hotfixes>Hotfixes by machine</h2>\n";
  WriteLegend(out);
  std::string row;
  std::size_t index = 0;
  for (const WindowsSection& section : sections) {
    const std::size_t machines = MachinesIn(section);
    out << "<h3>" << SectionName(section.windows) << ": "
        << Plural(machines, "machine", "machines") << ", "
        << Plural(section.levels.size(), "patch level", "patch levels")
        << "</h3>\n";
    WriteMatrixHeader(fleet, section, machines, out);
    for (const PatchLevel& level : section.levels) {
      row.clear();
      AppendMatrixRow(fleet, section, level, index++, row);
      out << row;
    }
    out << "</tbody></table>\n";
  }
}

// The number of each machine's level, counted across the sections.
std::vector<std::size_t> LevelOfEachMachine(
    const Fleet& fleet, const std::vector<WindowsSection>& sections) {
  std::vector<std::size_t> levelOf(fleet.machines.size(), 0);
  std::size_t index = 0;
  for (const WindowsSection& section : sections) {
    for (const PatchLevel& level : section.levels) {
      for (std::size_t m : level.machines) levelOf[m] = index;
      ++index;
    }
  }
  return levelOf;
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
  if (!fleet.requirements.empty()) WriteFindings(fleet, sections, out);
  WriteMachineTable(fleet, counts, LevelOfEachMachine(fleet, sections), out);
  WriteMatrices(fleet, sections, out);
  out << "</body></html>\n";
}
