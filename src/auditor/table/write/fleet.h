// The whole fleet at a glance: every machine with what its report says, and
// which hotfixes it has, for the page a person looks at.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "auditor/table/judge/baseline.h"
#include "auditor/table/judge/required_hotfixes.h"
#include "auditor/table/read/machine_report.h"
#include "auditor/vocabulary/hotfix_names.h"

struct FleetColumn {
  std::string name;  // as first met: in the required list, else a report
  bool required = false;
};

// A machine's verdict on one requirement, small: a fleet has thousands of
// machines and a baseline hundreds of requirements.
struct FleetFinding {
  VerdictState state = VerdictState::kUnknown;
  std::uint32_t hotfix = 0;  // into Fleet::findingTexts
};

struct FleetMachine {
  std::string machine;
  ReportStatus status = ReportStatus::kUnreadable;
  std::string found, os, windows, problem, reported, owner;
  WindowsRelease release;
  std::size_t entryCount = 0;
  // Columns it has, ascending: its names', and the required ones they
  // satisfy (hotfix_names.h).
  std::vector<std::size_t> present;
  std::vector<std::size_t> lacking;    // required columns it has not, ascending
  std::vector<FleetFinding> findings;  // by requirement; none without one
  bool stale = false;
};

struct Fleet {
  std::vector<FleetColumn> columns;    // hotfixes, in the order of their keys
  std::vector<FleetMachine> machines;  // in table order
  std::vector<BaselineRequirement> requirements;  // of the baseline, if any
  // The texts of the findings' hotfixes, each once; the first is empty.
  std::vector<std::string> findingTexts;
  bool staleAsked = false;  // --stale-after given
};

// Builds the fleet one report at a time, keeping no entry's comment.
class FleetBuilder {
 public:
  FleetBuilder(const RequiredHotfixes& required, const Baseline& baseline);
  // `verdicts`: the report's on each requirement of the baseline.
  void Add(const MachineReport& report, const WindowsRelease& release,
           const std::vector<Verdict>& verdicts);
  // The fleet, its columns ordered; the builder is spent.
  Fleet Finish();

 private:
  std::size_t ColumnOf(const std::string& name);
  // Adds the required columns that an entry of key `key` satisfies by
  // another name than its own.
  void AddRequiredSatisfied(const std::string& key,
                            std::vector<std::size_t>& present);
  // The text's index in findingTexts, where it is added if new.
  std::uint32_t FindingText(std::size_t requirement, std::string_view text);

  Fleet fleet_;
  std::vector<std::string> keys_;  // of each column
  std::unordered_map<std::string, std::size_t> columnByKey_;
  std::vector<std::size_t> requiredColumns_;
  std::string cut_;  // a key cut short, looked up; its buffer kept
  std::unordered_map<std::string, std::uint32_t> findingTextIndex_;
  std::string findingKey_;  // the text looked up, its buffer kept
  std::vector<std::uint32_t> lastFindingTexts_;  // by requirement
};

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_H_
