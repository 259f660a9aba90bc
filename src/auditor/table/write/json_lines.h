// The table as JSON Lines, for pipelines: one JSON object (RFC 8259) per
// machine and line, valid whatever bytes a report holds.
//
//   {"machine":"PC042","status":"complete","windows":"Windows XP",
//    "service_pack":3,"os":"...","found":2,"problem":"",
//    "reported":"2026-12-01T10:00:05Z","owner":"DOMAIN\\PC042$",
//    "hotfixes":[{"hotfix_id":"KB958644","comment":"..."}],
//    "findings":[{"requirement":"MS08-067","state":"installed",
//                 "hotfix":"KB958644"}]}
//
// "windows" is the Windows without its service pack, "service_pack" its
// level (null, like "found" of a report that is not complete, when not
// known); "findings" only with a baseline.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_JSON_LINES_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_JSON_LINES_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/read/machine_report.h"
#include "auditor/vocabulary/windows_release.h"

// Appends `text` as a JSON string: quotes, backslashes and control
// characters escaped, and a byte that is not UTF-8 as U+FFFD.
void AppendJsonString(std::string_view text, std::string& out);

// The machine's line as `line`, without its closing brace and line end,
// for members that follow.
void AppendJsonLineStart(const MachineReport& report,
                         const WindowsRelease& release,
                         const Baseline& baseline,
                         const std::vector<Verdict>& verdicts,
                         std::string& line);

void WriteJsonLine(const MachineReport& report, const WindowsRelease& release,
                   const Baseline& baseline,
                   const std::vector<Verdict>& verdicts, TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_JSON_LINES_H_
