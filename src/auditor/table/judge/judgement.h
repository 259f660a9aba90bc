// Judging: whether a report falls short of what the table is held to, a
// list of required hotfixes or a baseline, said on standard error.
#ifndef HOTFIXES_AUDITOR_TABLE_JUDGE_JUDGEMENT_H_
#define HOTFIXES_AUDITOR_TABLE_JUDGE_JUDGEMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/judge/required_hotfixes.h"
#include "auditor/table/read/machine_report.h"

// What the judging stage takes of the command line.
struct JudgeSettings {
  std::string requireFile;                 // --require
  std::vector<std::string> baselineFiles;  // --baseline, oldest first
  int staleAfterDays = -1;  // --stale-after; -1: no report is stale
};

// What the table is judged by: a list of required hotfixes, or a
// baseline, or neither.
struct Judgement {
  const RequiredHotfixes& required;
  const Baseline& baseline;
};

// The list of --require, read; a fault in it is a UsageError.
RequiredHotfixes ReadRequiredHotfixes(const JudgeSettings& settings);
// Every --baseline file as one baseline; a fault in one is a UsageError.
// Standard error says which requirements a later file replaced, and which
// files' titles held characters now shown by their code points.
Baseline ReadBaseline(const JudgeSettings& settings, TextOutput& errors);

// How grave a requirement is, by the first word of its title, as a
// catalog writes it ("Critical: ..."): 0 Critical, 1 Important,
// 2 Moderate, 3 Low, 4 a title that names none (sorts last).
int SeverityRank(std::string_view title);

// Whether a complete report falls short: lacks a required hotfix, or is
// exposed to a requirement (`verdicts`, the baseline's on it). Says so on
// standard error for any report, complete or not; of a thousand
// requirements the line names the first few, the gravest first:
//   PC042 lacks KB823980, KB835732
//   PC042 (Windows XP SP1): exposed to 37 requirements (30 missing,
//   7 no update): MS08-067, MS09-001, MS10-012 and 34 more
bool JudgeReport(const MachineReport& report,
                 const std::vector<Verdict>& verdicts,
                 const Judgement& judgement, TextOutput& errors);

#endif  // HOTFIXES_AUDITOR_TABLE_JUDGE_JUDGEMENT_H_
