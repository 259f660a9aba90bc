#include "auditor/table/read/report_parser.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "auditor/text/ascii.h"

namespace {

// The report's first lines: the program's description, its name and
// version, an empty line, the OS line and another empty line. The hotfix
// lines follow them.
const std::size_t kNameLine = 1;
const std::size_t kOsLine = 3;
const std::size_t kHeaderLines = 5;
const std::size_t kEmptyHeaderLines[] = {2, 4};
// Far more than the longest first line the program writes (a description,
// a file name of up to 260 characters and a version; an OS line): a longer
// one means the file is something else, e.g. one long line of data.
const std::size_t kLongestHeaderLine = 2048;
// Bounds no real report comes near (an OS line is under 120 bytes, a
// machine records hundreds of hotfixes): they keep one file from filling
// the table, whose OS column repeats on every row of its machine.
const std::size_t kLongestOsLine = 255;
const std::size_t kMostHotfixLines = 100000;

struct Lines {
  std::vector<std::string_view> text;  // without their line ends
  bool lastCut = false;                // the last one has no line end
};

Lines SplitLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool cut = end == std::string_view::npos;
    if (cut) end = text.size();
    std::string_view line = text.substr(start, end - start);
    // A file cut between CR and LF still ended its line; one converted to
    // CR LF twice ends its lines in CR CR LF.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.text.push_back(line);
    lines.lastCut = cut;
    start = end + 1;
  }
  return lines;
}

bool IsUpperHex(std::string_view text) {
  if (text.size() < 8 || text.size() > 16) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

// A count as the program writes it: decimal, without sign or leading
// zero, no larger than a signed 32-bit number.
bool IsCount(std::string_view n) {
  const std::string_view kLargest = "2147483647";
  if (!IsDigits(n) || (n.size() > 1 && n.front() == '0')) return false;
  return n.size() < kLargest.size() ||
         (n.size() == kLargest.size() && n <= kLargest);
}

// "Found N Hot-Fix": N, or false.
bool MatchCountLine(std::string_view line, std::string& number) {
  const std::string_view kStart = "Found ", kEnd = " Hot-Fix";
  if (!StartsWith(line, kStart) || !EndsWith(line, kEnd)) return false;
  std::string_view n =
      line.substr(kStart.size(), line.size() - kStart.size() - kEnd.size());
  if (!IsCount(n)) return false;
  number.assign(n.data(), n.size());
  return true;
}

// "Exception KIND in module NAME at OFFSET.": KIND, or false.
bool MatchFailureLine(std::string_view line, std::string_view& kind) {
  const std::string_view kStart = "Exception ", kModule = " in module ",
                         kAt = " at ";
  if (!StartsWith(line, kStart) || !EndsWith(line, ".")) return false;
  const std::size_t module = line.find(kModule, kStart.size());
  const std::size_t at = line.rfind(kAt);
  if (module == std::string_view::npos || at == std::string_view::npos ||
      at < module + kModule.size() ||
      !IsUpperHex(
          line.substr(at + kAt.size(), line.size() - 1 - at - kAt.size()))) {
    return false;
  }
  kind = line.substr(kStart.size(), module - kStart.size());
  return !kind.empty();
}

// "Runtime error NNN at ADDRESS", the number right-aligned in three
// columns: "Runtime error N at ADDRESS", or false.
bool MatchRuntimeErrorLine(std::string_view line, std::string& summary) {
  const std::string_view kStart = "Runtime error ", kAt = " at ";
  const std::size_t at = line.find(kAt, kStart.size());
  if (!StartsWith(line, kStart) || at == std::string_view::npos) return false;
  std::string_view number = line.substr(kStart.size(), at - kStart.size());
  while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
  const std::string_view address = line.substr(at + kAt.size());
  if (!IsDigits(number) || number.size() > 3 || !IsUpperHex(address)) {
    return false;
  }
  summary.assign(kStart);
  summary.append(number).append(kAt).append(address);
  return true;
}

// Why the lines before `end` cannot be the start of a report; empty when
// they can.
std::string HeaderProblem(const Lines& lines, std::size_t end) {
  for (std::size_t i = 0; i < end && i < kHeaderLines; ++i) {
    const std::string_view line = lines.text[i];
    const std::string number = std::to_string(i + 1);
    if (line.size() > kLongestHeaderLine) {
      return "not a report: line " + number + " is too long";
    }
    for (char c : line) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
        return "not a report: line " + number + " holds control characters";
      }
    }
    const bool whole = i + 1 < lines.text.size() || !lines.lastCut;
    if (i == kNameLine && whole && line.find(" Ver.") == std::string::npos) {
      return "not a report: line 2 is no program name and version";
    }
    for (std::size_t empty : kEmptyHeaderLines) {
      if (i == empty && !line.empty()) {
        return "not a report: line " + number + " is not empty";
      }
    }
  }
  return std::string();
}

