// The fleet as one HTML page that a person opens in a browser: no script
// and no other file, so that it can be mailed or left on a share as it is.
//
// How it stays usable at 1,000 machines by 300 hotfixes:
// - Machines are rows and hotfixes columns. A hotfix name is written
//   vertically in its column header, so a column is one character wide and
//   300 of them fit in a few screen widths.
// - The matrix' header row and its machine-name column are sticky: however
//   far the page is scrolled, down or across, the names of a cell's row and
//   column stay in view. Each machine's name in the summary links to its
//   matrix row.
// - The page stays small: a cell is a bare <td> without its optional end
//   tag and with no style of its own. Its look comes from the style sheet
//   alone: a cell with a mark and a title is a present hotfix, class "l" a
//   required one the machine lacks; a report's status is one class on its
//   rows. Only marked cells carry a title ("machine: hotfix"), about 35
//   bytes with their mark; an empty cell, 4 bytes, is read off the sticky
//   edges. With 29% of the cells marked (a fleet of mixed Windows
//   versions) the page is 4.5 MB; with every cell marked, 12 MB.
// - Chromium loads and lays out that page in 4 to 7 seconds on a shared
//   2-core machine, most of it for the 300,000 cells themselves.
#include "table/html_table.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char kPresentMark[] = "\xE2\x9C\x93";  // check mark
const char kLackingMark[] = "\xE2\x9C\x97";  // ballot x
const char kReplacement[] = "&#xFFFD;";

// Class names, short because the matrix repeats them: a row's status
// (none when the report is complete), a lacking cell, a required column.
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
    ".mx tbody th i{font-style:normal;font-size:10px;margin-left:6px;"
    "padding:0 3px;border-radius:2px;background:#fff}"
    ".mx tbody tr:hover th{background:#ffe066}"
    ".mx td[title]{background:#d6efd0;color:#23661f}"
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
    ".lg .u{background:#dcdcdc}"
    // A requirement's state, in the findings and in their legend.
    ".mx td.si,.lg .si,#exposure .si{background:#d6efd0;color:#23661f}"
    ".mx td.sm,.lg .sm,#exposure .sm{background:#d9302c;color:#fff;"
    "font-weight:bold}"
    ".mx td.sn,.lg .sn,#exposure .sn{background:#7a1020;color:#fff;"
    "font-weight:bold}"
    ".mx td.sa,.lg .sa{background:#eef3f8;color:#567}"
    ".mx td.sc,.lg .sc{background:#fff6cc;color:#765}"
    ".mx td.su,.lg .su{background:#dcdcdc;color:#444}"
    "#exposure th,#exposure td{padding:2px 6px;text-align:right}"
    "#exposure :is(th,td):nth-child(-n+2){text-align:left}";

void AppendEscaped(std::string_view text, std::string& out) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // A control character has no place in a page; it shows as the
        // replacement character, so that it is seen to be there.
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
          out += kReplacement;
        } else {
          out += c;
        }
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(text, out);
  return out;
}

// The class of a machine's rows: empty for a complete report.
std::string_view StatusClass(ReportStatus status) {
  switch (status) {
    case ReportStatus::kComplete: return std::string_view();
    case ReportStatus::kFailed: return "f";
    case ReportStatus::kIncomplete: return "i";
    case ReportStatus::kUnreadable: break;
  }
  return "u";
}

void AppendRowStart(const FleetMachine& machine, std::string& row) {
  row += "<tr";
  const std::string_view rowClass = StatusClass(machine.status);
  if (!rowClass.empty()) row.append(" class=").append(rowClass);
}

struct FleetCounts {
  std::size_t byStatus[4] = {};
  std::size_t lacking = 0;             // machines that lack a required hotfix
  std::size_t lackingNotComplete = 0;  // of them, reports not complete
  std::size_t required = 0;            // columns
  std::vector<std::size_t> presentIn;  // machines, by column
};

FleetCounts CountFleet(const Fleet& fleet) {
  FleetCounts counts;
  counts.presentIn.assign(fleet.columns.size(), 0);
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
    for (std::size_t column : machine.present) ++counts.presentIn[column];
  }
  return counts;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A row of a matrix that is scrolled to by a link must not come to lie
