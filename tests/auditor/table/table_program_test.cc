#include "auditor/table/table_program.h"

#include <string>
#include <vector>

#include "auditor/table/table_options.h"
#include "test_support.h"

namespace {

const std::string kStart =
    "Hotfix inventory for Windows NT\r\n"
    "hotfixes.exe Ver.0.6.12.21\r\n"
    "\r\n"
    "Windows 2000 Service Pack 4 (Build 2195)\r\n"
    "\r\n";
const std::string kComplete = kStart +
                              "[Q823980] Hotfix, \"quoted\"\r\nsecond line\r\n"
                              "\r\nFound 1 Hot-Fix\r\n";
const std::string kNoHotfixes = kStart + "\r\nFound 0 Hot-Fix\r\n";
const std::string kCut = kStart + "[KB1] x\r\n";
const char kHeader[] =
    "machine,status,found,os,windows,hotfix,comment,problem,reported,owner\r\n";
// 2026-12-01T10:00:05Z
const FILETIME kWritten = {3173023872u, 31293818u};

class TableProgramTest : public FakePlatformTest {
 protected:
  void AddFile(const std::string& path, const std::string& bytes) {
    Platform().files[path].bytes = bytes;
    Platform().files[path].lastWrite = kWritten;
  }
};

TEST_F(TableProgramTest, ExitCodeOutputAndErrorsOfEachKindOfRun) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string table;   // what follows the CSV header; "-": no output
    std::string errors;  // standard error
  };
  const std::string row0 =
      "a,complete,0,Windows 2000 Service Pack 4 (Build "
      "2195),Windows 2000 SP4,,,,2026-12-01T10:00:05Z,\r\n";
  const std::string rowQ =
      "B,complete,1,Windows 2000 Service Pack 4 (Build 2195),Windows 2000 "
      "SP4,Q823980,"
      "\"Hotfix, \"\"quoted\"\"\r\nsecond line\",,2026-12-01T10:00:05Z,\r\n";
  const std::string usage = std::string(" (") + kTableProgram.usage + ")\r\n";
  const Case cases[] = {
      {"a folder, its *.txt files in name order without regard to case",
       {"share"},
       0,
       row0 + rowQ,
       ""},
      {"a folder without reports", {"empty"}, 0, "", ""},
      {"files named one by one",
       {"share/B.TXT", "share/a.txt"},
       0,
       row0 + rowQ,
       ""},
      {"a required hotfix by its other name",
       {"--require", "kb.txt", "share/B.TXT"},
       0,
       rowQ,
       ""},
      {"a complete report lacks a required hotfix",
       {"--require", "kb.txt", "share"},
       1,
       row0 + rowQ,
       "a lacks KB823980\r\n"},
      {"a report cut short wins over a lacking one",
       {"--require", "kb.txt", "share", "other/cut.txt"},
       3,
       row0 + rowQ +
           "cut,incomplete,,Windows 2000 Service Pack 4 (Build 2195),Windows "
           "2000 SP4,KB1,x,"
           "cut short after line 6,2026-12-01T10:00:05Z,\r\n",
       "a lacks KB823980\r\ncut (incomplete) lacks KB823980\r\n"},
      {"a file that may not be read, of which nothing is known",
       {"--require", "kb.txt", "other/locked.txt"},
       3,
       "locked,unreadable,,,,,,cannot be read: error 5,,\r\n",
       ""},
      {"two reports of one machine name",
       {"share/a.txt", "other/A.txt"},
       0,
       "A,complete,0,Windows 2000 Service Pack 4 (Build 2195),Windows 2000 "
       "SP4,,,,"
       "2026-12-01T10:00:05Z,\r\n" +
           row0,
       "hotfixes-table: other/A.txt and share/a.txt are reports of one "
       "machine name; both are listed\r\n"},
      {"nothing to read",
       {},
       2,
       "-",
       "hotfixes-table: no report file or folder given" + usage},
      {"an unknown option",
       {"--sort", "share"},
       2,
       "-",
       "hotfixes-table: unknown option --sort" + usage},
      {"an unknown format",
       {"--format", "xml", "share"},
       2,
       "-",
       "hotfixes-table: unknown format xml (csv, html, wide, jsonl or "
       "changes)" +
           usage},
      {"a byte-order mark before a page",
       {"--bom", "--format", "html", "share"},
       2,
       "-",
       "hotfixes-table: --bom goes with the CSV only" + usage},
      {"an unknown code page",
       {"--codepage", "932", "share"},
       2,
       "-",
       "hotfixes-table: unknown code page 932" + usage},
      {"an option without its value",
       {"share", "--require"},
       2,
       "-",
       "hotfixes-table: --require needs a value" + usage},
      {"a path that does not exist",
       {"share", "nowhere"},
       2,
       "-",
       "hotfixes-table: nowhere: error 2" + usage},
      {"a required list that cannot be read",
       {"--require", "other/locked.txt", "share"},
       2,
       "-",
       "hotfixes-table: cannot read other/locked.txt: error 5" + usage},
      {"a report given as the required list",
       {"--require", "share/B.TXT", "share"},
       2,
       "-",
       "hotfixes-table: share/B.TXT:1: \"Hotfix\" is not a hotfix name (Q "
       "or KB and a number: KB958644)" +
           usage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Platform().folders = {"share", "share/sub.txt", "empty", "other"};
    AddFile("share/B.TXT", kComplete);
    AddFile("share/a.txt", kNoHotfixes);
    AddFile("share/notes.log", "not a report");
    AddFile("other/A.txt", kNoHotfixes);
    AddFile("other/cut.txt", kCut);
    AddFile("other/locked.txt", kComplete);
    Platform().files["other/locked.txt"].readable = false;
    // Ended as `copy /a` ends a text file.
    AddFile("kb.txt", "# every machine\r\nKB823980\r\n\x1A");

    EXPECT_EQ(RunTable(c.arguments), c.exitCode);
    EXPECT_EQ(Platform().output, c.table == "-" ? "" : kHeader + c.table);
    EXPECT_EQ(Platform().errorOutput, c.errors);
    EXPECT_TRUE(Platform().openFiles.empty());
    EXPECT_TRUE(Platform().searches.empty());
  }
}

