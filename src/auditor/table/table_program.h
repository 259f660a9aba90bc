// hotfixes-table: turns a folder of reports into one table.
//
//   hotfixes-table [--format csv|html|wide|jsonl|changes] [--bom]
//                  [--require FILE | --baseline FILE... [--exposed]]
//                  [--codepage N] [--since EARLIER]... [--stale-after DAYS]
//                  PATH...
#ifndef HOTFIXES_AUDITOR_TABLE_TABLE_PROGRAM_H_
#define HOTFIXES_AUDITOR_TABLE_TABLE_PROGRAM_H_

#include <string>
#include <vector>

#include "auditor/program/program_shell.h"

// Exit codes.
const int kTableComplete = kProgramDone;  // every report complete, none
                                          // lacking
const int kTableLacking = 1;  // a complete report lacks a required fix, or
                              // is exposed to a requirement of the baseline
const int kTableUsageError = kProgramUsageError;  // nothing written
const int kTableReportProblem = 3;  // a report failed, cut short, unreadable
const int kTableOutputFailed = kProgramOutputFailed;  // not written whole

// The whole run, given the arguments after the program's name; returns the
// exit code.
int RunTable(const std::vector<std::string>& arguments);

#endif  // HOTFIXES_AUDITOR_TABLE_TABLE_PROGRAM_H_
