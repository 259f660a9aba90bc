#include "support/verdict_on.h"

#include <sstream>
#include <vector>

#include "auditor/table/read/machine_report.h"
#include "auditor/vocabulary/windows_release.h"

std::string VerdictOn(const Baseline& baseline, const std::string& os,
                      const std::string& entries, const std::string& id) {
  MachineReport report;
  report.os = os;
  report.status = ReportStatus::kComplete;
  std::istringstream names(entries);
  for (std::string name; names >> name;) report.entries.push_back({name, ""});
  const std::vector<Verdict> verdicts =
      baseline.Judge(report, WindowsReleaseOf(report.os));
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    if (baseline.requirements()[i].id != id) continue;
    std::string text = VerdictStateName(verdicts[i].state);
    if (!verdicts[i].hotfix.empty()) {
      text += " " + std::string(verdicts[i].hotfix);
    }
    return text;
  }
  return "no requirement " + id;
}