// Whoever may write the share chooses every byte of a report file's name
// and content: each hostile file gives a row of its own, under its whole
// name, with nothing hidden, nothing evaluated and nothing followed, and
// standard error gets no raw character of it.
TEST_F(TableProgramTest, HostileFilesGiveVisibleNamedRows) {
  struct Case {
    const char* name;
    std::string file;  // in folder "share"
    std::string bytes;
    std::string row;
    std::string errors;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::string os =
      "Windows 2000 Service Pack 4 (Build 2195),Windows 2000 SP4";
  const std::string tail = ",,2026-12-01T10:00:05Z,\r\n";
  const std::string shown =
      ": characters that cannot be seen or that move text, shown as "
      "<U+code point>\r\n";
  const Case cases[] = {
      {"a formula for a name", "=1+1.txt", kNoHotfixes,
       "'=1+1,complete,0," + os + ",," + tail, ""},
      {"backslash and colon are part of a Linux name", "x\\evil:PC042.txt",
       kNoHotfixes, "x\\evil:PC042,complete,0," + os + ",," + tail, ""},
      {"escape sequences and a line break in the name",
       "\x1B[1A\x1B[2KPC\nfake.txt", kNoHotfixes,
       "<U+001B>[1A<U+001B>[2KPC<U+000A>fake,complete,0," + os + ",," + tail,
       "hotfixes-table: share/<U+001B>[1A<U+001B>[2KPC<U+000A>fake.txt" +
           shown},
      {"zero-width, bidirectional and control characters in the content",
       "PC1.txt",
       bom + "Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.1\r\n\r\n" +
           "Windows\tXP\r\n\r\n[KB1\xE2\x80\x8B] \xE2\x80\xAE" +
           "evil\r\nnext\x07line\r\n\r\nFound 1 Hot-Fix\r\n",
       "PC1,complete,1,Windows<U+0009>XP,,KB1<U+200B>,\"<U+202E>evil\r\n"
       "next<U+0007>line\"" +
           tail,
       "hotfixes-table: share/PC1.txt" + shown},
      {"a formula for a hotfix and a comment", "PC2.txt",
       kStart + "[=3+3] =HYPERLINK(\"http://e/\",\"x\")\r\n\r\n"
                "Found 1 Hot-Fix\r\n",
       "PC2,complete,1," + os +
           ",'=3+3,\"'=HYPERLINK(\"\"http://e/\"\",\"\"x\"\")\"" + tail,
       ""},
      {"a symbolic link is not followed", "link.txt", kComplete,
       "link,unreadable,,,,,,not a report: a symbolic link,,\r\n", ""},
      {"a count that is no count", "PC3.txt",
       kStart + "\r\nFound -1 Hot-Fix\r\n",
       "PC3,incomplete,," + os + ",,Found -1 Hot-Fix,cut short after line 7" +
           tail.substr(1),
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Platform().pathSeparators = "/";
    Platform().folders = {"share"};
    AddFile("share/" + c.file, c.bytes);
    Platform().files["share/link.txt"].symbolicLink = true;
    if (c.file != "link.txt") Platform().files.erase("share/link.txt");

    RunTable({"share"});
    EXPECT_EQ(Platform().output, kHeader + c.row);
    EXPECT_EQ(Platform().errorOutput, c.errors);
  }
}

// Judged by a baseline: a row per machine and requirement, a line on
// standard error per exposed machine, and exit code 1 only for an exposed
// complete report. The wide CSV: a row per machine.
TEST_F(TableProgramTest, BaselinesAndWideTables) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string table;  // "-": no output
    std::string errors;
  };
  const std::string header =
      "machine,status,windows,requirement,title,state,hotfix,reported\r\n";
  const std::string when = ",2026-12-01T10:00:05Z\r\n";
  const std::string a = "a,complete,Windows 2000 SP4,";
  const std::string b = "B,complete,Windows 2000 SP4,";
  const std::string exposedA =
      "a (Windows 2000 SP4): exposed to 2 requirements (1 missing, 1 no "
      "update): MS03-026, MS17-010\r\n";
  const std::string exposedB =
      "B (Windows 2000 SP4): exposed to 1 requirement (1 no update): "
      "MS17-010\r\n";
  const std::string usage = std::string(" (") + kTableProgram.usage + ")\r\n";
  const Case cases[] = {
      {"installed by the old name, missing, no update",
       {"--baseline", "base.txt", "share"},
       1,
       header + a + "MS03-026,RPC DCOM,missing,KB823980 KB824146" + when + a +
           "MS17-010,SMB,no update," + when + b +
           "MS03-026,RPC DCOM,installed,Q823980" + when + b +
           "MS17-010,SMB,no update," + when,
       exposedA + exposedB},
      {"--exposed: only the rows of the requirements a machine is exposed to",
       {"--exposed", "--baseline", "base.txt", "share"},
       1,
       header + a + "MS03-026,RPC DCOM,missing,KB823980 KB824146" + when + a +
           "MS17-010,SMB,no update," + when + b + "MS17-010,SMB,no update," +
           when,
       exposedA + exposedB},
      {"--exposed is of the findings CSV",
       {"--exposed", "--format", "wide", "--baseline", "base.txt", "share"},
       2,
       "-",
       "hotfixes-table: --exposed goes with the CSV of a baseline only" +
           usage},
      {"a report cut short is exposed, but only a complete one sets 1",
       {"--baseline", "base.txt", "other/cut.txt"},
       3,
       header + "cut,incomplete,Windows 2000 SP4,MS03-026,RPC DCOM,unknown," +
           when + "cut,incomplete,Windows 2000 SP4,MS17-010,SMB,no update," +
           when,
       "cut (Windows 2000 SP4, incomplete): exposed to 1 requirement (1 no "
       "update): MS17-010\r\n"},
      {"a fault in the baseline names its line",
       {"--baseline", "bad.txt", "share"},
       2,
       "-",
       "hotfixes-table: bad.txt:2: unknown Windows name in \"Windows 3.1 "
       "KB1\"" +
           usage},
      {"a wide table: a column per hotfix, in the order of their numbers",
       {"--format", "wide", "share", "other/cut.txt"},
       3,
       "machine,status,windows,os,found,reported,KB1,Q823980\r\n"
       "a,complete,Windows 2000 SP4,Windows 2000 Service Pack 4 (Build "
       "2195),0,2026-12-01T10:00:05Z,,\r\n"
       "B,complete,Windows 2000 SP4,Windows 2000 Service Pack 4 (Build "
       "2195),1,2026-12-01T10:00:05Z,,1\r\n"
       "cut,incomplete,Windows 2000 SP4,Windows 2000 Service Pack 4 (Build "
       "2195),,2026-12-01T10:00:05Z,1,\r\n",
       ""},
      {"a wide table judged: a column per requirement",
       {"--format", "wide", "--baseline", "base.txt", "share"},
       1,
       "machine,status,windows,os,found,reported,MS03-026,MS17-010\r\n"
       "a,complete,Windows 2000 SP4,Windows 2000 Service Pack 4 (Build "
       "2195),0,2026-12-01T10:00:05Z,missing,no update\r\n"
       "B,complete,Windows 2000 SP4,Windows 2000 Service Pack 4 (Build "
       "2195),1,2026-12-01T10:00:05Z,installed,no update\r\n",
       exposedA + exposedB},
      {"a baseline and a list of required hotfixes",
       {"--baseline", "base.txt", "--require", "base.txt", "share"},
       2,
       "-",
       "hotfixes-table: --require and --baseline do not go together" + usage},
      {"the auditor's own file after the catalog: its requirement replaces "
       "the catalog's where that one stood",
       {"--baseline", "base.txt", "--baseline", "own.txt", "share"},
       1,
       header + a + "MS03-026,RPC DCOM mine,not affected," + when + a +
           "MS17-010,SMB,no update," + when + a +
           "CVE-2019-0708,RDP,no update," + when + b +
           "MS03-026,RPC DCOM mine,not affected," + when + b +
           "MS17-010,SMB,no update," + when + b +
           "CVE-2019-0708,RDP,no update," + when,
       "hotfixes-table: own.txt: requirement MS03-026 replaces the one in "
       "base.txt\r\na (Windows 2000 SP4): exposed to 2 requirements (2 no "
       "update): MS17-010, CVE-2019-0708\r\nB (Windows 2000 SP4): exposed to "
       "2 requirements (2 no update): MS17-010, CVE-2019-0708\r\n"},
      {"UTF-8 without a byte-order mark, whatever the reports' code page",
       {"--baseline", "utf8.txt", "share/a.txt"},
       1,
       header + a +
           "A,Sch\xC3\xA4"
           "den,no update," +
           when,
       "a (Windows 2000 SP4): exposed to 1 requirement (1 no update): A\r\n"},
      {"UTF-16 by its byte-order mark, a Ctrl-Z at its end",
       {"--baseline", "utf16.txt", "share/a.txt"},
       1,
       header + a +
           "A,Sch\xC3\xA4"
           "den,no update," +
           when,
       "a (Windows 2000 SP4): exposed to 1 requirement (1 no update): A\r\n"},
      {"a title's hidden characters shown, and said",
       {"--baseline", "hidden.txt", "share/a.txt"},
       1,
       header + a + "A,a<U+202E><U+001B>[31m,no update," + when,
       "hotfixes-table: hidden.txt: characters that cannot be seen or that "
       "move text, shown as <U+code point>\r\na (Windows 2000 SP4): exposed to "
       "1 "
       "requirement (1 no update): A\r\n"},
      {"a baseline in code page 1252",
       {"--baseline", "latin1.txt", "share"},
       2,
       "-",
       "hotfixes-table: latin1.txt:2: not UTF-8 (save the file as UTF-8, or "
       "as UTF-16 with its byte-order mark)" +
           usage},
      {"a baseline with a NUL",
       {"--baseline", "nul.txt", "share"},
       2,
       "-",
       "hotfixes-table: nul.txt:2: a NUL character" + usage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Platform().folders = {"share", "other"};
    AddFile("share/B.TXT", kComplete);
    AddFile("share/a.txt", kNoHotfixes);
    AddFile("other/cut.txt", kCut);
    AddFile("base.txt",
            "[MS03-026] RPC DCOM\r\nWindows 2000 SP3-SP4 KB823980 KB824146\r\n"
            "[MS17-010] SMB\r\nWindows 2000 no update\r\n");
    AddFile("bad.txt", "[X] x\r\nWindows 3.1 KB1\r\n");
    AddFile("own.txt",
            "[MS03-026] RPC DCOM mine\r\nWindows 2000 not affected\r\n"
            "[CVE-2019-0708] RDP\r\nWindows 2000 no update\r\n");
    const std::string rule = "\r\nWindows 2000 no update\r\n";
    AddFile("utf8.txt",
            "[A] Sch\xC3\xA4"
            "den" +
                rule);
    std::string utf16 = "\xFF\xFE";
    for (char byte :
         "[A] Sch\xE4"
         "den" +
             rule + "\x1A") {
      utf16 += byte;
      utf16 += '\0';
    }
    AddFile("utf16.txt", utf16);
    AddFile("hidden.txt", "[A] a\xE2\x80\xAE\x1B[31m" + rule);
    AddFile("latin1.txt",
            "# old\r\n[A] Sch\xE4"
            "den" +
                rule);
    AddFile("nul.txt",
            "[A] a\r\nWindows 2000" + std::string(1, '\0') + " no update\r\n");

    EXPECT_EQ(RunTable(c.arguments), c.exitCode);
    EXPECT_EQ(Platform().output, c.table == "-" ? "" : c.table);
    EXPECT_EQ(Platform().errorOutput, c.errors);
  }
}

// A machine exposed to a thousand requirements gets a line, not a page:
// the count, and the gravest few by the titles' first word.
TEST_F(TableProgramTest, ExposureLineNamesTheGravestFew) {
  const struct {
    const char* name;
    std::vector<const char*> titles;  // of R1, R2, ...
    std::string line;
  } cases[] = {
      {"six: three named, the gravest first; no severity sorts last",
       {"Low: a", "b", "Critical: c", "Important: d", "critical e",
        "Moderate: f"},
       "exposed to 6 requirements (6 no update): R3, R5, R4 and 3 more"},
      {"four are all named",
       {"b", "Moderate: a", "Criticality: c", "Low: d"},
       "exposed to 4 requirements (4 no update): R2, R4, R1, R3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    std::string baseline;
    for (std::size_t i = 0; i < c.titles.size(); ++i) {
      baseline += "[R" + std::to_string(i + 1) + "] " + c.titles[i] +
                  "\r\nWindows 2000 no update\r\n";
    }
    AddFile("base.txt", baseline);
    AddFile("a.txt", kNoHotfixes);
    EXPECT_EQ(RunTable({"--baseline", "base.txt", "a.txt"}), kTableLacking);
    EXPECT_EQ(Platform().errorOutput,
              "a (Windows 2000 SP4): " + c.line + "\r\n");
  }
}

// One report of as many distinct entries as a report may hold, among
// normal ones: the page grows by about the report's own size, and neither
// the page nor the wide CSV gives a column to each entry in every row.
TEST_F(TableProgramTest, FloodingReportFillsNeitherTableNorPage) {
  const auto fleetOutput = [this](const std::string& format, bool flood,
                                  std::size_t& floodBytes) {
    fake::Reset();
    Platform().folders = {"share"};
    for (int m = 0; m < 20; ++m) {
      std::string report = kStart;
      for (int h = 0; h < 30 + m % 3; ++h) {
        report += "[KB" + std::to_string(800000 + h) + "] fix\r\n";
      }
      AddFile(
          "share/PC" + std::to_string(m) + ".txt",
          report + "\r\nFound " + std::to_string(30 + m % 3) + " Hot-Fix\r\n");
    }
    if (flood) {
      std::string report = kStart;
      for (int h = 0; h < 100000; ++h) {
        report += "[KB" + std::to_string(1000000 + h) + "] x\r\n";
      }
      report += "\r\nFound 100000 Hot-Fix\r\n";
      floodBytes = report.size();
      AddFile("share/EVIL.txt", report);
    }
    EXPECT_EQ(RunTable({"--format", format, "share"}), kTableComplete);
    return Platform().output;
  };
  std::size_t floodBytes = 0;
  const std::string normalPage = fleetOutput("html", false, floodBytes);
  const std::string floodedPage = fleetOutput("html", true, floodBytes);
  EXPECT_LT(floodedPage.size(), normalPage.size() + floodBytes);
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: the page gives no column to the 100000 hotfixes "
            "that only EVIL has among the machines of Windows 2000; its row "
            "counts them, the CSV and JSON Lines list them\r\n");

  const std::string wide = fleetOutput("wide", true, floodBytes);
  std::string header = "machine,status,windows,os,found,reported";
  for (int h = 0; h < 32; ++h) header += ",KB" + std::to_string(800000 + h);
  EXPECT_EQ(wide.substr(0, wide.find('\n') + 1), header + "\r\n");
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: the wide CSV gives no column to the 100000 "
            "hotfixes that only EVIL has; the CSV and JSON Lines list "
            "them\r\n");
}

