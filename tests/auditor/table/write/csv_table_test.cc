#include "auditor/table/write/csv_table.h"

#include <string>

#include "auditor/files/text_output.h"
#include "test_support.h"

namespace {

class CsvTableTest : public FakePlatformTest {};

// Anyone who may write the share writes these fields: none may become a
// formula in a spreadsheet, whatever column it is in, and quoting still
// holds around the guard.
TEST_F(CsvTableTest, NoFieldStartsAFormula) {
  struct Case {
    const char* name;
    MachineReport report;
    std::string row;
  };
  const Case cases[] = {
      {"= + - @ at the start of each column",
       {"=1+1",
        ReportStatus::kComplete,
        "1",
        "+os",
        "Windows XP SP3",
        {{"-3", "@SUM(A1)"}},
        "",
        "2026-12-01T10:00:05Z",
        "=cmd|' /C calc'!A0"},
       "'=1+1,complete,1,'+os,Windows XP "
       "SP3,'-3,'@SUM(A1),,2026-12-01T10:00:05Z,"
       "'=cmd|' /C calc'!A0\r\n"},
      {"TAB and CR at the start; a quoted field keeps the guard inside",
       {"PC",
        ReportStatus::kFailed,
        "",
        "os",
        "",
        {{"\tKB1", "\r\n=x"}},
        "-problem",
        "t",
        "D\\PC$"},
       "PC,failed,,os,,'\tKB1,\"'\r\n=x\",'-problem,t,D\\PC$\r\n"},
      {"a formula with quotes and a comma",
       {"PC",
        ReportStatus::kComplete,
        "1",
        "os",
        "",
        {{"KB1", "=HYPERLINK(\"http://e/?x\",\"Click\")"}},
        "",
        "t",
        ""},
       "PC,complete,1,os,,KB1,\"'=HYPERLINK(\"\"http://e/?x\"\",\"\"Click\"\")"
       "\",,t,\r\n"},
      {"signs after the start are left alone",
       {"PC-1",
        ReportStatus::kComplete,
        "1",
        "os",
        "",
        {{"KB1", "a = b - c"}},
        "",
        "t",
        "D\\a,b"},
       "PC-1,complete,1,os,,KB1,a = b - c,,t,\"D\\a,b\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    {
      TextOutput out(STD_OUTPUT_HANDLE);
      WriteCsvRows(c.report, out);
    }
    EXPECT_EQ(Platform().output, c.row);
  }
}

}  // namespace