// under the sticky header, whose height the longest name sets.
std::string HeaderHeight(const Fleet& fleet) {
  std::size_t longest = 0;
  for (const FleetColumn& column : fleet.columns) {
    longest = std::max(longest, column.name.size());
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
      << "</title>\n<style>" << kStyle
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
         "<a href=#matrix>Hotfixes by machine</a>\n";
}

void AppendLackedNames(const Fleet& fleet, const FleetMachine& machine,
                       std::string& row) {
  for (std::size_t i = 0; i < machine.lacking.size(); ++i) {
    if (i > 0) row += ", ";
    AppendEscaped(fleet.columns[machine.lacking[i]].name, row);
  }
}

void WriteMachineTable(const Fleet& fleet, const FleetCounts& counts,
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
    AppendRowStart(machine, row);
    row.append("><td><a href=#r").append(std::to_string(i)).append(">");
    AppendEscaped(machine.machine, row);
    row.append("</a><td>").append(StatusName(machine.status)).append("<td>");
    AppendEscaped(machine.os, row);
    row += "<td>";
    AppendEscaped(machine.windows, row);
    row += "<td>";
    AppendEscaped(machine.found, row);
    row.append("<td>").append(std::to_string(machine.entryCount));
    if (required && machine.lacking.empty()) {
      row += "<td>0";
    } else if (required) {
      row.append("<td class=").append(kLackingClass).append(" title=\"");
      AppendLackedNames(fleet, machine, row);
      row.append("\">").append(std::to_string(machine.lacking.size()));
    }
    row += "<td>";
    AppendEscaped(machine.problem, row);
    row.append("<td>").append(machine.reported).append("<td>");
    AppendEscaped(machine.owner, row);
    // The end tag keeps the line break out of the last cell.
    row += "</tr>\n";
    out << row;
  }
  out << "</tbody></table>\n";
}

void WriteLegend(TextOutput& out) {
  out << "<p class=lg>Cells:<span class=p>" << kPresentMark
      << "</span>present<span class=l>" << kLackingMark
      << "</span>required, lacking. Reports that are not complete:"
         "<span class=f>failed</span><span class=i>incomplete</span>"
         "<span class=u>unreadable</span>their rows' empty cells hatched."
         " Names of required hotfixes in red.\n";
}

void WriteMatrixHeader(const Fleet& fleet, const FleetCounts& counts,
                       TextOutput& out) {
  const std::string machines = std::to_string(fleet.machines.size());
  out << "<table id=matrix class=mx><thead><tr><th>Machine";
  std::string cell;
  for (std::size_t c = 0; c < fleet.columns.size(); ++c) {
    const FleetColumn& column = fleet.columns[c];
    const std::string name = Escaped(column.name);
    cell.assign("<th");
    if (column.required) cell.append(" class=").append(kRequiredClass);
    cell.append(" title=\"").append(name);
    if (column.required) cell += ", required,";
    cell.append(" on ").append(std::to_string(counts.presentIn[c]));
    cell.append(" of ").append(machines).append(" machines\"><span>");
    cell.append(name).append("</span>");
    out << cell;
  }
  out << "</thead>\n<tbody>\n";
}

void AppendMatrixRow(const FleetMachine& machine, std::size_t index,
                     const std::vector<std::string>& names, std::string& row) {
  const std::string machineName = Escaped(machine.machine);
  AppendRowStart(machine, row);
  row.append(" id=r").append(std::to_string(index)).append("><th title=\"");
  row.append(machineName).append("\"><span>").append(machineName);
  row += "</span>";
  if (machine.status != ReportStatus::kComplete) {
    row.append("<i>").append(StatusName(machine.status)).append("</i>");
  }
  auto present = machine.present.begin();
  auto lacking = machine.lacking.begin();
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (present != machine.present.end() && *present == c) {
      row.append("<td title=\"").append(machineName).append(": ");
      row.append(names[c]).append("\">").append(kPresentMark);
      ++present;
    } else if (lacking != machine.lacking.end() && *lacking == c) {
      row.append("<td class=").append(kLackingClass).append(" title=\"");
      row.append(machineName).append(" lacks ").append(names[c]);
      row.append("\">").append(kLackingMark);
      ++lacking;
    } else {
      row += "<td>";
    }
  }
  // The end tag keeps the line break out of the last cell.
  row += "</tr>\n";
}

void WriteMatrix(const Fleet& fleet, const FleetCounts& counts,
                 TextOutput& out) {
  out << "<h2>Hotfixes by machine</h2>\n";
  WriteLegend(out);
  WriteMatrixHeader(fleet, counts, out);
  std::vector<std::string> names;
  names.reserve(fleet.columns.size());
  for (const FleetColumn& column : fleet.columns) {
    names.push_back(Escaped(column.name));
  }
  std::string row;
  for (std::size_t i = 0; i < fleet.machines.size(); ++i) {
    row.clear();
    AppendMatrixRow(fleet.machines[i], i, names, row);
    out << row;
  }
  out << "</tbody></table>\n";
}

// --- Findings: a baseline's verdicts ---------------------------------------

const int kStateCount = static_cast<int>(VerdictState::kUnknown) + 1;

struct StateLook {
  const char* cellClass;
  const char* mark;
};

