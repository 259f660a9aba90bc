#include "table/table_program.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

#include "table/baseline.h"
#include "table/csv_table.h"
#include "table/file_access.h"
#include "table/fleet.h"
#include "table/hotfix_names.h"
#include "table/html_table.h"
#include "table/report_parser.h"
#include "table/text_decoding.h"
#include "table/text_output.h"
#include "table/visible_text.h"
#include "table/windows_release.h"

namespace {

const char kUsage[] =
    "usage: hotfixes-table [--format csv|html] [--bom] "
    "[--require FILE | --baseline FILE] [--codepage N] PATH...";
const UINT kDefaultCodePage = 1252;
// Far beyond any report (a few hundred kilobytes for thousands of
// hotfixes): a larger file is something else and is not read into memory,
// where decoding it would take several times its size.
const std::uint64_t kLargestReport = 16u << 20;

enum class Format { kCsv, kHtml };

struct Options {
  Format format = Format::kCsv;
  bool byteOrderMark = false;
  std::string requireFile;
  std::string baselineFile;
  UINT codePage = kDefaultCodePage;
  std::vector<std::string> paths;
  bool help = false;
};

// A bad command line or input that stops the run before the table.
struct UsageError {
  std::string message;
};

struct ReportFile {
  std::string path;
  std::string machine;  // UTF-8, every invisible character shown
  std::string sortKey;  // the machine name with ASCII letters in upper case
  bool link = false;    // a symbolic link found in a folder: not followed
  bool hiddenCharacters = false;  // in the machine name
};

bool ParseCodePage(const std::string& text, UINT& codePage) {
  if (text.empty() || text.size() > 5 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  codePage = static_cast<UINT>(std::stoul(text));
  return codePage != 0;
}

Options ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
      options.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    if (argument == "--help" || argument == "-h" || argument == "/?") {
      options.help = true;
      continue;
    }
    if (argument == "--bom") {
      options.byteOrderMark = true;
      continue;
    }
    if (argument != "--format" && argument != "--require" &&
        argument != "--baseline" && argument != "--codepage") {
      throw UsageError{"unknown option " + argument};
    }
    if (i + 1 == arguments.size()) {
      throw UsageError{argument + " needs a value"};
    }
    const std::string& value = arguments[++i];
    if (argument == "--format") {
      if (value != "csv" && value != "html") {
        throw UsageError{"unknown format " + value + " (csv or html)"};
      }
      options.format = value == "csv" ? Format::kCsv : Format::kHtml;
    } else if (argument == "--require") {
      options.requireFile = value;
    } else if (argument == "--baseline") {
      options.baselineFile = value;
    } else if (!ParseCodePage(value, options.codePage) ||
               !platform::IsValidCodePage(options.codePage)) {
      throw UsageError{"unknown code page " + value};
    }
  }
  if (!options.help && options.paths.empty()) {
    throw UsageError{"no report file or folder given"};
  }
  if (options.byteOrderMark && options.format != Format::kCsv) {
    throw UsageError{"--bom goes with the CSV only"};
  }
  if (!options.requireFile.empty() && !options.baselineFile.empty()) {
    throw UsageError{"--require and --baseline do not go together"};
  }
  return options;
}

std::string Utf8Path(const std::string& path) {
  std::string text;
  if (!AppendAnsiAsUtf8(path.data(), path.size(), CP_ACP, text)) return path;
  return text;
}

// A path as the messages show it: a file's name is the share's, and no
// character of it may move or hide what standard error shows.
std::string ShownPath(const std::string& path) {
  return Visible(Utf8Path(path));
}

// The text of a file the auditor names, read like a report: its
// byte-order mark, else the code page.
std::string ReadAuditorFile(const std::string& path, UINT codePage) {
  std::string bytes, text, problem;
  FileFacts facts;
  DWORD error = 0;
  const std::string shown = ShownPath(path);
  switch (ReadWholeFile(path, kLargestReport, bytes, facts, error)) {
    case ReadResult::kFailed:
      throw UsageError{"cannot read " + shown + ": " +
                       DescribeSystemError(error)};
    case ReadResult::kTooLarge:
      throw UsageError{"cannot read " + shown + ": too large"};
    case ReadResult::kRead: break;
  }
  if (!DecodeFileText(bytes, codePage, text, problem)) {
    throw UsageError{"cannot read " + shown + ": " + problem};
  }
  return text;
}

RequiredHotfixes ReadRequiredHotfixes(const Options& options) {
  RequiredHotfixes required;
  if (options.requireFile.empty()) return required;
  required.Parse(ReadAuditorFile(options.requireFile, options.codePage));
  return required;
}

Baseline ReadBaseline(const Options& options) {
  Baseline baseline;
  if (options.baselineFile.empty()) return baseline;
  std::string error;
  if (!baseline.Parse(ReadAuditorFile(options.baselineFile, options.codePage),
                      ShownPath(options.baselineFile), error)) {
    throw UsageError{error};
  }
  return baseline;
}

bool EndsWithTxt(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return tail == ".txt";
}

