// Reads fuzz input as report files the way hotfixes-table does, and checks
// what it makes of them:
//  - any bytes: a status and what goes with it (a count only when complete,
//    a problem exactly when not complete, no entries when unreadable), and
//    every text well-formed UTF-8 for the table;
//  - a sample report cut at any byte (input that starts with 'C'): cut
//    short, never complete or failed, with the entries before the cut as
//    the whole report has them, the last at most shortened: its name and
//    comment the start of the whole one's;
//  - a baseline (input that starts with 'B'): read, or refused with the
//    file and line of its fault; read, it gives every sample report, on
//    each of a few Windows, one verdict per requirement, a hotfix text
//    exactly with those that name one and "missing" only in a complete
//    report.
// The sanitizers the target is built with catch every access out of bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "auditor/table/judge/baseline.h"
#include "auditor/table/read/report_parser.h"
#include "auditor/text/text_decoding.h"
#include "auditor/vocabulary/windows_release.h"
#include "platform/platform-fake.h"

namespace {

const std::string kStart =
    "Hotfix inventory for Windows NT\r\n"
    "hotfixes.exe Ver.0.6.12.21\r\n"
    "\r\n"
    "Windows Server 2003 Enterprise Edition Service Pack 2 (Build 3790)\r\n"
    "\r\n";
const std::string kHotfixes =
    "[KB823980] Windows Server 2003 Hotfix - KB823980\r\n"
    "[Q246009] \r\n"
    "[KB835732-v2] Security Update, two lines:\r\n"
    "[not a name] and [KB1] inside\r\n"
    "\r\n"
    "[KB925902] caf\xE9\r\n";

std::string Utf16Le(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

const std::string kSamples[] = {
    kStart + kHotfixes + "\r\nFound 7 Hot-Fix\r\n",
    kStart + kHotfixes +
        "Exception ERegistryException in module hotfixes.exe at 0001A2B3.\r\n"
        "'Comments' has the wrong type.\r\n\r\n",
    kStart + kHotfixes + "Runtime error 217 at 0040ABCD\r\n",
    Utf16Le(kStart + kHotfixes + "\r\nFound 7 Hot-Fix\r\n"),
};

// Windows a baseline may treat each in its own way.
const char* const kOsLines[] = {
    "Windows XP Professional Service Pack 3 (Build 2600)",
    "Windows NT Workstation 4.0 Service Pack 6a (Build 1381)",
    ("Windows .NET Server 2003 family, Professional Service Pack 2 "
     "(Build 3790)"),
    "Windows 98 SE ",
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "table_fuzzer: %s\n", what.c_str());
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

bool IsUtf8(const std::string& text) {
  std::string copy;
  // Well-formed UTF-8 is what repairing it leaves unchanged.
  std::string problem;
  DecodeFileText("\xEF\xBB\xBF" + text, 1252, copy, problem);
  return copy == text;
}

MachineReport Read(const std::string& bytes) {
  MachineReport report;
  std::string text, problem;
  if (!DecodeFileText(bytes, 1252, text, problem)) Fail("1252 refused");
  ParseReportText(text, report);
  return report;
}

void CheckConsistent(const MachineReport& report) {
  const bool complete = report.status == ReportStatus::kComplete;
  Expect(complete != report.found.empty(), "a count exactly when complete");
  Expect(complete == report.problem.empty(), "a problem unless complete");
  Expect(report.status != ReportStatus::kUnreadable || report.entries.empty(),
         "entries of an unreadable report");
  bool utf8 = IsUtf8(report.os) && IsUtf8(report.problem);
  for (const HotfixEntry& entry : report.entries) {
    utf8 = utf8 && IsUtf8(entry.name) && IsUtf8(entry.comment);
  }
  Expect(utf8, "a text that is not UTF-8");
  const WindowsRelease release = WindowsReleaseOf(report.os);
  Expect(release.known() != release.Display().empty(),
         "a known Windows without a name, or the other way round");
}

void CheckVerdicts(const Baseline& baseline, const MachineReport& report) {
  const std::vector<Verdict> verdicts =
      baseline.Judge(report, WindowsReleaseOf(report.os));
  Expect(verdicts.size() == baseline.requirements().size(),
         "not one verdict per requirement");
  for (const Verdict& verdict : verdicts) {
    const bool named = verdict.state == VerdictState::kInstalled ||
                       verdict.state == VerdictState::kMissing;
    Expect(named != verdict.hotfix.empty(),
           std::string("a hotfix text out of place: ") +
               VerdictStateName(verdict.state));
    Expect(verdict.state != VerdictState::kMissing ||
               report.status == ReportStatus::kComplete,
           "missing in a report that is not complete");
  }
}

void CheckBaseline(const std::string& text) {
  Baseline baseline;
  std::string error;
  if (!baseline.Parse(text, "fuzz.txt", error)) {
    Expect(baseline.empty() && error.compare(0, 9, "fuzz.txt:") == 0,
           "a fault without its file: " + error);
    return;
  }
  Expect(!baseline.empty(), "a baseline read without requirements");
  for (const std::string& sample : kSamples) {
    MachineReport report = Read(sample);
    for (const char* os : kOsLines) {
      report.os = os;
      CheckVerdicts(baseline, report);
    }
  }
}

void CheckCut(const std::string& sample, std::size_t cut) {
  const MachineReport whole = Read(sample);
  const MachineReport part = Read(sample.substr(0, cut));
  CheckConsistent(part);
  if (cut == sample.size()) return;
  Expect(part.status == ReportStatus::kIncomplete ||
             (part.status == ReportStatus::kUnreadable &&
              part.problem == "empty file"),
         "a cut report is not cut short: " + part.problem);
  Expect(part.entries.size() <= whole.entries.size(), "entries gained");
  for (std::size_t i = 0; i < part.entries.size(); ++i) {
    const HotfixEntry& got = part.entries[i];
    const HotfixEntry& want = whole.entries[i];
    if (i + 1 < part.entries.size()) {
      Expect(got.name == want.name && got.comment == want.comment,
             "entry changed before the cut: " + got.name);
    } else {
      Expect(want.name.compare(0, got.name.size(), got.name) == 0,
             "last entry's name is no part of the whole one: " + got.name);
      Expect(
          got.name != want.name ||
              want.comment.compare(0, got.comment.size(), got.comment) == 0,
          "last entry's comment is no part of the whole one: " + got.comment);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  fake::Reset();
  FuzzedDataProvider input(data, size);
  if (size > 0 && data[0] == 'C') {
    input.ConsumeIntegral<char>();
    const std::string& sample =
        kSamples[input.ConsumeIntegralInRange<std::size_t>(
            0, sizeof kSamples / sizeof kSamples[0] - 1)];
    CheckCut(sample,
             input.ConsumeIntegralInRange<std::size_t>(0, sample.size()));
    return 0;
  }
  if (size > 0 && data[0] == 'B') {
    input.ConsumeIntegral<char>();
    CheckBaseline(input.ConsumeRemainingBytesAsString());
    return 0;
  }
  CheckConsistent(Read(input.ConsumeRemainingBytesAsString()));
  return 0;
}
