// A workbook's first worksheet written as CSV the way a spreadsheet saves
// it in a given locale: the benchmarks make of Microsoft's workbook the
// CSV that Excel in the UK (dates day first) or the US (month first)
// writes, and check that it gives the baseline the workbook gives.
//
//   sheet_to_csv dmy|mdy FILE.xlsx > FILE.csv
//
// UTF-8 with a byte-order mark, CR LF, fields quoted where they hold a
// comma, a quote or a line break; the Date Posted column's serial days
// written dd/mm/yyyy or mm/dd/yyyy, and the other cells as the workbook
// holds them.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "auditor/baseline/catalog/bulletin_dates.h"
#include "auditor/baseline/read/bulletin_cells.h"
#include "auditor/baseline/read/read_failure.h"
#include "auditor/baseline/read/xlsx_workbook.h"
#include "auditor/text/ascii.h"

namespace {

class CsvWriter : public SheetRowSink {
 public:
  explicit CsvWriter(bool dayFirst) : dayFirst_(dayFirst) {}

  void Row(std::int64_t number,
           const std::vector<std::string_view>& cells) override {
    // Rows the workbook leaves out are empty records, so that the CSV's
    // row numbers are the workbook's.
    for (; written_ + 1 < number; ++written_) std::fputs("\r\n", stdout);
    written_ = number;
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line += ',';
      line += Field(i, cells[i]);
    }
    if (dateColumn_ == kNone) FindDateColumn(cells);
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }

 private:
  static const std::size_t kNone = static_cast<std::size_t>(-1);

  void FindDateColumn(const std::vector<std::string_view>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      std::string words;
      for (char c : Trimmed(cells[i])) {
        words += (c == '\n' || c == '\r') ? ' ' : c;
      }
      if (words == "Date Posted") dateColumn_ = i;
    }
  }

  std::string Field(std::size_t column, std::string_view text) const {
    int serial = 0;
    if (column == dateColumn_ &&
        ParseDatePosted(text, DateOrder::kNotKnown, serial)) {
      const std::string iso = DateText(serial);  // yyyy-mm-dd
      const std::string day = iso.substr(8, 2), month = iso.substr(5, 2);
      return (dayFirst_ ? day + "/" + month : month + "/" + day) + "/" +
             iso.substr(0, 4);
    }
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
      return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
      quoted += c;
      if (c == '"') quoted += '"';
    }
    return quoted + "\"";
  }

  bool dayFirst_;
  std::size_t dateColumn_ = kNone;
  std::int64_t written_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string order = argc == 3 ? argv[1] : "";
  if (order != "dmy" && order != "mdy") {
    std::fprintf(stderr, "usage: sheet_to_csv dmy|mdy FILE.xlsx\n");
    return 2;
  }
  std::ifstream file(argv[2], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)),
                          std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) {
    std::fprintf(stderr, "sheet_to_csv: cannot read %s\n", argv[2]);
    return 1;
  }
  std::fputs("\xEF\xBB\xBF", stdout);
  CsvWriter writer(order == "dmy");
  try {
    ReadFirstWorksheet(bytes, writer);
  } catch (const ReadFailure& failure) {
    std::fprintf(stderr, "sheet_to_csv: %s\n", failure.message.c_str());
    return 1;
  }
  return 0;
}
