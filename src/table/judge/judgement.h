// Judging: whether a report falls short of what the table is held to, a
// list of required hotfixes or a baseline, said on standard error.
#ifndef HOTFIXES_TABLE_JUDGE_JUDGEMENT_H_
#define HOTFIXES_TABLE_JUDGE_JUDGEMENT_H_

#include <vector>

#include "files/text_output.h"
#include "table/judge/baseline.h"
#include "table/judge/hotfix_names.h"
#include "table/read/machine_report.h"

// What the table is judged by: a list of required hotfixes, or a
// baseline, or neither.
struct Judgement {
  const RequiredHotfixes& required;
  const Baseline& baseline;
};

// Whether a complete report falls short: lacks a required hotfix, or is
// exposed to a requirement (`verdicts`, the baseline's on it). Says so on
// standard error for any report, complete or not:
//   PC042 lacks KB823980, KB835732
//   PC042 (Windows XP SP1): MS08-067 no update; MS04-011 missing (KB835732)
bool JudgeReport(const MachineReport& report,
                 const std::vector<Verdict>& verdicts,
                 const Judgement& judgement, TextOutput& errors);

#endif  // HOTFIXES_TABLE_JUDGE_JUDGEMENT_H_