// The hotfix lines between `begin` and `end`: a line "[NAME] COMMENT"
// starts an entry; any other line continues the comment before it.
// A line cut off inside its name ("[KB12") starts an entry too: that is
// what it most likely was.
void ReadEntries(const Lines& lines, std::size_t begin, std::size_t end,
                 std::vector<HotfixEntry>& entries) {
  for (std::size_t i = begin; i < end; ++i) {
    const std::string_view line = lines.text[i];
    std::size_t close = line.find("] ");
    if (close == std::string_view::npos && lines.lastCut &&
        i + 1 == lines.text.size()) {
      const std::size_t bracket = line.find(']');
      if (bracket == std::string_view::npos) close = line.size();
      if (bracket + 1 == line.size()) close = bracket;
    }
    if (StartsWith(line, "[") && close != std::string_view::npos) {
      entries.emplace_back();
      entries.back().name.assign(line.substr(1, close - 1));
      entries.back().comment.assign(
          line.substr(std::min(close + 2, line.size())));
    } else if (entries.empty()) {
      if (line.empty()) continue;
      // Not written by the program; kept, under no name, all the same.
      entries.emplace_back();
      entries.back().comment.assign(line);
    } else {
      entries.back().comment.append("\r\n").append(line);
    }
  }
}

struct Ending {
  ReportStatus status;
  std::size_t bodyEnd;  // where the hotfix lines end
  std::string found;
  std::string problem;
};

// Where the first `end` lines end but for empty ones: a copy that added a
// line end changes nothing.
std::size_t EndOfText(const std::vector<std::string_view>& text,
                      std::size_t end) {
  while (end > 0 && text[end - 1].empty()) --end;
  return end;
}

// A failure report whose first line is text[at]: its problem line (the
// kind and message), or false. The message line may be missing when the
// report was cut after its first line.
bool MatchFailureReport(const std::vector<std::string_view>& text,
                        std::size_t at, std::string& problem) {
  std::string_view kind;
  if (at >= text.size() || !MatchFailureLine(text[at], kind)) return false;
  problem.assign(kind);
  if (at + 1 < text.size() && !text[at + 1].empty()) {
    problem.append(": ").append(text[at + 1]);
  }
  return true;
}

// The lines that close a report that came to its end: the count line, the
// failure report, or the run-time error line (written after either of the
// other two when the end itself faulted).
Ending FindEnding(const Lines& lines) {
  const std::vector<std::string_view>& text = lines.text;
  const std::size_t n = text.size(), end = EndOfText(text, n);
  Ending ending{ReportStatus::kIncomplete, n, std::string(), std::string()};
  if (lines.lastCut || end == 0) return ending;
  std::string summary;
  if (end >= kHeaderLines + 2 && text[end - 2].empty() &&
      MatchCountLine(text[end - 1], ending.found)) {
    ending.status = ReportStatus::kComplete;
    ending.bodyEnd = end - 2;
    return ending;
  }
  // The failure report ends in an empty line of its own.
  for (std::size_t length : {2, 1}) {
    if (end >= length && end < n &&
        MatchFailureReport(text, end - length, ending.problem)) {
      ending.status = ReportStatus::kFailed;
      ending.bodyEnd = end - length;
      return ending;
    }
  }
  if (!MatchRuntimeErrorLine(text[end - 1], summary)) return ending;
  ending.status = ReportStatus::kFailed;
  ending.bodyEnd = end - 1;
  const std::size_t before = EndOfText(text, end - 1);
  std::string found, failure;
  if (before >= kHeaderLines + 2 && text[before - 2].empty() &&
      MatchCountLine(text[before - 1], found)) {
    ending.bodyEnd = before - 2;
  } else {
    for (std::size_t length : {2, 1}) {
      if (before >= length &&
          MatchFailureReport(text, before - length, failure)) {
        ending.bodyEnd = before - length;
        break;
      }
    }
  }
  ending.problem = failure.empty() ? summary : failure + "; " + summary;
  return ending;
}

