#include "auditor/table/write/fleet_groups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "auditor/table/write/fleet.h"

namespace {

struct MachineNames {
  const char* machine;
  const char* entries;  // separated by blanks
};

Fleet FleetOf(const std::vector<MachineNames>& machines,
              const char* requiredList) {
  RequiredHotfixes required;
  std::string error;
  EXPECT_TRUE(required.Parse(requiredList, "required.txt", error)) << error;
  const Baseline baseline;
  FleetBuilder builder(required, baseline);
  for (const MachineNames& names : machines) {
    MachineReport report;
    report.machine = names.machine;
    report.status = ReportStatus::kComplete;
    report.os = "Windows XP Professional Service Pack 3 (Build 2600)";
    std::istringstream entries(names.entries);
    for (std::string name; entries >> name;) {
      report.entries.push_back({name, ""});
    }
    builder.Add(report, WindowsReleaseOf(report.os), {});
  }
  return builder.Finish();
}

// Each patch level as its machines' names, "A+B", in the page's order.
std::vector<std::string> LevelsOf(const Fleet& fleet) {
  std::vector<std::string> shown;
  for (const WindowsSection& section : GroupFleet(fleet)) {
    for (const PatchLevel& level : section.levels) {
      std::string names;
      for (std::size_t m : level.machines) {
        names += (names.empty() ? "" : "+") + fleet.machines[m].machine;
      }
      shown.push_back(names);
    }
  }
  return shown;
}

// Machines are one patch level when they list the same names (Q as KB,
// letters without case); a variant (KB958644-v2, KB975558_WM8) is another
// name: it satisfies a required KB958644, marked in that column, and is a
// level of its own all the same, since KB958644 does not satisfy it.
TEST(FleetGroupsTest, PatchLevelsByTheNamesListed) {
  const std::vector<MachineNames> machines = {
      {"BARE", "KB958644 KB975558"},
      {"V2", "KB958644-v2 KB975558_WM8"},
      {"V2-AGAIN", "kb958644-V2 KB975558_wm8"},
      {"Q-FORM", "Q958644 KB975558"},
      {"NONE", "File"},
  };
  const struct {
    const char* what;
    const char* required;
    std::vector<std::string> levels;
    std::vector<std::size_t> lacking;  // by machine
  } cases[] = {
      {"nothing required",
       "",
       {"BARE+Q-FORM", "V2+V2-AGAIN", "NONE"},
       {0, 0, 0, 0, 0}},
      {"the bare names required",
       "KB958644\nKB975558\n",
       {"BARE+Q-FORM", "V2+V2-AGAIN", "NONE"},
       {0, 0, 0, 0, 2}},
      {"the re-release required by name",
       "KB958644-v2\n",
       {"BARE+Q-FORM", "V2+V2-AGAIN", "NONE"},
       {1, 0, 0, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Fleet fleet = FleetOf(machines, c.required);
    EXPECT_EQ(LevelsOf(fleet), c.levels);
    for (std::size_t m = 0; m < machines.size(); ++m) {
      const FleetMachine& machine = fleet.machines[m];
      SCOPED_TRACE(machine.machine);
      EXPECT_EQ(machine.lacking.size(), c.lacking[m]);
      // A required column a machine does not lack is marked present.
      for (std::size_t column = 0; column < fleet.columns.size(); ++column) {
        if (!fleet.columns[column].required) continue;
        const bool present = std::count(machine.present.begin(),
                                        machine.present.end(), column) == 1;
        const bool lacking = std::count(machine.lacking.begin(),
                                        machine.lacking.end(), column) == 1;
        EXPECT_NE(present, lacking) << fleet.columns[column].name;
      }
    }
  }
}

}  // namespace
