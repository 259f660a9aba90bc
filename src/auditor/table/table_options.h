// What the command line asks of hotfixes-table.
#ifndef HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
#define HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_

#include <string>
#include <vector>

#include "auditor/program/program_shell.h"
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

// Its name, usage line and --help.
extern const ProgramText kTableProgram;

Options ParseArguments(const std::vector<std::string>& arguments);

#endif  // HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
