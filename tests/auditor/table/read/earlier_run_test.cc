#include "auditor/table/read/earlier_run.h"

#include <string>
#include <vector>

#include "auditor/table/table_options.h"
#include "auditor/table/table_program.h"
#include "test_support.h"

namespace {

const std::string kReport =
    "Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.0.6.12.21\r\n\r\n"
    "Windows XP Professional Service Pack 3 (Build 2600)\r\n\r\n"
    "[KB1] one\r\n\r\nFound 1 Hot-Fix\r\n";
const std::string kLine =
    R"({"machine":"PC1","status":"complete","os":"","reported":)"
    R"("2026-11-01T10:00:05Z","hotfixes":[{"hotfix_id":"KB1"}]})";
// 2026-12-01T10:00:05Z
const FILETIME kWritten = {3173023872u, 31293818u};

std::string Reported(const std::string& time) {
  return R"({"machine":"PC1","status":"complete","reported":")" + time +
         R"(","hotfixes":[]})";
}

const char kNoTime[] =
    "old.jsonl:1: \"reported\" is no time the table writes "
    "(2026-12-01T10:00:05Z, a real date, years 1980 to 2100)";

class EarlierRunTest : public FakePlatformTest {
 protected:
  void AddFile(const std::string& path, const std::string& bytes) {
    Platform().files[path].bytes = bytes;
    Platform().files[path].lastWrite = kWritten;
  }
  void SetUp() override {
    FakePlatformTest::SetUp();
    Platform().folders = {"share"};
    AddFile("share/PC1.txt", kReport);
  }
};

