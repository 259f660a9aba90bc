#include "table/write/html_findings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>

#include "table/judge/judgement.h"
#include "table/write/html_text.h"

// After the matrices' own: a state's colour wins over a present cell's.
const char kFindingsStyle[] =
    ".mx td.si,.lg .si,#requirements .si{background:#d6efd0;color:#23661f}"
    ".mx td.sm,.lg .sm,#requirements .sm,#bywindows .sm{background:#d9302c;"
    "color:#fff;font-weight:bold}"
    ".mx td.sn,.lg .sn,#requirements .sn,#bywindows .sn{background:#7a1020;"
    "color:#fff;font-weight:bold}"
    ".mx td.sa,.lg .sa{background:#eef3f8;color:#567}"
    ".mx td.sc,.lg .sc{background:#fff6cc;color:#765}"
    ".mx td.su,.lg .su{background:#dcdcdc;color:#444}"
    "#requirements th,#requirements td,#bywindows th,#bywindows td{"
    "padding:2px 6px;text-align:right}"
    "#requirements :is(th,td):nth-child(-n+2),"
    "#bywindows :is(th,td):first-child{text-align:left}"
    // A browser lays out a matrix out of view only when it comes near.
    ".cv{content-visibility:auto;contain-intrinsic-size:auto 600px;"
    "width:max-content}";

namespace {

const int kStateCount = static_cast<int>(VerdictState::kUnknown) + 1;

typedef std::array<std::size_t, kStateCount> StateCounts;

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

std::size_t Exposed(const StateCounts& counts) {
  return counts[static_cast<int>(VerdictState::kMissing)] +
         counts[static_cast<int>(VerdictState::kNoUpdate)];
}

// Machines in each state, by requirement.
std::vector<StateCounts> CountStates(const Fleet& fleet) {
  std::vector<StateCounts> counts(fleet.requirements.size(), StateCounts{});
  for (const FleetMachine& machine : fleet.machines) {
    for (std::size_t i = 0; i < machine.findings.size(); ++i) {
      ++counts[i][static_cast<int>(machine.findings[i].state)];
    }
  }
  return counts;
}

// The page's order of the requirements: most machines exposed first, then
// the gravest, then the baseline's order.
std::vector<std::size_t> PageOrder(const Fleet& fleet,
                                   const std::vector<StateCounts>& counts) {
  std::vector<int> rank(fleet.requirements.size());
  for (std::size_t i = 0; i < rank.size(); ++i) {
    rank[i] = SeverityRank(fleet.requirements[i].title);
  }
  std::vector<std::size_t> order(fleet.requirements.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     const std::size_t x = Exposed(counts[a]);
                     const std::size_t y = Exposed(counts[b]);
                     if (x != y) return x > y;
                     return rank[a] < rank[b];
                   });
  return order;
}

// One row of the table by Windows: the machines of one Windows and service
// pack, and for each requirement the states some of them are in.
struct WindowsLevel {
  std::string name;
  std::size_t machines = 0;
  std::size_t exposed = 0;
  std::vector<std::uint8_t> states;  // by requirement: a bit per state
};

void AddLevel(const Fleet& fleet, const PatchLevel& level, WindowsLevel& row) {
  const FleetMachine& machine = fleet.machines[level.machines[0]];
  if (row.machines == 0) {
    row.name = machine.windows.empty() ? "Unknown Windows" : machine.windows;
    row.states.assign(fleet.requirements.size(), 0);
  }
  row.machines += level.machines.size();
  bool exposed = false;
  for (std::size_t i = 0; i < machine.findings.size(); ++i) {
    const VerdictState state = machine.findings[i].state;
    row.states[i] |= static_cast<std::uint8_t>(1u << static_cast<int>(state));
    exposed = exposed || IsExposed(state);
  }
  if (exposed) row.exposed += level.machines.size();
}

std::size_t RequirementsIn(const WindowsLevel& row, VerdictState state) {
  const auto bit = static_cast<std::uint8_t>(1u << static_cast<int>(state));
  return static_cast<std::size_t>(
      std::count_if(row.states.begin(), row.states.end(),
                    [bit](std::uint8_t states) { return states & bit; }));
}

void AppendCountCell(std::size_t count, VerdictState state, std::string& row) {
  row += "<td";
  if (count > 0 && IsExposed(state)) {
    row.append(" class=").append(LookOf(state).cellClass);
  }
  row.append(">").append(std::to_string(count));
}

