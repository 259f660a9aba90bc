// Reading: the files the command line names, and the report each holds.
#ifndef HOTFIXES_AUDITOR_TABLE_READ_REPORT_FILES_H_
#define HOTFIXES_AUDITOR_TABLE_READ_REPORT_FILES_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/program/usage_error.h"
#include "auditor/table/read/machine_report.h"
#include "platform/platform.h"

// What the reading stage takes of the command line.
struct ReadSettings {
  std::vector<std::string> paths;  // PATH...: report files and folders
  UINT codePage = 1252;            // --codepage: the reports'
  std::vector<std::string> since;  // --since: earlier audits, oldest first
};

struct ReportFile {
  std::string path;
  std::string machine;  // UTF-8, every invisible character shown
  std::string sortKey;  // MachineKey(machine)
  bool link = false;    // a symbolic link found in a folder: not followed
  bool hiddenCharacters = false;  // in the machine name
};

// Whether a file's name is a report's: *.txt, in any letter case.
bool IsReportFileName(std::string_view name);

// The text of a file the auditor names (a baseline, a list of hotfixes):
// UTF-8 or UTF-16, whatever code page the reports are in. A file that
// cannot be read, or is no such text, is a UsageError.
std::string ReadAuditorFile(const std::string& path);

// Every report the paths name, in table order: by machine name without
// regard to letter case. A path that is not there is a UsageError.
std::vector<ReportFile> CollectReportFiles(
    const std::vector<std::string>& paths);

// Says on standard error which files name one machine.
void WarnAboutSharedNames(const std::vector<ReportFile>& files,
                          TextOutput& errors);

// The report of one file, as far as it can be read, every failure its
// status (`bytes` and `text` are reused from file to file); true when the
// file's name or content held characters now shown by their code points.
bool ReadReport(const ReportFile& file, UINT codePage, std::string& bytes,
                std::string& text, MachineReport& report);

#endif  // HOTFIXES_AUDITOR_TABLE_READ_REPORT_FILES_H_