TEST_F(TableProgramTest, OwnerOfEachFileIsItsLastColumn) {
  Platform().folders = {"share"};
  AddFile("share/PC1.txt", kNoHotfixes);
  AddFile("share/PC2.txt", kNoHotfixes);
  Platform().files["share/PC1.txt"].owner = "DOMAIN\\PC1$";
  EXPECT_EQ(RunTable({"share"}), kTableComplete);
  const std::string row =
      ",complete,0,Windows 2000 Service Pack 4 (Build 2195),Windows 2000 "
      "SP4,,,,"
      "2026-12-01T10:00:05Z,";
  EXPECT_EQ(Platform().output,
            kHeader + ("PC1" + row + "DOMAIN\\PC1$\r\nPC2" + row + "\r\n"));
}

TEST_F(TableProgramTest, ByteOrderMarkComesFirst) {
  AddFile("a.txt", kNoHotfixes);
  EXPECT_EQ(RunTable({"--bom", "a.txt"}), kTableComplete);
  EXPECT_EQ(Platform().output.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(Platform().output.substr(3, sizeof kHeader - 1), kHeader);
}

TEST_F(TableProgramTest, TableThatCannotBeWrittenSaysSo) {
  Platform().folders = {"share"};
  AddFile("share/a.txt", kNoHotfixes);
  Platform().failWritesFrom = 0;
  EXPECT_EQ(RunTable({"share"}), kTableOutputFailed);
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: cannot write the table: error 112\r\n");
}

}  // namespace

namespace {

// On a double-byte code page the second byte of a character may be the
// backslash's: a folder or file whose name ends in one is no folder
// delimiter (0x94 0x5C and 0x95 0x5C are two characters of code page 932).
TEST_F(TableProgramTest, SecondBytesOfDoubleByteNamesAreNoDelimiters) {
  Platform().leadByteRanges = {{0x81, 0x9F}, {0xE0, 0xFC}};
  Platform().folders = {"\x94\\"};
  AddFile("\x94\\/\x95\\.txt", kNoHotfixes);
  EXPECT_EQ(RunTable({"\x94\\"}), 0);
  EXPECT_EQ(Platform().output,
            kHeader + std::string("<U+0095>\\,complete,0,Windows 2000 Service "
                                  "Pack 4 (Build 2195),Windows 2000 SP4,,,,"
                                  "2026-12-01T10:00:05Z,\r\n"));
}

}  // namespace
