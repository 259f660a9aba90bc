// What the command line asks of hotfixes-baseline.
#ifndef HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_
#define HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_

#include <string>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"
#include "auditor/program/program_shell.h"

struct BaselineOptions {
  std::vector<std::string> components;         // each --component TEXT
  bool listComponents = false;                 // --components
  DateOrder dateOrder = DateOrder::kNotKnown;  // --date-order dmy|mdy
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
};

// Its name, usage line and --help.
extern const ProgramText kBaselineProgram;

// A command line the program refuses before it reads anything is a
// UsageError.
BaselineOptions ParseBaselineArguments(
    const std::vector<std::string>& arguments);

#endif  // HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_
