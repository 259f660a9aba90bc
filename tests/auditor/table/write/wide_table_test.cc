#include "auditor/table/write/wide_table.h"

#include <string>
#include <vector>

#include "test_support.h"

namespace {

class WideTableTest : public FakePlatformTest {};

// Whatever the reports' entries or the baseline's IDs are called, a
// program that reads the columns by name gets each one once.
TEST_F(WideTableTest, HeaderNamesAreUnique) {
  const std::vector<std::string> fixed = {"machine", "status", "windows"};
  const struct {
    const char* name;
    std::vector<std::string> names;
    std::vector<std::string> header;
  } cases[] = {
      {"a fixed column's name, in any letter case",
       {"machine", "STATUS", "KB1"},
       {"machine~2", "STATUS~2", "KB1"}},
      {"two names a reader gets alike: one guarded against a formula",
       {"'=KB1", "=KB1"},
       {"'=KB1", "'=KB1~2"}},
      {"a suffix that another column already has",
       {"windows~2", "windows", "Windows"},
       {"windows~2", "windows~3", "Windows~4"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UniqueHeaderNames(fixed, c.names), c.header);
  }
}

FleetMachine MachineWith(const char* name,
                         const std::vector<std::size_t>& present) {
  FleetMachine machine;
  machine.machine = name;
  machine.status = ReportStatus::kComplete;
  machine.present = present;
  return machine;
}

// Past a spreadsheet's columns, what the fewest machines have goes first,
// and of the hotfixes one machine has alone, those of the machine that has
// the most of them: the flood, not a normal machine's stray fix.
TEST_F(WideTableTest, ColumnsPastTheLimitAreLeftOutAndSaid) {
  Fleet fleet;
  for (const char* name : {"F1", "F2", "F3", "F4", "KB1", "KB2", "KB3"}) {
    fleet.columns.push_back(FleetColumn{name, false});
  }
  fleet.machines = {MachineWith("EVIL", {0, 1, 2, 3}),
                    MachineWith("PC1", {4, 5}), MachineWith("PC2", {4, 5, 6})};
  {
    TextOutput out(STD_OUTPUT_HANDLE), errors(STD_ERROR_HANDLE);
    WriteWideCsv(fleet, out, errors, 10);
  }
  const std::string head = "machine,status,windows,os,found,reported,";
  EXPECT_EQ(Platform().output.substr(0, Platform().output.find('\n') + 1),
            head + "F1,KB1,KB2,KB3\r\n");
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: the wide CSV has room for 10 columns: 3 "
            "hotfixes, those the fewest machines have, have none (3 of them "
            "only EVIL has); the CSV and JSON Lines list them\r\n");
}

}  // namespace