StateLook LookOf(VerdictState state) {
  switch (state) {
    case VerdictState::kInstalled: return {"si", kPresentMark};
    case VerdictState::kMissing: return {"sm", kLackingMark};
    case VerdictState::kNoUpdate: return {"sn", "!"};
    case VerdictState::kNotAffected: return {"sa", "&ndash;"};
    case VerdictState::kNotCovered: return {"sc", "?"};
    case VerdictState::kUnknown: break;
  }
  return {"su", "&middot;"};
}

// Machines in each state, by requirement.
std::vector<std::array<std::size_t, kStateCount>> CountStates(
    const Fleet& fleet) {
  std::vector<std::array<std::size_t, kStateCount>> counts(
      fleet.requirements.size(), std::array<std::size_t, kStateCount>{});
  for (const FleetMachine& machine : fleet.machines) {
    for (std::size_t i = 0; i < machine.findings.size(); ++i) {
      ++counts[i][static_cast<int>(machine.findings[i].state)];
    }
  }
  return counts;
}

void WriteExposure(const Fleet& fleet, TextOutput& out) {
  out << "<h2>Exposure</h2>\n<table id=exposure><thead><tr><th>Requirement"
         "<th>Title";
  for (int s = 0; s < kStateCount; ++s) {
    out << "<th>" << VerdictStateName(static_cast<VerdictState>(s));
  }
  out << "</thead>\n<tbody>\n";
  const auto counts = CountStates(fleet);
  std::string row;
  for (std::size_t i = 0; i < fleet.requirements.size(); ++i) {
    row.assign("<tr><td>");
    AppendEscaped(fleet.requirements[i].id, row);
    row += "<td>";
    AppendEscaped(fleet.requirements[i].title, row);
    for (int s = 0; s < kStateCount; ++s) {
      const auto state = static_cast<VerdictState>(s);
      row += "<td";
      // The machines exposed stand out.
      if (counts[i][s] > 0 && IsExposed(state)) {
        row.append(" class=").append(LookOf(state).cellClass);
      }
      row.append(">").append(std::to_string(counts[i][s]));
    }
    out << row << "</tr>\n";
  }
  out << "</tbody></table>\n";
}

void WriteFindingsLegend(TextOutput& out) {
  out << "<p class=lg>Cells:";
  for (int s = 0; s < kStateCount; ++s) {
    const auto state = static_cast<VerdictState>(s);
    out << "<span class=" << LookOf(state).cellClass << ">"
        << LookOf(state).mark << "</span>" << VerdictStateName(state);
  }
  out << ". Missing and no update: exposed. The title of a cell names the"
         " hotfix that satisfies it, or those that would.\n";
}

void AppendFindingsRow(const Fleet& fleet, const FleetMachine& machine,
                       std::string& row) {
  const std::string name = Escaped(machine.machine);
  AppendRowStart(machine, row);
  row.append("><th title=\"").append(name).append("\"><span>").append(name);
  row += "</span>";
  if (machine.status != ReportStatus::kComplete) {
    row.append("<i>").append(StatusName(machine.status)).append("</i>");
  }
  for (std::size_t i = 0; i < machine.findings.size(); ++i) {
    const FleetFinding& finding = machine.findings[i];
    const StateLook look = LookOf(finding.state);
    row.append("<td class=").append(look.cellClass).append(" title=\"");
    row.append(name).append(": ");
    AppendEscaped(fleet.requirements[i].id, row);
    row.append(" ").append(VerdictStateName(finding.state));
    const std::string& hotfix = fleet.findingTexts[finding.hotfix];
    if (!hotfix.empty()) {
      row += " (";
      AppendEscaped(hotfix, row);
      row += ")";
    }
    row.append("\">").append(look.mark);
  }
  row += "</tr>\n";
}

void WriteFindings(const Fleet& fleet, TextOutput& out) {
  out << "<h2>Requirements by machine</h2>\n";
  WriteFindingsLegend(out);
  out << "<table id=findings class=mx><thead><tr><th>Machine";
  std::string row;
  for (const BaselineRequirement& requirement : fleet.requirements) {
    row.assign("<th title=\"");
    AppendEscaped(requirement.id, row);
    row += ": ";
    AppendEscaped(requirement.title, row);
    row += "\"><span>";
    AppendEscaped(requirement.id, row);
    out << row << "</span>";
  }
  out << "</thead>\n<tbody>\n";
  for (const FleetMachine& machine : fleet.machines) {
    row.clear();
    AppendFindingsRow(fleet, machine, row);
    out << row;
  }
  out << "</tbody></table>\n";
}

}  // namespace

void WriteHtmlPage(const Fleet& fleet, TextOutput& out) {
  const FleetCounts counts = CountFleet(fleet);
  WriteHead(fleet, out);
  WriteCounts(fleet, counts, out);
  if (!fleet.requirements.empty()) {
    WriteExposure(fleet, out);
    WriteFindings(fleet, out);
  }
  WriteMachineTable(fleet, counts, out);
  WriteMatrix(fleet, counts, out);
  out << "</body></html>\n";
}
