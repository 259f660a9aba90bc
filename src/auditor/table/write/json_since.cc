#include "auditor/table/write/json_since.h"

#include "auditor/table/write/json_lines.h"

namespace {

void AppendName(const char* name, std::string& line) {
  line.append("\"").append(name).append("\":");
}

// A text of the earlier audit, or null for a machine it did not have.
void AppendBefore(const char* name, const MachineChange& change,
                  const std::string& text, std::string& line) {
  line += ',';
  AppendName(name, line);
  if (change.kind == ChangeKind::kNew) {
    line += "null";
  } else {
    AppendJsonString(text, line);
  }
}

void AppendNames(const char* name, const std::vector<std::string>& names,
                 std::string& line) {
  line += ',';
  AppendName(name, line);
  line += '[';
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) line += ',';
    AppendJsonString(names[i], line);
  }
  line += ']';
}

void AppendRequirements(const MachineChange& change, const Baseline& baseline,
                        std::string& line) {
  line += ",\"requirements\":[";
  for (std::size_t i = 0; i < change.requirements.size(); ++i) {
    const RequirementChange& requirement = change.requirements[i];
    line += i == 0 ? "{\"requirement\":" : ",{\"requirement\":";
    AppendJsonString(baseline.requirements()[requirement.requirement].id, line);
    line += ",\"before\":";
    AppendJsonString(VerdictStateName(requirement.before), line);
    line += ",\"now\":";
    AppendJsonString(VerdictStateName(requirement.now), line);
    line += '}';
  }
  line += ']';
}

}  // namespace

void AppendJsonSince(const MachineChange& change, const Baseline& baseline,
                     std::string& line) {
  line += ",\"since\":{\"change\":";
  AppendJsonString(ChangeKindName(change.kind), line);
  AppendBefore("reported_before", change, change.reportedBefore, line);
  AppendBefore("windows_before", change, change.windowsBefore, line);
  AppendBefore("status_before", change, StatusName(change.statusBefore), line);
  AppendNames("added", change.added, line);
  AppendNames("removed", change.removed, line);
  if (!baseline.empty()) AppendRequirements(change, baseline, line);
  line += '}';
}

void WriteJsonGoneLine(const MachineChange& change, const Baseline& baseline,
                       bool staleKey, TextOutput& out) {
  std::string line = "{\"machine\":";
  AppendJsonString(change.machine, line);
  line += ",\"status\":\"gone\",\"reported\":";
  AppendJsonString(change.reportedBefore, line);
  line += ",\"hotfixes\":[]";
  if (staleKey) line += ",\"stale\":false";
  AppendJsonSince(change, baseline, line);
  line += "}\n";
  out << line;
}
