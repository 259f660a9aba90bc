#include "auditor/table/judge/judgement.h"

#include <string>

#include "auditor/files/file_access.h"
#include "auditor/table/read/report_files.h"
#include "auditor/text/ascii.h"

namespace {

// A line names this many IDs; four are named rather than three and
// "1 more".
const std::size_t kIdsNamed = 3;

// As a catalog's titles start, the gravest first.
const std::string_view kSeverities[] = {"critical", "important", "moderate",
                                        "low"};
const int kSeverityRanks = 4;  // a title without one

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

bool StartsWithWord(std::string_view text, std::string_view word) {
  if (!StartsWithNoCase(text, word)) return false;
  return text.size() == word.size() || text[word.size()] == ':' ||
         text[word.size()] == ' ';
}

// The first `count` requirements the machine is exposed to, the gravest
// first, then in the baseline's order.
std::string NameGravest(const Baseline& baseline,
                        const std::vector<Verdict>& verdicts,
                        std::size_t count) {
  std::string names;
  std::size_t named = 0;
  for (int rank = 0; rank <= kSeverityRanks && named < count; ++rank) {
    for (std::size_t i = 0; i < verdicts.size() && named < count; ++i) {
      if (!IsExposed(verdicts[i].state)) continue;
      const BaselineRequirement& requirement = baseline.requirements()[i];
      if (SeverityRank(requirement.title) != rank) continue;
      if (named++ > 0) names += ", ";
      names += requirement.id;
    }
  }
  return names;
}

// "exposed to 37 requirements (30 missing, 7 no update): MS08-067,
// MS09-001, MS10-012 and 34 more"; empty when there are none.
std::string DescribeExposure(const Baseline& baseline,
                             const std::vector<Verdict>& verdicts) {
  std::size_t missing = 0, noUpdate = 0;
  for (const Verdict& verdict : verdicts) {
    if (verdict.state == VerdictState::kMissing) ++missing;
    if (verdict.state == VerdictState::kNoUpdate) ++noUpdate;
  }
  const std::size_t exposed = missing + noUpdate;
  if (exposed == 0) return std::string();
  std::string line = "exposed to " + std::to_string(exposed) +
                     (exposed == 1 ? " requirement (" : " requirements (");
  if (missing > 0) line += std::to_string(missing) + " missing";
  if (missing > 0 && noUpdate > 0) line += ", ";
  if (noUpdate > 0) line += std::to_string(noUpdate) + " no update";
  line += "): ";
  const std::size_t named = exposed <= kIdsNamed + 1 ? exposed : kIdsNamed;
  line += NameGravest(baseline, verdicts, named);
  if (named < exposed) {
    line += " and " + std::to_string(exposed - named) + " more";
  }
  return line;
}

// "PC042 (Windows XP SP1): exposed to ...": false, and nothing written,
// when the machine is exposed to none.
bool ListExposures(const MachineReport& report, const Baseline& baseline,
                   const std::vector<Verdict>& verdicts, TextOutput& errors) {
  const std::string exposure = DescribeExposure(baseline, verdicts);
  if (exposure.empty()) return false;
  errors << report.machine << " (" << report.windows;
  if (report.status != ReportStatus::kComplete) {
    errors << ", " << StatusName(report.status);
  }
  errors << "): " << exposure << "\r\n";
  return true;
}

}  // namespace

int SeverityRank(std::string_view title) {
  int rank = 0;
  for (std::string_view severity : kSeverities) {
    if (StartsWithWord(title, severity)) return rank;
    ++rank;
  }
  return rank;
}

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

RequiredHotfixes ReadRequiredHotfixes(const JudgeSettings& settings) {
  RequiredHotfixes required;
  if (settings.requireFile.empty()) return required;
  std::string error;
  if (!required.Parse(ReadAuditorFile(settings.requireFile),
                      ShownPath(settings.requireFile), error)) {
    throw UsageError{error};
  }
  return required;
}

Baseline ReadBaseline(const JudgeSettings& settings, TextOutput& errors) {
  Baseline baseline;
  std::string error;
  for (const std::string& path : settings.baselineFiles) {
    if (!baseline.Add(ReadAuditorFile(path), ShownPath(path), error)) {
      throw UsageError{error};
    }
  }
  for (const std::string& note : baseline.ReadingNotes()) {
    errors << "hotfixes-table: " << note << "\r\n";
  }
  return baseline;
}
