#include "auditor/table/write/wide_table.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "auditor/table/write/csv_table.h"
#include "auditor/text/ascii.h"

namespace {

const std::vector<std::string> kFixedColumns = {
    "machine", "status", "windows", "os", "found", "reported"};

// More hotfixes than this that one machine alone has, far beyond the
// hundreds a real machine records, get no column: one report must not
// widen every row of the fleet.
const std::size_t kOwnColumnsGiven = 1000;

// The columns given to hotfixes or requirements, ascending, and what the
// rest were.
struct WideColumns {
  std::vector<std::size_t> shown;
  // Machines whose own hotfixes have no column, and how many.
  std::vector<std::pair<const FleetMachine*, std::size_t>> ownLeftOut;
  std::size_t leftOut = 0;        // for want of room
  std::size_t leftOutOfMost = 0;  // of them, the machine with most alone
  const FleetMachine* most = nullptr;
};

// Which hotfixes get a column: none of a machine's own when it has too
// many of them; of the rest, when not all fit, the required ones, then
// those most machines have; of those one machine has alone, first those of
// the machine with the fewest such; then in the page's order.
WideColumns ChooseHotfixColumns(const Fleet& fleet, std::size_t room) {
  WideColumns chosen;
  const std::size_t count = fleet.columns.size();
  std::vector<std::size_t> machines(count, 0), owner(count, 0);
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    for (std::size_t c : fleet.machines[m].present) {
      ++machines[c];
      owner[c] = m;
    }
  }
  std::vector<std::size_t> own(fleet.machines.size(), 0);
  for (std::size_t c = 0; c < count; ++c) {
    if (machines[c] == 1 && !fleet.columns[c].required) ++own[owner[c]];
  }
  for (std::size_t m = 0; m < own.size(); ++m) {
    if (own[m] > kOwnColumnsGiven) {
      chosen.ownLeftOut.emplace_back(&fleet.machines[m], own[m]);
    }
  }
  std::vector<std::size_t> order;
  for (std::size_t c = 0; c < count; ++c) {
    if (machines[c] != 1 || fleet.columns[c].required ||
        own[owner[c]] <= kOwnColumnsGiven) {
      order.push_back(c);
    }
  }
  const auto before = [&](std::size_t a, std::size_t b) {
    if (fleet.columns[a].required != fleet.columns[b].required) {
      return fleet.columns[a].required;
    }
    if (machines[a] != machines[b]) return machines[a] > machines[b];
    if (machines[a] == 1 && own[owner[a]] != own[owner[b]]) {
      return own[owner[a]] < own[owner[b]];
    }
    return a < b;
  };
  const auto split =
      order.begin() + static_cast<std::ptrdiff_t>(std::min(room, order.size()));
  std::nth_element(order.begin(), split, order.end(), before);
  chosen.shown.assign(order.begin(), split);
  std::sort(chosen.shown.begin(), chosen.shown.end());
  chosen.leftOut = static_cast<std::size_t>(order.end() - split);
  std::vector<std::size_t> leftOutOf(fleet.machines.size(), 0);
  for (auto c = split; c != order.end(); ++c) {
    if (machines[*c] == 1) ++leftOutOf[owner[*c]];
  }
  const auto most = std::max_element(leftOutOf.begin(), leftOutOf.end());
  if (most != leftOutOf.end() && *most > 0) {
    chosen.leftOutOfMost = *most;
    chosen.most = &fleet.machines[most - leftOutOf.begin()];
  }
  return chosen;
}

// The fixed columns: those before the hotfixes' or requirements', and
// "stale" after them when it was asked for.
std::vector<std::string> FixedColumns(const Fleet& fleet) {
  std::vector<std::string> fixed = kFixedColumns;
  if (fleet.staleAsked) fixed.emplace_back("stale");
  return fixed;
}

WideColumns ChooseColumns(const Fleet& fleet, std::size_t columnLimit) {
  const std::size_t room = columnLimit - FixedColumns(fleet).size();
  if (fleet.requirements.empty()) return ChooseHotfixColumns(fleet, room);
  // A baseline's requirements keep the baseline's order: the first ones.
  WideColumns chosen;
  chosen.shown.resize(std::min(fleet.requirements.size(), room));
  std::iota(chosen.shown.begin(), chosen.shown.end(), 0);
  chosen.leftOut = fleet.requirements.size() - chosen.shown.size();
  return chosen;
}

