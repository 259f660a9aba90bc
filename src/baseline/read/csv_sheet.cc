#include "baseline/read/csv_sheet.h"

#include <string>
#include <vector>

#include "baseline/read/read_failure.h"
#include "files/utf8.h"

namespace {

class CsvParser {
 public:
  explicit CsvParser(std::string_view text) : text_(text) {}

  void ReadAll(SheetRowSink& rows) {
    std::int64_t row = 0;
    while (at_ < text_.size()) {
      ++row;
      ReadRecord(row);
      rows.Row(row, cells_);
    }
  }

 private:
  bool AtFieldEnd() const {
    return at_ == text_.size() || text_[at_] == ',' || text_[at_] == '\n' ||
           text_[at_] == '\r';
  }

  void ReadRecord(std::int64_t row) {
    cells_.clear();
    for (;;) {
      std::string field;
      if (at_ < text_.size() && text_[at_] == '"') ReadQuoted(row, field);
      // Text after a closing quote stays, as the spreadsheets keep it.
      const std::size_t start = at_;
      while (!AtFieldEnd()) ++at_;
      field.append(text_.substr(start, at_ - start));
      cells_.push_back(std::move(field));
      if (at_ == text_.size() || text_[at_] != ',') break;
      ++at_;
    }
    if (at_ < text_.size() && text_[at_] == '\r') ++at_;
    if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  }

  // A cell's own line breaks are LF, as in the workbook's XML.
  void ReadQuoted(std::int64_t row, std::string& field) {
    ++at_;
    for (;;) {
      if (at_ == text_.size()) {
        throw ReadFailure{"a quoted field of row " + std::to_string(row) +
                          " is never closed"};
      }
      const char c = text_[at_++];
      if (c == '"') {
        if (at_ == text_.size() || text_[at_] != '"') return;
        ++at_;
        field += '"';
      } else if (c == '\r' && at_ < text_.size() && text_[at_] == '\n') {
        field += '\n';
        ++at_;
      } else {
        field += c;
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::vector<std::string> cells_;
};

}  // namespace

void ReadCsvSheet(std::string_view bytes, SheetRowSink& rows) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (bytes.find('\0') != std::string_view::npos || !IsValidUtf8(bytes)) {
    throw ReadFailure{
        "neither an .xlsx workbook (a zip archive) nor a CSV in UTF-8"};
  }
  CsvParser(bytes).ReadAll(rows);
}
