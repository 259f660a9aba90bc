#include "auditor/table/write/fleet_groups.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// What makes two complete reports one patch level; their columns are
// already one per name key.
typedef std::tuple<int, bool, std::vector<std::size_t>> LevelKey;

int SectionOrder(Windows windows) {
  // The unknown Windows, first among the releases, comes last.
  return windows == Windows::kUnknown ? kWindowsCount
                                      : static_cast<int>(windows);
}

std::vector<PatchLevel> LevelsOf(const Fleet& fleet,
                                 const std::vector<std::size_t>& machines) {
  std::vector<PatchLevel> levels;
  std::map<LevelKey, std::size_t> levelByKey;
  for (std::size_t m : machines) {
    const FleetMachine& machine = fleet.machines[m];
    if (machine.status != ReportStatus::kComplete) {
      levels.push_back(PatchLevel{{m}});
      continue;
    }
    const LevelKey key(machine.release.servicePack, machine.release.sp6a,
                       machine.present);
    const auto found = levelByKey.emplace(key, levels.size());
    if (found.second) levels.emplace_back();
    levels[found.first->second].machines.push_back(m);
  }
  SortLevels(fleet, levels);
  return levels;
}

// Every column some level has or that is required, less the ones a level
// has alone when it has more of them than are drawn.
std::vector<std::size_t> ColumnsOf(const Fleet& fleet,
                                   std::vector<PatchLevel>& levels) {
  std::vector<std::size_t> levelsWith(fleet.columns.size(), 0);
  for (const PatchLevel& level : levels) {
    for (std::size_t c : fleet.machines[level.machines[0]].present) {
      ++levelsWith[c];
    }
  }
  std::vector<char> shown(fleet.columns.size(), 0);
  for (std::size_t c = 0; c < fleet.columns.size(); ++c) {
    shown[c] = fleet.columns[c].required || levelsWith[c] > 0 ? 1 : 0;
  }
  for (PatchLevel& level : levels) {
    const std::vector<std::size_t>& present =
        fleet.machines[level.machines[0]].present;
    const auto own = [&](std::size_t c) {
      return levelsWith[c] == 1 && !fleet.columns[c].required;
    };
    const auto count = static_cast<std::size_t>(
        std::count_if(present.begin(), present.end(), own));
    if (count <= kOwnColumnsDrawn) continue;
    level.folded = count;
    for (std::size_t c : present) {
      if (own(c)) shown[c] = 0;
    }
  }
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < shown.size(); ++c) {
    if (shown[c]) columns.push_back(c);
  }
  return columns;
}

}  // namespace

std::vector<WindowsSection> GroupFleet(const Fleet& fleet) {
  std::map<int, std::vector<std::size_t>> machinesBySection;
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    machinesBySection[SectionOrder(fleet.machines[m].release.windows)]
        .push_back(m);
  }
  std::vector<WindowsSection> sections;
  for (const auto& section : machinesBySection) {
    sections.emplace_back();
    sections.back().windows = fleet.machines[section.second[0]].release.windows;
    sections.back().levels = LevelsOf(fleet, section.second);
    sections.back().columns = ColumnsOf(fleet, sections.back().levels);
  }
  return sections;
}

void SortLevels(const Fleet& fleet, std::vector<PatchLevel>& levels) {
  std::stable_sort(levels.begin(), levels.end(),
                   [&fleet](const PatchLevel& a, const PatchLevel& b) {
                     const FleetMachine& x = fleet.machines[a.machines[0]];
                     const FleetMachine& y = fleet.machines[b.machines[0]];
                     if (x.release.servicePack != y.release.servicePack) {
                       return x.release.servicePack < y.release.servicePack;
                     }
                     return a.machines.size() > b.machines.size();
                   });
}

std::size_t MachinesOf(const std::vector<PatchLevel>& levels,
                       std::size_t first) {
  std::size_t machines = 0;
  for (std::size_t l = first; l < levels.size(); ++l) {
    machines += levels[l].machines.size();
  }
  return machines;
}
