#include "auditor/baseline/read/bulletin_file.h"

#include <string>
#include <vector>

#include "auditor/baseline/read/sheet_rows.h"
#include "support/bulletin_row_line.h"
#include "support/zip_writer.h"
#include "test_support.h"

namespace {

// Each row the read stage hands on as one line, and what it counted.
class RecordingSink : public BulletinRowSink {
 public:
  void Add(const BulletinRow& row) override {
    lines.push_back(BulletinRowLine(row));
  }
  std::vector<std::string> lines;
};

const char kHeaderCsv[] =
    "Date Posted,Bulletin Id,Bulletin KB,Severity,Impact,Title,"
    "Affected Product,Component KB,Affected Component,Impact,Severity,"
    "Supersedes,Reboot,CVEs\r\n";

const char kSharedStrings[] =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<si><r><t>Date</t></r><r><rPr><b/></rPr><t xml:space="preserve">&#10;Posted</t></r><rPh><t>hidden</t></rPh></si>
<si><t>Bulletin_x000D_
ID</t></si><si><t>Bulletin KB</t></si><si><t>Severity</t></si>
<si><t>Title</t></si><si><t>Affected Product</t></si><si><t>Component KB</t></si>
<si><t>Affected Component</t></si><si><t>Supersedes</t></si>
<si><t>MS09-001</t></si><si><t>Microsoft Windows XP Service Pack 3</t></si>
<si><t>Critical</t></si><si><t>Impact</t></si></sst>)";

// Row 1 the header (the first Severity the bulletin's), row 3 a row of
// cells out of the usual order with blanks left out and names prefixed,
// row 4 without a bulletin ID.
const char kWorksheet[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<!-- written by hand -->
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c t="s"><v>2</v></c><c t="s"><v>3</v></c><c r="E1" t="s"><v>12</v></c><c r="F1" t="s"><v>4</v></c><c r="G1" t="s"><v>5</v></c><c r="H1" t="s"><v>6</v></c><c r="I1" t="s"><v>7</v></c><c r="K1" t="s"><v>3</v></c><c r="L1" t="s"><v>8</v></c></row>
<row r="2"/>
<x:row r="3" xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:c r="L3" t="str"><x:v> MS03-013[881493;811493], MS00-006 </x:v></x:c><x:c r="A3"><x:v>39826</x:v></x:c><x:c r="B3" t="s"><x:v>9</x:v></x:c><x:c r="C3" t="inlineStr"><x:is><x:t>958687</x:t></x:is></x:c><x:c r="D3" t="s"><x:v>11</x:v></x:c><x:c r="F3" t="inlineStr"><x:is><x:r><x:t>SMB &amp; &lt;Server&gt; &quot;x&apos;</x:t></x:r><x:r><x:t>&#x2028;<![CDATA[<raw>]]></x:t></x:r></x:is></x:c><x:c r="G3" t="s"><x:v>10</x:v></x:c><x:c r="H3"><x:v>958687</x:v></x:c><x:c r="K3" t="s"><x:v>12</x:v></x:c></x:row>
<row r="4"><c r="A4"><v>39826</v></c><c r="G4" t="s"><v>10</v></c></row>
</sheetData></worksheet>)";

std::string Workbook(const std::string& worksheet) {
  const std::string sheetType =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  return MakeZip({
      {"[Content_Types].xml", "<Types/>"},
      {"_rels/.rels",
       "<Relationships><Relationship Id=\"rId1\" Type=\"" + sheetType +
           "officeDocument\" Target=\"xl/book.xml\"/></Relationships>"},
      // The first sheet is not sheet1.xml, whose header would fail.
      {"xl/book.xml",
       "<workbook xmlns:rel=\"r\"><sheets><sheet name=\"Renamed\" "
       "rel:id=\"rId9\"/><sheet name=\"Bulletin Search\" rel:id=\"rId1\"/>"
       "</sheets></workbook>"},
      {"xl/_rels/book.xml.rels",
       "<Relationships><Relationship Id=\"rId1\" Type=\"" + sheetType +
           "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship "
           "Id=\"rId9\" Type=\"" +
           sheetType +
           "worksheet\" "
           "Target=\"/xl/worksheets/../data/first.xml\"/><Relationship "
           "Id=\"rId4\" Type=\"" +
           sheetType +
           "sharedStrings\" "
           "Target=\"strings.xml\"/></Relationships>"},
      {"xl/worksheets/sheet1.xml", "<worksheet/>"},
      {"xl/strings.xml", kSharedStrings, false},
      {"xl/data/first.xml", worksheet},
  });
}

