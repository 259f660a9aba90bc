#include "table/judge/judgement.h"

#include <string>

namespace {

void ListLackedHotfixes(const MachineReport& report,
                        const std::vector<std::string>& lacked,
                        TextOutput& errors) {
  errors << report.machine;
  if (report.status != ReportStatus::kComplete) {
    errors << " (" << StatusName(report.status) << ")";
  }
  errors << " lacks";
  for (std::size_t i = 0; i < lacked.size(); ++i) {
    errors << (i == 0 ? " " : ", ") << lacked[i];
  }
  errors << "\r\n";
}

// "PC042 (Windows XP SP1): MS08-067 no update; MS04-011 missing
// (KB835732)": the requirements the machine is exposed to. False, and
// nothing written, when there are none.
bool ListExposures(const MachineReport& report, const Baseline& baseline,
                   const std::vector<Verdict>& verdicts, TextOutput& errors) {
  std::string line;
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    if (!IsExposed(verdicts[i].state)) continue;
    line += line.empty() ? ": " : "; ";
    line.append(baseline.requirements()[i].id).append(" ");
    line += VerdictStateName(verdicts[i].state);
    if (!verdicts[i].hotfix.empty()) {
      line.append(" (").append(verdicts[i].hotfix).append(")");
    }
  }
  if (line.empty()) return false;
  errors << report.machine << " (" << report.windows;
  if (report.status != ReportStatus::kComplete) {
    errors << ", " << StatusName(report.status);
  }
  errors << ")" << line << "\r\n";
  return true;
}

}  // namespace

bool JudgeReport(const MachineReport& report,
                 const std::vector<Verdict>& verdicts,
                 const Judgement& judgement, TextOutput& errors) {
  const bool complete = report.status == ReportStatus::kComplete;
  if (!judgement.baseline.empty()) {
    return ListExposures(report, judgement.baseline, verdicts, errors) &&
           complete;
  }
  // Of a report that could not be read nothing is known, not even what
  // it lacks: its status says so.
  if (report.status == ReportStatus::kUnreadable) return false;
  const std::vector<std::string> lacked = judgement.required.LackedBy(report);
  if (lacked.empty()) return false;
  ListLackedHotfixes(report, lacked, errors);
  return complete;
}
