// The whole fleet at a glance: every machine with what its report says, and
// which hotfixes it has, for the page a person looks at.
#ifndef HOTFIXES_TABLE_FLEET_H_
#define HOTFIXES_TABLE_FLEET_H_

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "table/hotfix_names.h"
#include "table/machine_report.h"

struct FleetColumn {
  std::string name;  // as first met: in the required list, else a report
  bool required = false;
};

struct FleetMachine {
  std::string machine;
  ReportStatus status = ReportStatus::kUnreadable;
  std::string found, os, problem, reported, owner;
  std::size_t entryCount = 0;
  std::vector<std::size_t> present;  // columns it has, ascending
  std::vector<std::size_t> lacking;  // required columns it has not, ascending
};

struct Fleet {
  std::vector<FleetColumn> columns;    // hotfixes, in the order of their keys
  std::vector<FleetMachine> machines;  // in table order
};

// Builds the fleet one report at a time, keeping no entry's comment.
class FleetBuilder {
 public:
  explicit FleetBuilder(const RequiredHotfixes& required);
  void Add(const MachineReport& report);
  // The fleet, its columns ordered; the builder is spent.
  Fleet Finish();

 private:
  std::size_t ColumnOf(const std::string& name);

  Fleet fleet_;
  std::vector<std::string> keys_;  // of each column
  std::unordered_map<std::string, std::size_t> columnByKey_;
  std::vector<std::size_t> requiredColumns_;
};

#endif  // HOTFIXES_TABLE_FLEET_H_