// A report file whose machine is the file's own name (`name`, the part of
// `path` behind its folder) without its last extension.
ReportFile MakeReportFile(const std::string& path, std::string name,
                          bool link) {
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  ReportFile file{path, Utf8Path(name), std::string(), link, false};
  file.hiddenCharacters = ShowInvisibleCharacters(file.machine);
  file.sortKey = file.machine;
  for (char& c : file.sortKey) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return file;
}

// Every report the paths name, in table order: by machine name without
// regard to letter case.
std::vector<ReportFile> CollectReportFiles(const Options& options) {
  std::vector<ReportFile> files;
  for (const std::string& path : options.paths) {
    DWORD error = 0;
    switch (KindOfPath(path, error)) {
      case PathKind::kMissing:
        throw UsageError{ShownPath(path) + ": " + DescribeSystemError(error)};
      // Named by the auditor: followed, whatever it is.
      case PathKind::kFile:
        files.push_back(
            MakeReportFile(path, path.substr(NameStartIn(path)), false));
        break;
      case PathKind::kFolder: {
        std::vector<FolderEntry> entries;
        if (!ListFilesIn(path, entries, error)) {
          throw UsageError{"cannot list " + ShownPath(path) + ": " +
                           DescribeSystemError(error)};
        }
        for (const FolderEntry& entry : entries) {
          if (EndsWithTxt(entry.name)) {
            files.push_back(MakeReportFile(PathInFolder(path, entry.name),
                                           entry.name, entry.link));
          }
        }
        break;
      }
    }
  }
  std::stable_sort(files.begin(), files.end(),
                   [](const ReportFile& a, const ReportFile& b) {
                     if (a.sortKey != b.sortKey) return a.sortKey < b.sortKey;
                     return a.machine < b.machine;
                   });
  return files;
}

// Every text the file gave the report, its invisible characters shown;
// true when it held any.
bool ShowInvisibleCharactersOf(MachineReport& report) {
  bool any = ShowInvisibleCharacters(report.os);
  for (HotfixEntry& entry : report.entries) {
    any = ShowInvisibleCharacters(entry.name) || any;
    any = ShowInvisibleCharacters(entry.comment, LineBreaks::kKept) || any;
  }
  any = ShowInvisibleCharacters(report.problem) || any;
  return ShowInvisibleCharacters(report.owner) || any;
}

// Reads one report file; every failure becomes the report's status.
void ReadReportFile(const ReportFile& file, UINT codePage, std::string& bytes,
                    std::string& text, MachineReport& report) {
  if (file.link) {
    report.problem = "not a report: a symbolic link";
    return;
  }
  FileFacts facts;
  DWORD error = 0;
  const ReadResult result =
      ReadWholeFile(file.path, kLargestReport, bytes, facts, error);
  report.reported = FormatUtcTime(facts.lastWrite);
  report.owner = Utf8Path(facts.owner);
  switch (result) {
    case ReadResult::kFailed:
      report.problem = "cannot be read: " + DescribeSystemError(error);
      return;
    case ReadResult::kTooLarge:
      report.problem = "not a report: larger than 16 MiB";
      return;
    case ReadResult::kRead: break;
  }
  try {
    if (!DecodeFileText(bytes, codePage, text, report.problem)) return;
    ParseReportText(text, report);
  } catch (const std::bad_alloc&) {
    // One file too much for this machine's memory stops no other.
    const std::string reported = report.reported, owner = report.owner;
    report = MachineReport();
    report.reported = reported;
    report.owner = owner;
    report.problem = "cannot be read: not enough memory";
  }
}

// The report of one file, as far as it can be read; true when the file's
// name or content held characters now shown by their code points.
bool ReadReport(const ReportFile& file, UINT codePage, std::string& bytes,
                std::string& text, MachineReport& report) {
  report.entries.clear();
  report.found.clear();
  report.os.clear();
  report.problem.clear();
  report.reported.clear();
  report.owner.clear();
  report.windows.clear();
  report.status = ReportStatus::kUnreadable;
  ReadReportFile(file, codePage, bytes, text, report);
  report.machine = file.machine;
  return ShowInvisibleCharactersOf(report) || file.hiddenCharacters;
}

void WarnAboutSharedNames(const std::vector<ReportFile>& files,
                          TextOutput& errors) {
  for (std::size_t i = 1; i < files.size(); ++i) {
    if (files[i].sortKey == files[i - 1].sortKey) {
      errors << "hotfixes-table: " << ShownPath(files[i - 1].path) << " and "
             << ShownPath(files[i].path)
             << " are reports of one machine name; both are listed\r\n";
    }
  }
}

void ListLackedHotfixes(const MachineReport& report,
                        const std::vector<std::string>& lacked,
                        TextOutput& errors) {
  errors << report.machine;
  if (report.status != ReportStatus::kComplete) {
    errors << " (" << StatusName(report.status) << ")";
  }
  errors << " lacks";
  for (std::size_t i = 0; i < lacked.size(); ++i) {
    errors << (i == 0 ? " " : ", ") << lacked[i];
  }
  errors << "\r\n";
}