bool StartsOrBegins(std::string_view line, std::string_view start) {
  return StartsWith(line, start) || StartsWith(start, line);
}

// Where the hotfix lines of a report cut short end: before what most
// likely followed them, the start of a failure report or a run-time error
// line, or the empty line and the start of the count line. `problem` then
// says so.
std::size_t EndOfCutHotfixLines(const Lines& lines, std::string& problem) {
  const std::vector<std::string_view>& text = lines.text;
  std::size_t end = text.size();
  std::string failure;
  if (lines.lastCut && end > kHeaderLines &&
      StartsOrBegins(text[end - 1], "Runtime error ")) {
    --end;
  }
  if (lines.lastCut && end == text.size() && end > kHeaderLines &&
      StartsOrBegins(text[end - 1], "Exception ")) {
    --end;
    problem += ", in its failure report";
  } else {
    for (std::size_t length : {1, 2}) {
      if (end >= kHeaderLines + length &&
          MatchFailureReport(text, end - length, failure)) {
        end -= length;
        problem += ", in its failure report (" + failure + ")";
        break;
      }
    }
  }
  if (lines.lastCut && end == text.size() && end >= kHeaderLines + 2 &&
      text[end - 2].empty() && StartsOrBegins(text[end - 1], "Found ")) {
    return end - 2;
  }
  while (end > kHeaderLines && text[end - 1].empty()) --end;
  return end;
}

}  // namespace

void ParseReportText(std::string_view text, MachineReport& report) {
  report.found.clear();
  report.os.clear();
  report.entries.clear();
  report.problem.clear();
  report.status = ReportStatus::kUnreadable;
  // Space a file system set aside and nothing filled: the file was cut.
  // The end-of-file mark that copying a text file may add.
  while (!text.empty() && (text.back() == '\0' || text.back() == '\x1A')) {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    report.problem = "empty file";
    return;
  }
  if (text.find('\0') != std::string_view::npos) {
    report.problem = "not a report: it holds NUL bytes";
    return;
  }
  const Lines lines = SplitLines(text);
  Ending ending = FindEnding(lines);
  const std::string headerProblem = HeaderProblem(lines, ending.bodyEnd);
  if (!headerProblem.empty()) {
    report.problem = headerProblem;
    return;
  }
  std::size_t bodyEnd = ending.bodyEnd;
  if (ending.status == ReportStatus::kIncomplete) {
    const std::size_t whole = lines.text.size() - (lines.lastCut ? 1 : 0);
    ending.problem = "cut short after line " + std::to_string(whole);
    bodyEnd = EndOfCutHotfixLines(lines, ending.problem);
  }
  if (lines.text.size() > kOsLine && kOsLine < ending.bodyEnd &&
      lines.text[kOsLine].size() > kLongestOsLine) {
    report.problem = "not a report: its OS line is longer than " +
                     std::to_string(kLongestOsLine) + " bytes";
    return;
  }
  if (bodyEnd > kHeaderLines && bodyEnd - kHeaderLines > kMostHotfixLines) {
    report.problem = "not a report: more than 100,000 hotfix lines";
    return;
  }
  report.status = ending.status;
  report.found = ending.found;
  report.problem = ending.problem;
  if (lines.text.size() > kOsLine && kOsLine < ending.bodyEnd) {
    report.os.assign(lines.text[kOsLine]);
  }
  ReadEntries(lines, kHeaderLines, bodyEnd, report.entries);
}
