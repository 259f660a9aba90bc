// Why a bulletin data file cannot be read at all: thrown by the readers
// of its layers (zip, XML, workbook, CSV, header) and turned into the one
// line the program writes about the file.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_READ_FAILURE_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_READ_FAILURE_H_

#include <string>

struct ReadFailure {
  std::string message;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_READ_FAILURE_H_