// "PC042 (Windows XP SP1): MS08-067 no update; MS04-011 missing
// (KB835732)": the requirements the machine is exposed to. False, and
// nothing written, when there are none.
bool ListExposures(const MachineReport& report, const Baseline& baseline,
                   const std::vector<Verdict>& verdicts, TextOutput& errors) {
  std::string line;
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    if (!IsExposed(verdicts[i].state)) continue;
    line += line.empty() ? ": " : "; ";
    line.append(baseline.requirements()[i].id).append(" ");
    line += VerdictStateName(verdicts[i].state);
    if (!verdicts[i].hotfix.empty()) {
      line.append(" (").append(verdicts[i].hotfix).append(")");
    }
  }
  if (line.empty()) return false;
  errors << report.machine << " (" << report.windows;
  if (report.status != ReportStatus::kComplete) {
    errors << ", " << StatusName(report.status);
  }
  errors << ")" << line << "\r\n";
  return true;
}

// What the table is judged by: a list of required hotfixes, or a
// baseline, or neither.
struct Judgement {
  const RequiredHotfixes& required;
  const Baseline& baseline;
};

// Whether a complete report falls short of what the table is judged by;
// says so on standard error for any report.
bool JudgeReport(const MachineReport& report,
                 const std::vector<Verdict>& verdicts,
                 const Judgement& judgement, TextOutput& errors) {
  const bool complete = report.status == ReportStatus::kComplete;
  if (!judgement.baseline.empty()) {
    return ListExposures(report, judgement.baseline, verdicts, errors) &&
           complete;
  }
  // Of a report that could not be read nothing is known, not even what
  // it lacks: its status says so.
  if (report.status == ReportStatus::kUnreadable) return false;
  const std::vector<std::string> lacked = judgement.required.LackedBy(report);
  if (lacked.empty()) return false;
  ListLackedHotfixes(report, lacked, errors);
  return complete;
}

int WriteTable(const Options& options, const Judgement& judgement,
               const std::vector<ReportFile>& files, TextOutput& errors) {
  TextOutput table(STD_OUTPUT_HANDLE);
  const Baseline& baseline = judgement.baseline;
  std::unique_ptr<FleetBuilder> fleet;
  if (options.format == Format::kHtml) {
    fleet = std::make_unique<FleetBuilder>(judgement.required, baseline);
  } else {
    // Excel reads a CSV without it in the ANSI code page.
    if (options.byteOrderMark) table << "\xEF\xBB\xBF";
    if (baseline.empty()) {
      WriteCsvHeader(table);
    } else {
      WriteCsvFindingsHeader(table);
    }
  }
  bool problems = false, lacking = false;
  std::string bytes, text;
  MachineReport report;
  std::vector<Verdict> verdicts;
  for (const ReportFile& file : files) {
    if (ReadReport(file, options.codePage, bytes, text, report)) {
      errors << "hotfixes-table: " << ShownPath(file.path)
             << ": characters that cannot be seen or that move text, shown"
                " as <U+code point>\r\n";
    }
    const WindowsRelease release = WindowsReleaseOf(report.os);
    report.windows = release.Display();
    if (!baseline.empty()) verdicts = baseline.Judge(report, release);
    if (fleet) {
      fleet->Add(report, verdicts);
    } else if (baseline.empty()) {
      WriteCsvRows(report, table);
    } else {
      WriteCsvFindings(report, baseline, verdicts, table);
    }
    problems = problems || report.status != ReportStatus::kComplete;
    lacking = JudgeReport(report, verdicts, judgement, errors) || lacking;
  }
  if (fleet) WriteHtmlPage(fleet->Finish(), table);
  table.Flush();
  if (table.error() != 0) {
    errors << "hotfixes-table: cannot write the table: "
           << DescribeSystemError(table.error()) << "\r\n";
    return kTableOutputFailed;
  }
  if (problems) return kTableReportProblem;
  return lacking ? kTableLacking : kTableComplete;
}

}  // namespace

int RunTable(const std::vector<std::string>& arguments) {
  TextOutput errors(STD_ERROR_HANDLE);
  try {
    const Options options = ParseArguments(arguments);
    if (options.help) {
      TextOutput out(STD_OUTPUT_HANDLE);
      out << kUsage << "\r\n";
      return kTableComplete;
    }
    const RequiredHotfixes required = ReadRequiredHotfixes(options);
    const Baseline baseline = ReadBaseline(options);
    const std::vector<ReportFile> files = CollectReportFiles(options);
    WarnAboutSharedNames(files, errors);
    return WriteTable(options, Judgement{required, baseline}, files, errors);
  } catch (const UsageError& error) {
    errors << "hotfixes-table: " << error.message << " (" << kUsage << ")\r\n";
    return kTableUsageError;
  } catch (const std::bad_alloc&) {
    errors << "hotfixes-table: out of memory\r\n";
    return kTableOutputFailed;
  }
}
