// JSON Lines with --since: each machine's line gains a "since" object,
//
//   "since":{"change":"changed","reported_before":"2026-11-03T10:00:05Z",
//            "windows_before":"Windows XP SP2","status_before":"complete",
//            "added":["KB958644"],"removed":[],
//            "requirements":[{"requirement":"MS08-067","before":"missing",
//                             "now":"installed"}]}
//
// (the "before" members null for a new machine, "requirements" only with a
// baseline), and each gone machine a line of its own, of status "gone",
// with what the earlier audit said of it.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_JSON_SINCE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_JSON_SINCE_H_

#include <string>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/judge/changes.h"

// Appends ,"since":{...} to a line's members.
void AppendJsonSince(const MachineChange& change, const Baseline& baseline,
                     std::string& line);

// The line of a gone machine; `staleKey`: with "stale":false, as every
// line has with --stale-after.
void WriteJsonGoneLine(const MachineChange& change, const Baseline& baseline,
                       bool staleKey, TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_JSON_SINCE_H_
