// hotfixes-baseline: Microsoft's bulletin data turned into a baseline.
//
//   hotfixes-baseline [--component TEXT]... FILE... > baseline.txt
//   hotfixes-baseline --components FILE...    (the components to choose from)
#ifndef HOTFIXES_AUDITOR_BASELINE_BASELINE_PROGRAM_H_
#define HOTFIXES_AUDITOR_BASELINE_BASELINE_PROGRAM_H_

#include <string>
#include <vector>

#include "auditor/program/program_shell.h"

// Exit codes.
const int kBaselineWritten = kProgramDone;
// Or a FILE unreadable, or no baseline the table reads; nothing written.
const int kBaselineUsageError = kProgramUsageError;
const int kBaselineOutputFailed = kProgramOutputFailed;

// The whole run, given the arguments after the program's name; returns the
// exit code.
int RunBaseline(const std::vector<std::string>& arguments);

#endif  // HOTFIXES_AUDITOR_BASELINE_BASELINE_PROGRAM_H_
