#include "auditor/table/write/html_findings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>

#include "auditor/table/judge/judgement.h"
#include "auditor/table/write/html_outline.h"
#include "auditor/table/write/html_text.h"

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
         " own.\n<p class=lg>A matrix too large to draw is told as text: a"
         " line per service pack and the machines exposed there alike, and"
         " the requirements they are exposed to as the nearest of a few"
         " common sets (A, B, ...), less those they are not exposed to"
         " (&minus;) and with those they are exposed to besides (+);"
         " missing unless marked ! (no update), with the hotfixes that would"
         " do in brackets where they differ from the section's.\n";
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
                         std::string& out) {
  out += "<div class=cv><table class=\"mx fx\"><thead><tr><th>Patch level";
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
    out.append(cell).append("</span>");
  }
  out += "</thead>\n<tbody>\n";
}

// A level's machines share their Windows, service pack and hotfixes, and
// with them every verdict. The matrices hold hundreds of thousands of
// cells, so a cell says no more than it must: an installed one is a bare
// mark, coloured as a present hotfix; a missing one names the fixes that
// would do, unless its column's title does.
void AppendFindingsRow(const Fleet& fleet, const PatchLevel& level,
                       std::string_view id,
                       const std::vector<std::size_t>& columns,
                       const std::vector<std::uint32_t>& shared,
                       std::string& row) {
  AppendLevelRowStart(fleet, level, id, row);
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

// A line's item: the requirement's place among the section's columns, its
// state, and for a missing one the fixes it names when its column's do not.
const int kNoUpdateBit = 32;
const int kPlaceShift = 33;

std::uint64_t FindingItem(std::size_t place, const FleetFinding& finding,
                          std::uint32_t shared) {
  std::uint64_t item = static_cast<std::uint64_t>(place) << kPlaceShift;
  if (finding.state == VerdictState::kNoUpdate) {
    item |= std::uint64_t{1} << kNoUpdateBit;
  } else if (shared == kMixedFixes) {
    item |= finding.hotfix;
  }
  return item;
}

// The requirements of a section as they read in its lines.
class FindingWords : public ItemWords {
 public:
  FindingWords(const Fleet& fleet, const std::vector<std::size_t>& columns,
               const std::vector<PatchLevel>& rows,
               const std::vector<ItemSet>& items)
      : fleet_(fleet), columns_(columns), rows_(rows), items_(items) {}
  void Append(std::uint64_t item, std::string& out) const override {
    const std::size_t place = static_cast<std::size_t>(item >> kPlaceShift);
    AppendHtmlEscaped(fleet_.requirements[columns_[place]].id, out);
    if (item >> kNoUpdateBit & 1) {
      out += '!';
      return;
    }
    const auto fixes = static_cast<std::uint32_t>(item);
    if (fixes == 0) return;
    out += " (";
    AppendHtmlEscaped(fleet_.findingTexts[fixes], out);
    out += ")";
  }
  void AppendLineEnd(std::size_t line, std::string& out) const override {
    if (!items_[line].empty()) return;
    const FleetMachine& first = fleet_.machines[rows_[line].machines[0]];
    out += first.status == ReportStatus::kUnreadable ? " nothing known"
                                                     : " exposed to none";
  }
  const char* LinesName() const override { return "lines"; }

 private:
  const Fleet& fleet_;
  const std::vector<std::size_t>& columns_;
  const std::vector<PatchLevel>& rows_;
  const std::vector<ItemSet>& items_;
};

// The section's machines as lines: those exposed alike at one service
// pack share one; a report that is not complete has one of its own.
void FindingLines(const Fleet& fleet, const WindowsSection& section,
                  const std::vector<std::size_t>& columns,
                  const std::vector<std::uint32_t>& shared,
                  std::vector<PatchLevel>& rows, std::vector<ItemSet>& items) {
  typedef std::tuple<int, bool, ItemSet> RowKey;
  std::map<RowKey, std::size_t> rowByKey;
  ItemSet exposed;
  for (const PatchLevel& level : section.levels) {
    const FleetMachine& machine = fleet.machines[level.machines[0]];
    exposed.clear();
    for (std::size_t place = 0; place < columns.size(); ++place) {
      const FleetFinding& finding = machine.findings[columns[place]];
      if (IsExposed(finding.state)) {
        exposed.push_back(FindingItem(place, finding, shared[place]));
      }
    }
    if (machine.status != ReportStatus::kComplete) {
      rows.push_back(PatchLevel{level.machines, 0});
      items.push_back(exposed);
      continue;
    }
    RowKey key(machine.release.servicePack, machine.release.sp6a, exposed);
    const auto found = rowByKey.emplace(std::move(key), rows.size());
    if (found.second) {
      rows.emplace_back();
      items.push_back(exposed);
    }
    std::vector<std::size_t>& machines = rows[found.first->second].machines;
    machines.insert(machines.end(), level.machines.begin(),
                    level.machines.end());
  }
  for (PatchLevel& row : rows) {
    std::sort(row.machines.begin(), row.machines.end());
  }
}

// "Fixes of the missing: MS08-067 KB958644; ...": what a column's title
// names in a matrix.
void AppendSharedFixes(const Fleet& fleet,
                       const std::vector<std::size_t>& columns,
                       const std::vector<std::uint32_t>& shared,
                       std::string& out) {
  bool any = false;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (shared[c] == 0 || shared[c] == kMixedFixes) continue;
    out += any ? "; "
               : "<p class=nd>The hotfixes that would do, where every"
                 " missing line names the same: ";
    any = true;
    AppendHtmlEscaped(fleet.requirements[columns[c]].id, out);
    out += ' ';
    AppendHtmlEscaped(fleet.findingTexts[shared[c]], out);
  }
  if (any) out += "\n";
}

