#include "auditor/table/read/report_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kStart =
    "Hotfix inventory for Windows NT\r\n"
    "hotfixes.exe Ver.0.6.12.21\r\n"
    "\r\n"
    "Windows XP Professional Service Pack 3 (Build 2600)\r\n"
    "\r\n";
const char kOs[] = "Windows XP Professional Service Pack 3 (Build 2600)";

typedef std::vector<std::pair<std::string, std::string>> Entries;

struct Case {
  const char* name;
  std::string text;
  ReportStatus status;
  std::string found;
  std::string os;
  Entries entries;
  std::string problem;
};

std::string WithLfAlone(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

std::string WithCrCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TEST(ReportParserTest, StatusEntriesAndProblemOfEachKindOfFile) {
  const ReportStatus complete = ReportStatus::kComplete,
                     failed = ReportStatus::kFailed,
                     incomplete = ReportStatus::kIncomplete,
                     unreadable = ReportStatus::kUnreadable;
  const std::string multiLine =
      kStart + "[KB1] first\r\nsecond\r\n\r\n[Q2] \r\n\r\nFound 3 Hot-Fix\r\n";
  const Entries multiLineEntries = {{"KB1", "first\r\nsecond\r\n"}, {"Q2", ""}};
  const Case cases[] = {
      {"complete, a comment over lines, an empty one", multiLine, complete, "3",
       kOs, multiLineEntries, ""},
      {"lines ending in LF alone", WithLfAlone(multiLine), complete, "3", kOs,
       multiLineEntries, ""},
      {"no hotfixes",
       kStart + "\r\nFound 0 Hot-Fix\r\n",
       complete,
       "0",
       kOs,
       {},
       ""},
      {"space never filled behind the end",
       kStart + "\r\nFound 0 Hot-Fix\r\n" + std::string(300, '\0'),
       complete,
       "0",
       kOs,
       {},
       ""},
      {"brackets inside names and comments",
       kStart + "[a] b] c\r\n[no close\r\n\r\nFound 1 Hot-Fix\r\n",
       complete,
       "1",
       kOs,
       {{"a", "b] c\r\n[no close"}},
       ""},
      {"a line before the first entry is kept under no name",
       kStart + "stray\r\n[KB1] x\r\n\r\nFound 1 Hot-Fix\r\n",
       complete,
       "1",
       kOs,
       {{"", "stray"}, {"KB1", "x"}},
       ""},
      {"failure report after the hotfix lines",
       kStart +
           "[KB1] x\r\nException ERegistryException in module hotfixes.exe "
           "at 0001A2B3.\r\n'Comments' \xE3\x81\xAE data.\r\n\r\n",
       failed,
       "",
       kOs,
       {{"KB1", "x"}},
       "ERegistryException: 'Comments' \xE3\x81\xAE data."},
      {"failure report before the banner",
       "Exception EOutOfMemory in module hotfixes.exe at 00001234.\r\n"
       "Out of memory.\r\n\r\n",
       failed,
       "",
       "",
       {},
       "EOutOfMemory: Out of memory."},
      {"run-time error line, 64-bit address",
       kStart + "[KB1] x\r\nRuntime error   2 at 000000014000ABCD\r\n",
       failed,
       "",
       kOs,
       {{"KB1", "x"}},
       "Runtime error 2 at 000000014000ABCD"},
      {"run-time error line after the count line",
       kStart + "[KB1] x\r\n\r\nFound 1 Hot-Fix\r\n"
                "Runtime error 216 at 0040ABCD\r\n",
       failed,
       "",
       kOs,
       {{"KB1", "x"}},
       "Runtime error 216 at 0040ABCD"},
      {"run-time error line after a failure report",
       kStart + "[KB1] x\r\nException EFoo in module h.exe at 0000ABCD.\r\n"
                "Bad.\r\n\r\nRuntime error 217 at 0040ABCD\r\n",
       failed,
       "",
       kOs,
       {{"KB1", "x"}},
       "EFoo: Bad.; Runtime error 217 at 0040ABCD"},
      {"what copying added behind the end",
       kStart + "[KB1] x\r\n\r\nFound 1 Hot-Fix\r\n\r\n\x1A",
       complete,
       "1",
       kOs,
       {{"KB1", "x"}},
       ""},
      {"CR CR LF line ends, from converting LF to CR LF twice",
       WithCrCrLf(multiLine), complete, "3", kOs, multiLineEntries, ""},
      {"cut inside the failure report",
       kStart + "[KB1] x\r\nException EFoo in module h.exe at 0000ABCD.\r\nBa",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 7, in its failure report (EFoo: Ba)"},
      {"cut inside the failure report's first line",
       kStart + "[KB1] x\r\nException EFoo in mod",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 6, in its failure report"},
      {"cut inside a run-time error line",
       kStart + "[KB1] x\r\nRuntime er",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 6"},
      {"cut inside a hotfix line",
       kStart + "[KB1] x\r\n[KB2] hal",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}, {"KB2", "hal"}},
       "cut short after line 6"},
      {"cut inside a name",
       kStart + "[KB1] x\r\n[KB2",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}, {"KB2", ""}},
       "cut short after line 6"},
      {"cut before the count line",
       kStart + "[KB1] x\r\n\r\n",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 7"},
      {"cut inside the count line",
       kStart + "[KB1] x\r\n\r\nFound 1 Hot-",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 7"},
      {"count line without its line end",
       kStart + "[KB1] x\r\n\r\nFound 1 Hot-Fix",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 7"},
      {"cut between CR and LF",
       kStart + "[KB1] x\r",
       incomplete,
       "",
       kOs,
       {{"KB1", "x"}},
       "cut short after line 5"},
      {"cut inside the banner",
       "Hotfix inv",
       incomplete,
       "",
       "",
       {},
       "cut short after line 0"},
      {"empty", "", unreadable, "", "", {}, "empty file"},
      {"nothing but NUL bytes",
       std::string(64, '\0'),
       unreadable,
       "",
       "",
       {},
       "empty file"},
      {"a NUL byte inside",
       kStart + std::string(1, '\0') + "\r\n",
       unreadable,
       "",
       "",
       {},
       "not a report: it holds NUL bytes"},
      {"binary data",
       "\x7F"
       "ELF\x02\x01\x01",
       unreadable,
       "",
       "",
       {},
       "not a report: line 1 holds control characters"},
      {"other text",
       "hello\nworld\n",
       unreadable,
       "",
       "",
       {},
       "not a report: line 2 is no program name and version"},
      {"third line not empty",
       "a\nb Ver.1\nc\n",
       unreadable,
       "",
       "",
       {},
       "not a report: line 3 is not empty"},
      {"one long line",
       std::string(100000, 'a'),
       unreadable,
       "",
       "",
       {},
       "not a report: line 1 is too long"},
      {"an OS line over 255 bytes",
       "a\r\nb Ver.1\r\n\r\n" + std::string(256, 'W') +
           "\r\n\r\n\r\nFound 0 Hot-Fix\r\n",
       unreadable,
       "",
       "",
       {},
       "not a report: its OS line is longer than 255 bytes"},
      {"more than 100,000 hotfix lines",
       kStart + std::string(100002, '\n') + "Found 0 Hot-Fix\r\n",
       unreadable,
       "",
       "",
       {},
       "not a report: more than 100,000 hotfix lines"},
      {"the largest count",
       kStart + "\r\nFound 2147483647 Hot-Fix\r\n",
       complete,
       "2147483647",
       kOs,
       {},
       ""},
      {"a negative count: no count line",
       kStart + "\r\nFound -1 Hot-Fix\r\n",
       incomplete,
       "",
       kOs,
       {{"", "Found -1 Hot-Fix"}},
       "cut short after line 7"},
      {"a count past 32 bits: no count line",
       kStart + "\r\nFound 2147483648 Hot-Fix\r\n",
       incomplete,
       "",
       kOs,
       {{"", "Found 2147483648 Hot-Fix"}},
       "cut short after line 7"},
      {"a count with leading zeros: no count line",
       kStart + "\r\nFound 0001 Hot-Fix\r\n",
       incomplete,
       "",
       kOs,
       {{"", "Found 0001 Hot-Fix"}},
       "cut short after line 7"},
      {"a count with a sign: no count line",
       kStart + "\r\nFound +1 Hot-Fix\r\n",
       incomplete,
       "",
       kOs,
       {{"", "Found +1 Hot-Fix"}},
       "cut short after line 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MachineReport report;
    report.machine = "PC1";
    report.entries.push_back({"left", "over"});
    ParseReportText(c.text, report);
    EXPECT_EQ(report.machine, "PC1");
    EXPECT_EQ(StatusName(report.status), std::string(StatusName(c.status)));
    EXPECT_EQ(report.found, c.found);
    EXPECT_EQ(report.os, c.os);
    Entries entries;
    for (const HotfixEntry& entry : report.entries) {
      entries.emplace_back(entry.name, entry.comment);
    }
    EXPECT_EQ(entries, c.entries);
    EXPECT_EQ(report.problem, c.problem);
  }
}

}  // namespace
