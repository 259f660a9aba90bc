#include "auditor/table/read/report_files.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "auditor/files/file_access.h"
#include "auditor/table/read/report_parser.h"
#include "auditor/text/ascii.h"
#include "auditor/text/text_decoding.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/baseline_text.h"
#include "auditor/vocabulary/machine_key.h"

namespace {

// Far beyond any report (a few hundred kilobytes for thousands of
// hotfixes): a larger file is something else and is not read into memory,
// where decoding it would take several times its size.
const std::uint64_t kLargestReport = 16u << 20;

// A report file whose machine is the file's own name (`name`, the part of
// `path` behind its folder) without its last extension.
ReportFile MakeReportFile(const std::string& path, std::string name,
                          bool link) {
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  ReportFile file{path, AnsiAsUtf8(name), std::string(), link, false};
  file.hiddenCharacters = ShowInvisibleCharacters(file.machine);
  file.sortKey = MachineKey(file.machine);
  return file;
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
  report.owner = AnsiAsUtf8(facts.owner);
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

// A baseline, which is the largest file an auditor names: an own list of
// hotfixes is far smaller.
const std::uint64_t kLargestAuditorFile = kLargestBaseline;

}  // namespace

bool IsReportFileName(std::string_view name) {
  return EndsWithNoCase(name, ".txt");
}

std::string ReadAuditorFile(const std::string& path) {
  std::string bytes, text;
  FileFacts facts;
  DWORD error = 0;
  const std::string shown = ShownPath(path);
  switch (ReadWholeFile(path, kLargestAuditorFile, bytes, facts, error)) {
    case ReadResult::kFailed:
      throw UsageError{"cannot read " + shown + ": " +
                       DescribeSystemError(error)};
    case ReadResult::kTooLarge:
      throw UsageError{"cannot read " + shown +
                       ": larger than 64 MiB, the most a baseline or a list "
                       "of hotfixes may hold"};
    case ReadResult::kRead: break;
  }
  TextFault fault;
  if (!DecodeAuditorText(bytes, text, fault)) {
    throw UsageError{shown + ":" + std::to_string(fault.line) + ": " +
                     fault.what};
  }
  return text;
}

std::vector<ReportFile> CollectReportFiles(
    const std::vector<std::string>& paths) {
  std::vector<ReportFile> files;
  for (const std::string& path : paths) {
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
          if (IsReportFileName(entry.name)) {
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