// Where the lines stop: the note takes the id of the first line left out,
// which the machines of every line left out link to.
void WriteFindingsNotListed(const WindowsSection& section,
                            const std::vector<PatchLevel>& rows,
                            std::size_t listed, std::size_t firstIndex,
                            std::string& out, TextOutput& errors) {
  const NotListed note{"x" + std::to_string(firstIndex + listed),
                       "the findings of " + Plural(MachinesOf(rows, listed),
                                                   "machine", "machines"),
                       "hold them", "hold them"};
  WriteNotListed(note, section.windows, out, errors);
}

// How the findings of a section are written, and where each machine's
// are told.
struct FindingsSection {
  const Fleet& fleet;
  const WindowsSection& section;
  std::vector<std::size_t> columns;
  std::vector<std::uint32_t> shared;
};

// Draws the section's matrix, or writes its lines when the page has no
// room for it; each row or line gets the next id "x<n>", and each machine
// links to its own.
void WriteSectionFindings(const FindingsSection& part, PageRoom& room,
                          std::size_t& index, std::vector<std::size_t>& links,
                          std::string& out, TextOutput& errors) {
  const Fleet& fleet = part.fleet;
  std::vector<PatchLevel> rows = FindingRows(fleet, part.section, part.columns);
  if (room.Draw(rows.size() * part.columns.size())) {
    WriteFindingsHeader(fleet, part.columns, part.shared, out);
    for (const PatchLevel& row : rows) {
      for (std::size_t m : row.machines) links[m] = index;
      AppendFindingsRow(fleet, row, "x" + std::to_string(index++), part.columns,
                        part.shared, out);
    }
    out += "</tbody></table></div>\n";
    return;
  }
  out += "<p class=nd>";
  out += WhyNotDrawn(rows.size(), "row", "rows", part.columns.size(),
                     "requirement", "requirements");
  out += " Its machines as lines; the CSV and JSON Lines hold every cell.\n";
  AppendSharedFixes(fleet, part.columns, part.shared, out);
  rows.clear();
  OutlineLines lines;
  FindingLines(fleet, part.section, part.columns, part.shared, rows,
               lines.items);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    lines.starts.emplace_back();
    AppendLevelLineStart(fleet, rows[r], "x" + std::to_string(index + r),
                         lines.starts.back());
  }
  const std::size_t listed = WriteOutline(
      lines, "xs" + std::to_string(static_cast<int>(part.section.windows)),
      FindingWords(fleet, part.columns, rows, lines.items), room, out);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::size_t link = index + std::min(r, listed);
    for (std::size_t m : rows[r].machines) links[m] = link;
  }
  if (listed < rows.size()) {
    WriteFindingsNotListed(part.section, rows, listed, index, out, errors);
  }
  index += rows.size();
}

std::vector<std::size_t> WriteMatrices(
    const Fleet& fleet, const std::vector<WindowsSection>& sections,
    const std::vector<std::size_t>& order, PageRoom& room, TextOutput& out,
    TextOutput& errors) {
  out << "<h2 id=findings>Requirements by machine</h2>\n";
  WriteFindingsLegend(out);
  std::vector<std::size_t> links(fleet.machines.size(), kNoLink);
  std::size_t index = 0;
  std::string text;
  for (const WindowsSection& section : sections) {
    FindingsSection part{fleet, section, ExposedIn(fleet, section, order), {}};
    const std::size_t rest = fleet.requirements.size() - part.columns.size();
    out << "<h3>" << SectionName(section.windows) << ": "
        << Plural(part.columns.size(), "requirement", "requirements")
        << " with exposed machines</h3>\n<p>Not drawn: "
        << Plural(rest, "requirement", "requirements")
        << " no machine of this Windows is exposed to.\n";
    if (part.columns.empty()) continue;
    part.shared = SharedFixes(fleet, section, part.columns);
    text.clear();
    WriteSectionFindings(part, room, index, links, text, errors);
    out << text;
  }
  return links;
}

}  // namespace

std::vector<std::size_t> WriteFindings(
    const Fleet& fleet, const std::vector<WindowsSection>& sections,
    PageRoom& room, TextOutput& out, TextOutput& errors) {
  const std::vector<StateCounts> counts = CountStates(fleet);
  const std::vector<std::size_t> order = PageOrder(fleet, counts);
  out << "<h2 id=exposure>Exposure</h2>\n";
  WriteByWindows(fleet, sections, out);
  WriteRequirements(fleet, counts, order, out);
  return WriteMatrices(fleet, sections, order, room, out, errors);
}
