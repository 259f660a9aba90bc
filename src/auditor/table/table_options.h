// What the command line asks of hotfixes-table.
#ifndef HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
#define HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_

#include <string>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/program/usage_error.h"
#include "auditor/table/judge/judgement.h"
#include "auditor/table/read/report_files.h"
#include "auditor/table/write/table_writer.h"

// The command line, as one settings value for each stage.
struct Options {
  ReadSettings read;
  JudgeSettings judge;
  WriteSettings write;
  bool help = false;
  bool version = false;
};

// The usage line, without its line end.
extern const char kTableUsage[];

Options ParseArguments(const std::vector<std::string>& arguments);

// Every option, what PATH may be, and the exit codes, for --help.
void WriteHelp(TextOutput& out);
// "hotfixes-table VERSION", for --version.
void WriteVersion(TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
