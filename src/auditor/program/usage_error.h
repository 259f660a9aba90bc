// A command line, or a file the auditor names on it, that an auditor's
// program refuses before it writes anything: the run ends with the message
// and the usage line on standard error, and exit code 2.
#ifndef HOTFIXES_AUDITOR_PROGRAM_USAGE_ERROR_H_
#define HOTFIXES_AUDITOR_PROGRAM_USAGE_ERROR_H_

#include <string>

struct UsageError {
  std::string message;  // one line, without the program's name
};

#endif  // HOTFIXES_AUDITOR_PROGRAM_USAGE_ERROR_H_