void WriteByWindows(const Fleet& fleet,
                    const std::vector<WindowsSection>& sections,
                    TextOutput& out) {
  out << "<p>Per Windows and service pack: its machines, how many of them"
         " are exposed, and the requirements some of them are missing (the"
         " fix can be installed now), have no update for (only a later"
         " service pack or Windows fixes them), or that the baseline does"
         " not cover.\n<table id=bywindows><thead><tr><th>Windows"
         "<th>Machines<th>Exposed<th>Missing<th>No update<th>Not covered"
         "</thead>\n<tbody>\n";
  std::string row;
  for (const WindowsSection& section : sections) {
    std::map<std::pair<int, bool>, WindowsLevel> rows;
    for (const PatchLevel& level : section.levels) {
      const WindowsRelease& release = fleet.machines[level.machines[0]].release;
      AddLevel(fleet, level, rows[{release.servicePack, release.sp6a}]);
    }
    for (const auto& entry : rows) {
      const WindowsLevel& level = entry.second;
      row.assign("<tr><td>");
      AppendHtmlEscaped(level.name, row);
      row.append("<td>").append(std::to_string(level.machines));
      row.append("<td>").append(std::to_string(level.exposed));
      for (VerdictState state :
           {VerdictState::kMissing, VerdictState::kNoUpdate,
            VerdictState::kNotCovered}) {
        AppendCountCell(RequirementsIn(level, state), state, row);
      }
      out << row << "</tr>\n";
    }
  }
  out << "</tbody></table>\n";
}

void WriteRequirements(const Fleet& fleet,
                       const std::vector<StateCounts>& counts,
                       const std::vector<std::size_t>& order, TextOutput& out) {
  out << "<p>The requirements, those most machines are exposed to first,"
         " then the gravest; the machines in each state.\n"
         "<table id=requirements><thead><tr><th>Requirement<th>Title";
  for (int s = 0; s < kStateCount; ++s) {
    out << "<th>" << VerdictStateName(static_cast<VerdictState>(s));
  }
  out << "</thead>\n<tbody>\n";
  std::string row;
  for (std::size_t i : order) {
    row.assign("<tr><td>");
    AppendHtmlEscaped(fleet.requirements[i].id, row);
    row += "<td>";
    AppendHtmlEscaped(fleet.requirements[i].title, row);
    for (int s = 0; s < kStateCount; ++s) {
      AppendCountCell(counts[i][s], static_cast<VerdictState>(s), row);
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
  out << ". Missing and no update: exposed. A Windows' matrix has a column"
         " for each requirement some of its machines are exposed to, in the"
         " order above; the title of a missing cell, or of its column when"
         " they are the same in every row, names the hotfixes that would do"
         " (the CSV names the one installed too). A row per service pack"
         " and the machines that are in the same states there, their names"
         " behind a click; a report that is not complete has a row of its"
         " own.\n";
}

// The requirements, in the page's order, that some machine of the section
// is exposed to.
std::vector<std::size_t> ExposedIn(const Fleet& fleet,
                                   const WindowsSection& section,
                                   const std::vector<std::size_t>& order) {
  std::vector<char> exposed(fleet.requirements.size(), 0);
  for (const PatchLevel& level : section.levels) {
    const FleetMachine& machine = fleet.machines[level.machines[0]];
    for (std::size_t i = 0; i < machine.findings.size(); ++i) {
      if (IsExposed(machine.findings[i].state)) exposed[i] = 1;
    }
  }
  std::vector<std::size_t> columns;
  for (std::size_t i : order) {
    if (exposed[i]) columns.push_back(i);
  }
  return columns;
}

// For each column, the fixes every missing cell of the section names when
// they name the same (then the column's title names them, not each cell),
// else kMixedFixes.
const std::uint32_t kMixedFixes = UINT32_MAX;

std::vector<std::uint32_t> SharedFixes(
    const Fleet& fleet, const WindowsSection& section,
    const std::vector<std::size_t>& columns) {
  std::vector<std::uint32_t> shared(columns.size(), 0);
  for (const PatchLevel& level : section.levels) {
    const FleetMachine& machine = fleet.machines[level.machines[0]];
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const FleetFinding& finding = machine.findings[columns[c]];
      if (finding.state != VerdictState::kMissing) continue;
      if (shared[c] == 0) shared[c] = finding.hotfix;
      if (shared[c] != finding.hotfix) shared[c] = kMixedFixes;
    }
  }
  return shared;
}

void WriteFindingsHeader(const Fleet& fleet,
                         const std::vector<std::size_t>& columns,
                         const std::vector<std::uint32_t>& shared,
                         TextOutput& out) {
  out << "<div class=cv><table class=\"mx fx\"><thead><tr><th>Patch level";
  std::string cell;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const BaselineRequirement& requirement = fleet.requirements[columns[c]];
    cell.assign("<th title=\"");
    AppendHtmlEscaped(requirement.id, cell);
    cell += ": ";
    AppendHtmlEscaped(requirement.title, cell);
    if (shared[c] != 0 && shared[c] != kMixedFixes) {
      cell += "; missing: ";
      AppendHtmlEscaped(fleet.findingTexts[shared[c]], cell);
    }
    cell += "\"><span>";
    AppendHtmlEscaped(requirement.id, cell);
    out << cell << "</span>";
  }
  out << "</thead>\n<tbody>\n";
}

