#include "table/write/html_findings.h"

#include <array>
#include <string>

#include "table/write/html_text.h"

// After the matrices' own: a state's colour wins over a present cell's.
const char kFindingsStyle[] =
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

namespace {

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

void WriteFindingsLegend(TextOutput& out) {
  out << "<p class=lg>Cells:";
  for (int s = 0; s < kStateCount; ++s) {
    const auto state = static_cast<VerdictState>(s);
    out << "<span class=" << LookOf(state).cellClass << ">"
        << LookOf(state).mark << "</span>" << VerdictStateName(state);
  }
  out << ". Missing and no update: exposed. The title of a cell names the"
         " hotfix that satisfies it, or those that would. Rows as in the"
         " hotfixes by machine below.\n";
}

void WriteFindingsHeader(const Fleet& fleet, TextOutput& out) {
  out << "<table class=\"mx fx\"><thead><tr><th>Patch level";
  std::string cell;
  for (const BaselineRequirement& requirement : fleet.requirements) {
    cell.assign("<th title=\"");
    AppendHtmlEscaped(requirement.id, cell);
    cell += ": ";
    AppendHtmlEscaped(requirement.title, cell);
    cell += "\"><span>";
    AppendHtmlEscaped(requirement.id, cell);
    out << cell << "</span>";
  }
  out << "</thead>\n<tbody>\n";
}

// A level's machines share their Windows, service pack and hotfixes, and
// with them every verdict.
void AppendFindingsRow(const Fleet& fleet, const PatchLevel& level,
                       std::string& row) {
  AppendLevelRowStart(fleet, level, std::string_view(), row);
  const FleetMachine& machine = fleet.machines[level.machines[0]];
  for (std::size_t i = 0; i < machine.findings.size(); ++i) {
    const FleetFinding& finding = machine.findings[i];
    const StateLook look = LookOf(finding.state);
    row.append("<td class=").append(look.cellClass).append(" title=\"");
    AppendHtmlEscaped(fleet.requirements[i].id, row);
    row.append(" ").append(VerdictStateName(finding.state));
    const std::string& hotfix = fleet.findingTexts[finding.hotfix];
    if (!hotfix.empty()) {
      row += " (";
      AppendHtmlEscaped(hotfix, row);
      row += ")";
    }
    row.append("\">").append(look.mark);
  }
  row += "</tr>\n";
}

}  // namespace

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
    AppendHtmlEscaped(fleet.requirements[i].id, row);
    row += "<td>";
    AppendHtmlEscaped(fleet.requirements[i].title, row);
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

void WriteFindings(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   TextOutput& out) {
  out << "<h2 id=findings>Requirements by machine</h2>\n";
  WriteFindingsLegend(out);
  std::string row;
  for (const WindowsSection& section : sections) {
    out << "<h3>" << SectionName(section.windows) << "</h3>\n";
    WriteFindingsHeader(fleet, out);
    for (const PatchLevel& level : section.levels) {
      row.clear();
      AppendFindingsRow(fleet, level, row);
      out << row;
    }
    out << "</tbody></table>\n";
  }
}
