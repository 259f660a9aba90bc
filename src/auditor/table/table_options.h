// What the command line asks of hotfixes-table.
#ifndef HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
#define HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_

#include <string>
#include <vector>

#include "auditor/files/text_output.h"
#include "platform/platform.h"

enum class Format {
  kCsv,        // a row per hotfix entry, or per requirement
  kHtml,       // the page a person looks at
  kWide,       // a CSV row per machine, a column per hotfix or requirement
  kJsonLines,  // a JSON object per machine and line
  kChanges,    // a CSV row per change since an earlier audit, and detail
};

struct Options {
  Format format = Format::kCsv;
  bool byteOrderMark = false;
  std::string requireFile;
  std::vector<std::string> baselineFiles;  // later ones replace earlier IDs
  bool exposedOnly = false;  // the findings CSV's missing and no update rows
  UINT codePage = 1252;
  std::vector<std::string> paths;
  std::vector<std::string> since;  // earlier audits, oldest first
  int staleAfterDays = -1;         // -1: no report is stale
  bool help = false;
  bool version = false;
};

// A bad command line or input that stops the run before the table.
struct UsageError {
  std::string message;
};

// The usage line, without its line end.
extern const char kTableUsage[];

Options ParseArguments(const std::vector<std::string>& arguments);

// Every option, what PATH may be, and the exit codes, for --help.
void WriteHelp(TextOutput& out);
// "hotfixes-table VERSION", for --version.
void WriteVersion(TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_TABLE_OPTIONS_H_