void SayWhatIsLeftOut(const Fleet& fleet, const WideColumns& chosen,
                      std::size_t columnLimit, TextOutput& errors) {
  for (const auto& machine : chosen.ownLeftOut) {
    errors << "hotfixes-table: the wide CSV gives no column to the "
           << std::to_string(machine.second) << " hotfixes that only "
           << machine.first->machine
           << " has; the CSV and JSON Lines list them\r\n";
  }
  if (chosen.leftOut == 0) return;
  const bool judged = !fleet.requirements.empty();
  errors << "hotfixes-table: the wide CSV has room for "
         << std::to_string(columnLimit)
         << " columns: " << std::to_string(chosen.leftOut)
         << (judged ? " requirements, the last of the baseline,"
                    : " hotfixes, those the fewest machines have,")
         << " have none";
  if (chosen.most != nullptr) {
    errors << " (" << std::to_string(chosen.leftOutOfMost) << " of them only "
           << chosen.most->machine << " has)";
  }
  errors << "; the CSV and JSON Lines list them\r\n";
}

void AppendHeader(const Fleet& fleet, const WideColumns& chosen,
                  std::string& row) {
  std::vector<std::string> names;
  names.reserve(chosen.shown.size());
  const bool judged = !fleet.requirements.empty();
  for (std::size_t c : chosen.shown) {
    names.push_back(judged ? fleet.requirements[c].id : fleet.columns[c].name);
  }
  row.clear();
  for (const std::string& name : kFixedColumns) {
    row.append(name).append(",");
  }
  for (const std::string& name :
       UniqueHeaderNames(FixedColumns(fleet), names)) {
    AppendCsvField(name, row);
    row += ',';
  }
  if (fleet.staleAsked) row += "stale,";
  row.back() = '\r';
  row += '\n';
}

// ",missing": the cell of a machine and requirement, written for every
// one of them, its length known.
std::string_view VerdictCell(VerdictState state) {
  static const std::vector<std::string> kCells = [] {
    std::vector<std::string> cells;
    // The states in their order, the last one unknown.
    for (int s = 0; s <= static_cast<int>(VerdictState::kUnknown); ++s) {
      cells.push_back(std::string(",") +
                      VerdictStateName(static_cast<VerdictState>(s)));
    }
    return cells;
  }();
  return kCells[static_cast<std::size_t>(state)];
}

void AppendRow(const Fleet& fleet, const WideColumns& chosen,
               const FleetMachine& machine, std::string& row) {
  row.clear();
  AppendCsvField(machine.machine, row);
  row.append(",").append(StatusName(machine.status)).append(",");
  AppendCsvField(machine.windows, row);
  row += ',';
  AppendCsvField(machine.os, row);
  row.append(",").append(machine.found).append(",");
  row += machine.reported;
  if (!fleet.requirements.empty()) {
    for (std::size_t r : chosen.shown) {
      row.append(VerdictCell(machine.findings[r].state));
    }
  } else {
    auto present = machine.present.begin();
    for (std::size_t c : chosen.shown) {
      while (present != machine.present.end() && *present < c) ++present;
      row += present != machine.present.end() && *present == c ? ",1" : ",";
    }
  }
  if (fleet.staleAsked) row += machine.stale ? ",yes" : ",";
  row += "\r\n";
}

}  // namespace

std::vector<std::string> UniqueHeaderNames(
    const std::vector<std::string>& fixed,
    const std::vector<std::string>& names) {
  std::unordered_set<std::string> taken;
  for (const std::string& name : fixed) taken.insert(LowerAscii(name));
  std::vector<std::string> unique;
  unique.reserve(names.size());
  for (const std::string& name : names) {
    const std::string value = CsvFieldValue(name);
    std::string candidate = value;
    for (std::size_t n = 2; !taken.insert(LowerAscii(candidate)).second; ++n) {
      candidate = value + "~" + std::to_string(n);
    }
    unique.push_back(std::move(candidate));
  }
  return unique;
}

void WriteWideCsv(const Fleet& fleet, TextOutput& out, TextOutput& errors,
                  std::size_t columnLimit) {
  const WideColumns chosen = ChooseColumns(fleet, columnLimit);
  SayWhatIsLeftOut(fleet, chosen, columnLimit, errors);
  std::string row;
  AppendHeader(fleet, chosen, row);
  out << row;
  for (const FleetMachine& machine : fleet.machines) {
    AppendRow(fleet, chosen, machine, row);
    out << row;
  }
}