class BulletinFileTest : public FakePlatformTest {
 protected:
  // Reads `bytes` as a file; the error, empty when it was read.
  std::string Read(const std::string& bytes,
                   DateOrder order = DateOrder::kNotKnown) {
    Platform().files["C:\\data\\bulletins"].bytes = bytes;
    std::string error;
    if (!ReadBulletinFile("C:\\data\\bulletins", order, sink, facts, error)) {
      EXPECT_FALSE(error.empty());
      return error;
    }
    return std::string();
  }
  RecordingSink sink;
  BulletinFileFacts facts;
};

TEST_F(BulletinFileTest, WorkbookCellsByReferenceAndEveryKindOfText) {
  ASSERT_EQ(Read(Workbook(kWorksheet)), "");
  EXPECT_EQ(sink.lines,
            std::vector<std::string>{
                "3|39826|MS09-001|958687|Critical|SMB & <Server> \"x'"
                "\xE2\x80\xA8<raw>|Microsoft Windows XP Service Pack 3|"
                "958687||MS03-013[881493]MS03-013[811493]MS00-006[]"});
  EXPECT_EQ(facts.rowsRead, 2);
  ASSERT_EQ(facts.badRows.size(), 1u);
  EXPECT_EQ(facts.badRows[0].first, 4);
  EXPECT_EQ(facts.badRows[0].second, "no Bulletin Id");
}

TEST_F(BulletinFileTest, WorksheetInflatedAndParsedPieceByPiece) {
  // A worksheet far larger than a piece of inflated bytes: every row is
  // handed on, whatever piece boundary cuts its tags.
  std::string rows;
  const int kRows = 5000;
  for (int row = 5; row < kRows + 5; ++row) {
    const std::string number = std::to_string(row);
    rows += "<row r=\"" + number + "\"><c r=\"B" + number +
            "\" t=\"inlineStr\"><is><t>MS09-" + number +
            "</t></is></c><c r=\"L" + number + "\" t=\"s\"><v>9</v></c></row>";
  }
  std::string worksheet = kWorksheet;
  worksheet.insert(worksheet.find("</sheetData>"), rows);
  ASSERT_EQ(Read(Workbook(worksheet)), "");
  EXPECT_EQ(facts.rowsRead, kRows + 2);
  ASSERT_EQ(sink.lines.size(), static_cast<std::size_t>(kRows) + 1);
  const std::string last = std::to_string(kRows + 4);
  EXPECT_EQ(sink.lines.back(),
            last + "|0|MS09-" + last + std::string(7, '|') + "MS09-001[]");
}

TEST_F(BulletinFileTest, CsvAsSpreadsheetsSaveIt) {
  const std::string row =
      "11/11/2008,MS08-069,955218,Critical,x,\"Title, \"\"quoted\"\"\","
      "Microsoft Windows 2000 Service Pack 4,955069.0,,x,Low,"
      "\"MS07-042[936021],MS03-013[881493;811493]\",Maybe,\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"byte-order mark, CR LF",
       "\xEF\xBB\xBF" + std::string(kHeaderCsv) + row,
       {"2|39763|MS08-069|955218|Critical|Title, \"quoted\"|Microsoft "
        "Windows 2000 Service Pack 4|955069||MS07-042[936021]MS03-013[881493]"
        "MS03-013[811493]"}},
      {"old header with line breaks, LF",
       "\"Date\nPosted\",\"Bulletin\r\nID\",Bulletin KB,Severity,Impact,Title,"
       "Affected Product,Component KB,Affected Component,Impact,Severity,"
       "Supersedes\n2008-11-11,MS08-069,955218,,,\"two\r\nlines\",,,,,,\n\n",
       {"2|39763|MS08-069|955218||two\nlines||||"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    sink.lines.clear();
    ASSERT_EQ(Read(test.bytes), "");
    EXPECT_EQ(sink.lines, test.lines);
  }
}