// A level's machines share their Windows, service pack and hotfixes, and
// with them every verdict. The matrices hold hundreds of thousands of
// cells, so a cell says no more than it must: an installed one is a bare
// mark, coloured as a present hotfix; a missing one names the fixes that
// would do, unless its column's title does.
void AppendFindingsRow(const Fleet& fleet, const PatchLevel& level,
                       const std::vector<std::size_t>& columns,
                       const std::vector<std::uint32_t>& shared,
                       std::string& row) {
  AppendLevelRowStart(fleet, level, std::string_view(), row);
  const FleetMachine& machine = fleet.machines[level.machines[0]];
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const FleetFinding& finding = machine.findings[columns[c]];
    const StateLook look = LookOf(finding.state);
    if (finding.state == VerdictState::kInstalled) {
      row.append("<td>").append(look.mark);
      continue;
    }
    row.append("<td class=").append(look.cellClass);
    if (finding.state == VerdictState::kMissing && shared[c] == kMixedFixes) {
      row += " title=\"";
      AppendHtmlEscaped(fleet.findingTexts[finding.hotfix], row);
      row += "\"";
    }
    row.append(">").append(look.mark);
  }
  row += "</tr>\n";
}

// The section's machines whose verdicts on the drawn requirements are the
// same, at one service pack: a row each. Patch levels that differ only in
// hotfixes no requirement names share a row, so that a thousand
// requirements are drawn for the fleet's few states of exposure, not for
// each of its patch levels. A report that is not complete is a row of its
// own, as it is a level of its own.
std::vector<PatchLevel> FindingRows(const Fleet& fleet,
                                    const WindowsSection& section,
                                    const std::vector<std::size_t>& columns) {
  typedef std::tuple<int, bool, std::vector<std::uint64_t>> RowKey;
  std::vector<PatchLevel> rows;
  std::map<RowKey, std::size_t> rowByKey;
  for (const PatchLevel& level : section.levels) {
    const FleetMachine& machine = fleet.machines[level.machines[0]];
    if (machine.status != ReportStatus::kComplete) {
      rows.push_back(PatchLevel{level.machines, 0});
      continue;
    }
    RowKey key(machine.release.servicePack, machine.release.sp6a, {});
    std::get<2>(key).reserve(columns.size());
    for (std::size_t c : columns) {
      const FleetFinding& finding = machine.findings[c];
      // A cell names its hotfixes only when they are missing.
      const std::uint32_t shown =
          finding.state == VerdictState::kMissing ? finding.hotfix : 0;
      std::get<2>(key).push_back(
          static_cast<std::uint64_t>(finding.state) << 32 | shown);
    }
    const auto found = rowByKey.emplace(std::move(key), rows.size());
    if (found.second) rows.emplace_back();
    std::vector<std::size_t>& machines = rows[found.first->second].machines;
    machines.insert(machines.end(), level.machines.begin(),
                    level.machines.end());
  }
  for (PatchLevel& row : rows)
    std::sort(row.machines.begin(), row.machines.end());
  SortLevels(fleet, rows);
  return rows;
}

void WriteMatrices(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   const std::vector<std::size_t>& order, TextOutput& out) {
  out << "<h2 id=findings>Requirements by machine</h2>\n";
  WriteFindingsLegend(out);
  std::string row;
  for (const WindowsSection& section : sections) {
    const std::vector<std::size_t> columns = ExposedIn(fleet, section, order);
    const std::size_t rest = fleet.requirements.size() - columns.size();
    out << "<h3>" << SectionName(section.windows) << ": "
        << Plural(columns.size(), "requirement", "requirements")
        << " with exposed machines</h3>\n<p>Not drawn: "
        << Plural(rest, "requirement", "requirements")
        << " no machine of this Windows is exposed to.\n";
    if (columns.empty()) continue;
    const std::vector<std::uint32_t> shared =
        SharedFixes(fleet, section, columns);
    WriteFindingsHeader(fleet, columns, shared, out);
    for (const PatchLevel& level : FindingRows(fleet, section, columns)) {
      row.clear();
      AppendFindingsRow(fleet, level, columns, shared, row);
      out << row;
    }
    out << "</tbody></table></div>\n";
  }
}

}  // namespace

void WriteFindings(const Fleet& fleet,
                   const std::vector<WindowsSection>& sections,
                   TextOutput& out) {
  const std::vector<StateCounts> counts = CountStates(fleet);
  const std::vector<std::size_t> order = PageOrder(fleet, counts);
  out << "<h2 id=exposure>Exposure</h2>\n";
  WriteByWindows(fleet, sections, out);
  WriteRequirements(fleet, counts, order, out);
  WriteMatrices(fleet, sections, order, out);
}