// An earlier audit is as untrusted as the share: anything that is not the
// table's JSON Lines stops the run before any output, naming the file and
// line and what is wrong.
TEST_F(EarlierRunTest, BadEarlierAuditsStopTheRunNamingFileAndLine) {
  struct Case {
    const char* name;
    std::string file;
    std::string bytes;
    std::string message;
  };
  const std::string deep = std::string(40, '[') + std::string(40, ']');
  std::string manyMembers = R"({"machine":"PC1")";
  for (int i = 0; i <= 100000; ++i) {
    manyMembers += ",\"k" + std::to_string(i) + "\":0";
  }
  manyMembers += "}";
  const Case cases[] = {
      {"a CSV", "old.csv", "machine,status\r\nPC1,complete\r\n",
       "old.csv:1: not a JSON object, so not an earlier run's JSON Lines; "
       "nor a report (*.txt) or a folder of them"},
      {"an empty file", "old.jsonl", "",
       "old.jsonl: empty, no earlier run's JSON Lines"},
      {"a line that is an array", "old.jsonl", kLine + "\n[1,2]\n",
       "old.jsonl:2: not a JSON object"},
      {"a blank line between machines", "old.jsonl",
       kLine + "\n\n" + kLine + "\n",
       "old.jsonl:2: not JSON: a value missing at byte 1"},
      {"a comma before the brace", "old.jsonl", R"({"machine":"PC2",})",
       "old.jsonl:1: not JSON: a member name missing at byte 18"},
      {"text after the object", "old.jsonl", kLine + " x\n",
       "old.jsonl:1: not JSON: text after the JSON value at byte 114"},
      {"no machine", "old.jsonl", R"({"status":"complete","hotfixes":[]})",
       "old.jsonl:1: a machine without a name"},
      {"an empty name", "old.jsonl",
       R"({"machine":"","status":"complete","hotfixes":[]})",
       "old.jsonl:1: a machine without a name"},
      {"a name that is a number", "old.jsonl",
       R"({"machine":42,"status":"complete","hotfixes":[]})",
       "old.jsonl:1: a machine without a name"},
      {"hotfixes that are no list", "old.jsonl",
       R"({"machine":"PC1","status":"complete","hotfixes":"KB1"})",
       "old.jsonl:1: \"hotfixes\" is not a list"},
      {"no hotfixes", "old.jsonl", R"({"machine":"PC1","status":"complete"})",
       "old.jsonl:1: no \"hotfixes\" list"},
      {"a hotfix that is a string", "old.jsonl",
       R"({"machine":"PC1","status":"complete","hotfixes":["KB1"]})",
       "old.jsonl:1: a hotfix that is not an object with a \"hotfix_id\" "
       "string"},
      {"an unknown status", "old.jsonl",
       R"({"machine":"PC1","status":"fine","hotfixes":[]})",
       "old.jsonl:1: unknown status \"fine\""},
      {"an os that is no string", "old.jsonl",
       R"({"machine":"PC1","status":"complete","os":null,"hotfixes":[]})",
       "old.jsonl:1: \"os\" is not a string"},
      {"a time of another form", "old.jsonl", Reported("yesterday"), kNoTime},
      // Times the table never writes, which would make every machine "not
      // refreshed".
      {"a day the month lacks", "old.jsonl", Reported("2026-02-31T10:00:05Z"),
       kNoTime},
      {"second 60", "old.jsonl", Reported("2026-11-01T10:00:60Z"), kNoTime},
      {"year 0000", "old.jsonl", Reported("0000-01-01T00:00:00Z"), kNoTime},
      {"year 9999", "old.jsonl", Reported("9999-12-31T23:59:59Z"), kNoTime},
      // The audits the wrong way round: the earlier one is the newer.
      {"newer than this run", "old.jsonl", Reported("2026-12-01T10:00:06Z"),
       "old.jsonl: its newest report (2026-12-01T10:00:06Z) is newer than "
       "this run's (2026-12-01T10:00:05Z): the two audits in the wrong "
       "order? (--since EARLIER takes the earlier one)"},
      {"a member twice", "old.jsonl",
       R"({"machine":"PC1","machine":"PC2","status":"complete"})",
       "old.jsonl:1: not JSON: a member named twice at byte 18"},
      {"half a surrogate pair", "old.jsonl", R"({"machine":"PC\ud800"})",
       "old.jsonl:1: not JSON: a lone surrogate at byte 21"},
      {"an unknown escape", "old.jsonl", R"({"machine":"PC\x41"})",
       "old.jsonl:1: not JSON: an unknown escape at byte 16"},
      {"a byte that is not UTF-8", "old.jsonl", "{\"machine\":\"PC\xC0\xAF\"}",
       "old.jsonl:1: not JSON: a byte that is not UTF-8 at byte 15"},
      {"a raw TAB in a string", "old.jsonl", "{\"machine\":\"PC\t1\"}",
       "old.jsonl:1: not JSON: a control character in a string at byte 15"},
      {"a number with a leading zero", "old.jsonl",
       R"({"machine":"PC1","found":01})",
       "old.jsonl:1: not JSON: ',' or '}' missing at byte 27"},
      {"nested too deep", "old.jsonl", R"({"machine":"PC1","x":)" + deep + "}",
       "old.jsonl:1: not JSON: nested too deep at byte 53"},
      {"more members than an object may hold", "old.jsonl", manyMembers,
       "old.jsonl:1: not JSON: an object of more than 1000 members at byte " +
           std::to_string(manyMembers.find("\"k999\"") + 1)},
      {"a name longer than 4096 bytes", "old.jsonl",
       R"({"machine":")" + std::string(4097, 'x') + R"("})",
       "old.jsonl:1: \"machine\" is longer than 4096 bytes"},
      {"a file that is not there", "nowhere.jsonl", "-",
       "nowhere.jsonl: error 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    SetUp();
    if (c.bytes != "-") AddFile(c.file, c.bytes);
    EXPECT_EQ(RunTable({"--format", "changes", "--since", c.file, "share"}),
              kTableUsageError);
    EXPECT_EQ(Platform().output, "");
    EXPECT_EQ(Platform().errorOutput, "hotfixes-table: " + c.message + " (" +
                                          kTableProgram.usage + ")\r\n");
    EXPECT_TRUE(Platform().openFiles.empty());
  }
}

// Two earlier audits are given oldest first: the other way round, the
// one given last would be taken for the last audit.
TEST_F(EarlierRunTest, AuditsGivenNewestFirstAreRefused) {
  AddFile("week1.jsonl", Reported("2026-11-17T10:00:05Z"));
  AddFile("week2.jsonl", Reported("2026-11-24T10:00:05Z"));
  EXPECT_EQ(RunTable({"--format", "changes", "--since", "week2.jsonl",
                      "--since", "week1.jsonl", "share"}),
            kTableUsageError);
  EXPECT_EQ(Platform().output, "");
  EXPECT_EQ(Platform().errorOutput,
            "hotfixes-table: week1.jsonl: its newest report "
            "(2026-11-17T10:00:05Z) is older than that of week2.jsonl "
            "(2026-11-24T10:00:05Z), given before it: the audits in the "
            "wrong order? (--since, oldest first) (" +
                std::string(kTableProgram.usage) + ")\r\n");
  fake::Reset();
  SetUp();
  AddFile("week1.jsonl", Reported("2026-11-17T10:00:05Z"));
  AddFile("week2.jsonl", Reported("2026-11-24T10:00:05Z"));
  EXPECT_EQ(RunTable({"--format", "changes", "--since", "week1.jsonl",
                      "--since", "week2.jsonl", "share"}),
            kTableComplete);
}

// What the table writes, or a later version of it: its keys ignored, its
// line ends and byte-order mark taken, its gone machines none of that
// audit, its hidden characters shown.
TEST_F(EarlierRunTest, ReadsWhatALaterVersionMayAddAndShowsHiddenText) {
  AddFile("old.jsonl",
          "\xEF\xBB\xBF" + kLine + "\r\n" +
              R"({"machine":"PC\u200b2","status":"incomplete","hotfixes":[],)"
              R"("future":{"keys":[1,2.5e-3,true,null]}})"
              "\r\n" +
              R"({"machine":"PC3","status":"gone","hotfixes":[]})");
  EXPECT_EQ(RunTable({"--format", "changes", "--since", "old.jsonl", "share"}),
            kTableReportProblem);
  EXPECT_EQ(Platform().output,
            "machine,change,item,before,now,reported_before,reported\r\n"
            "PC1,changed,,,,2026-11-01T10:00:05Z,2026-12-01T10:00:05Z\r\n"
            "PC1,changed,windows,,Windows XP SP3,2026-11-01T10:00:05Z,"
            "2026-12-01T10:00:05Z\r\n"
            "PC<U+200B>2,gone,,,,,\r\n");
  EXPECT_EQ(Platform().errorOutput,
            "PC<U+200B>2 is gone: last reported at a time not known\r\n");
}

}  // namespace