// A CSV row of the bulletin MS10-0NN dated `date`.
std::string DatedRow(const char* date, int number) {
  return std::string(date) + ",MS10-0" + std::to_string(number) +
         ",1,Critical,x,T,Microsoft Windows XP Service Pack 3,1,,x,,,,\r\n";
}

// Dates n/n/yyyy read in the order the file's rows show (a first number
// over 12: day first; a second: month first), or the one given.
TEST_F(BulletinFileTest, DatesInTheOrderTheRowsShow) {
  const DateOrder kAny = DateOrder::kNotKnown, kDay = DateOrder::kDayFirst,
                  kMonth = DateOrder::kMonthFirst;
  struct Case {
    const char* name;
    std::vector<const char*> dates;  // of rows 2, 3, ...
    DateOrder given;
    // "row:serial" of each row handed on, in the order handed; or the
    // error.
    std::vector<std::string> rows;
    std::string error;
    DateOrder order;
    std::int64_t against;  // rows left out for a date of the other order
  } cases[] = {
      {"UK, shown by a later row",
       {"02/08/2010", "25/08/2010"},
       kAny,
       {"2:40392", "3:40415"},
       "",
       kDay,
       0},
      {"US, shown by an earlier row",
       {"08/25/2010", "08/02/2010"},
       kAny,
       {"2:40415", "3:40392"},
       "",
       kMonth,
       0},
      // Rows whose dates need no order are handed on first.
      {"beside serial and ISO dates",
       {"40392", "02/08/2010", "2010-08-25", "25/08/2010"},
       kAny,
       {"2:40392", "4:40415", "3:40392", "5:40415"},
       "",
       kDay,
       0},
      {"the same day either way",
       {"05/05/2010"},
       kAny,
       {"2:40303"},
       "",
       kAny,
       0},
      {"the order more rows show; the others left out",
       {"25/08/2010", "08/26/2010", "27/08/2010"},
       kAny,
       {"2:40415", "4:40417"},
       "",
       kDay,
       1},
      {"no row shows it",
       {"02/08/2010", "03/08/2010"},
       kAny,
       {},
       "its dates such as \"02/08/2010\" (row 2) are a day both as "
       "day/month/year and as month/day/year, and no row shows which: say "
       "which with --date-order dmy or --date-order mdy",
       kAny,
       0},
      {"as many rows each way",
       {"25/08/2010", "08/26/2010"},
       kAny,
       {},
       "as many of its dates show day/month/year (\"25/08/2010\", row 2) "
       "as month/day/year (\"08/26/2010\", row 3): say which with "
       "--date-order dmy or --date-order mdy",
       kAny,
       0},
      {"given, against the rows",
       {"02/08/2010", "25/08/2010"},
       kMonth,
       {"2:40217"},
       "",
       kMonth,
       1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    sink.lines.clear();
    facts = BulletinFileFacts();
    std::string csv = kHeaderCsv;
    for (std::size_t i = 0; i < test.dates.size(); ++i) {
      csv += DatedRow(test.dates[i], static_cast<int>(i));
    }
    EXPECT_EQ(Read(csv, test.given), test.error);
    if (!test.error.empty()) continue;
    std::vector<std::string> rows;
    for (const std::string& line : sink.lines) {
      rows.push_back(line.substr(0, line.find('|', line.find('|') + 1)));
      rows.back()[rows.back().find('|')] = ':';
    }
    EXPECT_EQ(rows, test.rows);
    EXPECT_EQ(facts.dateOrder, test.order);
    EXPECT_EQ(facts.datesAgainstOrder, test.against);
    EXPECT_EQ(facts.badRows.size(), static_cast<std::size_t>(test.against));
    EXPECT_EQ(facts.rowsRead, static_cast<std::int64_t>(test.dates.size()));
  }
}

TEST_F(BulletinFileTest, EveryFileThatIsNoBulletinDataSaysWhy) {
  std::string cutShort = Workbook(kWorksheet);
  cutShort.resize(cutShort.size() / 2);
  // Small files that would have the reader hold far more than a worksheet
  // can: each is refused at the bound it passes.
  const std::string header(kHeaderCsv);
  const std::string longCell(kCellBytes + 1, 'x');
  std::string wideRow = header;
  for (std::size_t i = 0; i < kRowBytes / (kCellBytes - 1) + 1; ++i) {
    wideRow += std::string(kCellBytes - 1, 'x') + ",";
  }
  std::string deep = "<worksheet>";
  for (int i = 0; i < 64; ++i) deep += "<a>";
  const std::string zipWithTwo = MakeZip(
      {{"xl/workbook.xml", "<workbook/>"}, {"xl/Workbook.xml", "<workbook/>"}});
  struct Case {
    std::string bytes;
    std::string error;
  } cases[] = {
      {std::string(kHeaderCsv) + "1,\"MS09-001,x\r\n",
       "a quoted field of row 2 is never closed"},
      {"Bulletin Id\r\nMS09-001\r\n",
       "no header with the columns of the bulletin data: its first row lacks "
       "Date Posted, Bulletin KB, Severity, Title, Affected Product, "
       "Component KB, Affected Component, Supersedes"},
      {"\r\n,,\r\n",
       "no header with the columns of the bulletin data: the "
       "sheet is empty"},
      {"Date Posted\xC0\xAF",
       "neither an .xlsx workbook (a zip archive) nor a "
       "CSV in UTF-8"},
      {cutShort, "damaged zip archive: no central directory (cut short?)"},
      {Workbook("<worksheet><sheetData/></worksheet><row/>"),
       "xl/data/first.xml is not well-formed XML (byte 35): a second root "
       "element"},
      {Workbook("<worksheet><sheetData>"),
       "xl/data/first.xml is not well-formed XML (byte 22): it ends inside "
       "element <sheetData>"},
      {Workbook("<worksheet a='1' a='2'/>"),
       "xl/data/first.xml is not well-formed XML (byte 0): an attribute given "
       "twice"},
      {Workbook("<worksheet>&#0;</worksheet>"),
       "xl/data/first.xml is not well-formed XML (byte 11): a character "
       "reference to no character"},
      {Workbook("<worksheet>\x01</worksheet>"),
       "xl/data/first.xml is not well-formed XML (byte 11): a control "
       "character"},
      {Workbook("<?xml version=\"1.0\"?><!DOCTYPE x SYSTEM \"http://x/\">"
                "<worksheet/>"),
       "xl/data/first.xml holds a document type declaration (<!DOCTYPE), "
       "which is not read: no DTD or external entity is"},
      {Workbook("<worksheet><sheetData><row r=\"1\"><c r=\"A2\"/></row>"
                "</sheetData></worksheet>"),
       "a cell reference A2 that is none in row 1"},
      {Workbook("<worksheet><sheetData><row><c t=\"s\"><v>13</v></c></row>"
                "</sheetData></worksheet>"),
       "a cell in row 1 refers to a shared string that does not exist"},
      {MakeZip({{"xl/workbook.xml", "<workbook/>"}}),
       "not a workbook: it has no part xl/_rels/workbook.xml.rels"},
      {header + std::string(kSheetColumns, ','),
       "row 2 has more than 16384 cells, the most a worksheet row holds"},
      {header + "1,\"" + longCell + "\"\r\n",
       "a cell of row 2 is longer than a cell holds (32,767 characters)"},
      {wideRow, "row 2 holds more than 16 MiB of text"},
      {Workbook(deep),
       "xl/data/first.xml is not well-formed XML (byte 200): elements nested "
       "more than 64 deep"},
      {Workbook("<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>" +
                longCell + "</t></is></c></row></sheetData></worksheet>"),
       "a cell of row 1 is longer than a cell holds (32,767 characters)"},
      {zipWithTwo,
       "two members named xl/workbook.xml and xl/Workbook.xml: readers of "
       "zip archives and workbooks differ on which one counts"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.error);
    EXPECT_EQ(Read(test.bytes), test.error);
  }
}

}  // namespace
