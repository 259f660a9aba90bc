#include "auditor/table/write/fleet.h"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace {

void SortUnique(std::vector<std::size_t>& columns) {
  std::sort(columns.begin(), columns.end());
  columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
}

}  // namespace

FleetBuilder::FleetBuilder(const RequiredHotfixes& required,
                           const Baseline& baseline) {
  fleet_.requirements = baseline.requirements();
  fleet_.findingTexts.emplace_back();  // the text of most verdicts
  lastFindingTexts_.assign(fleet_.requirements.size(), 0);
  for (const std::string& name : required.names()) {
    const std::size_t column = ColumnOf(name);
    fleet_.columns[column].required = true;
    requiredColumns_.push_back(column);
  }
  SortUnique(requiredColumns_);
}

std::size_t FleetBuilder::ColumnOf(const std::string& name) {
  std::string key = HotfixKey(name);
  const auto found = columnByKey_.find(key);
  if (found != columnByKey_.end()) return found->second;
  const std::size_t column = fleet_.columns.size();
  fleet_.columns.push_back(FleetColumn{name, false});
  columnByKey_.emplace(key, column);
  keys_.push_back(std::move(key));
  return column;
}

// A required name's column is marked where an entry satisfies it by the
// rule (KB975558 for KB975558_WM8), beside the entry's own column: the
// machine has it, and does not lack it. Other columns are the names as
// listed, so that KB958644 and KB958644-v2 stay two patch levels.
void FleetBuilder::AddRequiredSatisfied(const std::string& key,
                                        std::vector<std::size_t>& present) {
  if (requiredColumns_.empty()) return;
  ForEachKeySatisfied(key, [&](std::size_t length) {
    if (length == key.size()) return;  // its own column
    cut_.assign(key, 0, length);
    const auto found = columnByKey_.find(cut_);
    if (found != columnByKey_.end() && fleet_.columns[found->second].required) {
      present.push_back(found->second);
    }
  });
}

// Called for every machine and requirement: most verdicts have no text,
// and most of the rest have the text the requirement's verdict had on the
// machine before, which is tried before any lookup.
std::uint32_t FleetBuilder::FindingText(std::size_t requirement,
                                        std::string_view text) {
  if (text.empty()) return 0;
  std::uint32_t& last = lastFindingTexts_[requirement];
  if (fleet_.findingTexts[last] == text) return last;
  findingKey_.assign(text.data(), text.size());
  const auto found = findingTextIndex_.find(findingKey_);
  if (found != findingTextIndex_.end()) return last = found->second;
  last = static_cast<std::uint32_t>(fleet_.findingTexts.size());
  findingTextIndex_.emplace(findingKey_, last);
  fleet_.findingTexts.emplace_back(text);
  return last;
}

void FleetBuilder::Add(const MachineReport& report,
                       const WindowsRelease& release,
                       const std::vector<Verdict>& verdicts) {
  FleetMachine machine;
  machine.machine = report.machine;
  machine.status = report.status;
  machine.found = report.found;
  machine.os = report.os;
  machine.windows = report.windows;
  machine.release = release;
  machine.findings.reserve(verdicts.size());
  for (std::size_t r = 0; r < verdicts.size(); ++r) {
    machine.findings.push_back(
        {verdicts[r].state, FindingText(r, verdicts[r].hotfix)});
  }
  machine.problem = report.problem;
  machine.reported = report.reported;
  machine.owner = report.owner;
  machine.stale = report.stale;
  machine.entryCount = report.entries.size();
  // An entry without a name (a line before the first hotfix line) has no
  // column to be shown in; the summary counts it.
  for (const HotfixEntry& entry : report.entries) {
    if (entry.name.empty()) continue;
    machine.present.push_back(ColumnOf(entry.name));
    AddRequiredSatisfied(keys_[machine.present.back()], machine.present);
  }
  SortUnique(machine.present);
  // Of a report that could not be read nothing is known, not even what it
  // lacks: its status says so.
  if (report.status != ReportStatus::kUnreadable) {
    std::set_difference(requiredColumns_.begin(), requiredColumns_.end(),
                        machine.present.begin(), machine.present.end(),
                        std::back_inserter(machine.lacking));
  }
  fleet_.machines.push_back(std::move(machine));
}

Fleet FleetBuilder::Finish() {
  std::vector<std::size_t> order(fleet_.columns.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    return HotfixKeyLess(keys_[a], keys_[b]);
  });
  std::vector<std::size_t> newIndex(order.size());
  std::vector<FleetColumn> columns(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    newIndex[order[i]] = i;
    columns[i] = std::move(fleet_.columns[order[i]]);
  }
  fleet_.columns = std::move(columns);
  for (FleetMachine& machine : fleet_.machines) {
    for (auto* list : {&machine.present, &machine.lacking}) {
      for (std::size_t& column : *list) column = newIndex[column];
      std::sort(list->begin(), list->end());
    }
  }
  return std::move(fleet_);
}
