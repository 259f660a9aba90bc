// What the command line asks of hotfixes-baseline.
#ifndef HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_
#define HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_

#include <string>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"
#include "auditor/files/text_output.h"

struct BaselineOptions {
  std::vector<std::string> components;         // each --component TEXT
  bool listComponents = false;                 // --components
  DateOrder dateOrder = DateOrder::kNotKnown;  // --date-order dmy|mdy
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
};

// A command line the program refuses before it reads anything.
struct BaselineUsageError {
  std::string message;
};

// The usage lines, without their last line end.
extern const char kBaselineUsage[];

BaselineOptions ParseBaselineArguments(
    const std::vector<std::string>& arguments);

// The options, what FILE may be, and the exit codes, for --help.
void WriteBaselineHelp(TextOutput& out);
// "hotfixes-baseline VERSION", for --version.
void WriteBaselineVersion(TextOutput& out);

#endif  // HOTFIXES_AUDITOR_BASELINE_BASELINE_OPTIONS_H_
