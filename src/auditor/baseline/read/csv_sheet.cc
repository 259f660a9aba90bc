#include "auditor/baseline/read/csv_sheet.h"

#include <string>
#include <utility>
#include <vector>

#include "auditor/baseline/read/read_failure.h"
#include "auditor/text/utf8.h"

namespace {

class CsvParser {
 public:
  explicit CsvParser(std::string_view text) : text_(text) {}

  void ReadAll(SheetRowSink& rows) {
    while (at_ < text_.size()) {
      ++row_;
      ReadRecord();
      cells_.clear();
      for (const auto& field : fields_) {
        cells_.push_back(
            std::string_view(rowText_).substr(field.first, field.second));
      }
      rows.Row(row_, cells_);
    }
  }

 private:
  bool AtFieldEnd() const {
    return at_ == text_.size() || text_[at_] == ',' || text_[at_] == '\n' ||
           text_[at_] == '\r';
  }

  // The record's fields go into one text, bounded as a worksheet's row.
  void ReadRecord() {
    rowText_.clear();
    fields_.clear();
    for (;;) {
      if (fields_.size() == kSheetColumns) {
        throw ReadFailure{MoreCellsThanARowHolds(row_)};
      }
      const std::size_t start = rowText_.size();
      if (at_ < text_.size() && text_[at_] == '"') ReadQuoted(start);
      // Text after a closing quote stays, as the spreadsheets keep it.
      const std::size_t plain = at_;
      while (!AtFieldEnd()) ++at_;
      Append(text_.substr(plain, at_ - plain), start);
      fields_.emplace_back(start, rowText_.size() - start);
      if (at_ == text_.size() || text_[at_] != ',') break;
      ++at_;
    }
    if (at_ < text_.size() && text_[at_] == '\r') ++at_;
    if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  }

  void Append(std::string_view text, std::size_t fieldStart) {
    if (rowText_.size() - fieldStart + text.size() > kCellBytes) {
      throw ReadFailure{LongerThanACellHolds(row_)};
    }
    if (rowText_.size() + text.size() > kRowBytes) {
      throw ReadFailure{MoreTextThanARowHolds(row_)};
    }
    rowText_.append(text.data(), text.size());
  }

  // A cell's own line breaks are LF, as in the workbook's XML.
  void ReadQuoted(std::size_t fieldStart) {
    ++at_;
    for (;;) {
      // The run up to the next quote or CR is taken as it is.
      std::size_t end = at_;
      while (end < text_.size() && text_[end] != '"' && text_[end] != '\r') {
        ++end;
      }
      Append(text_.substr(at_, end - at_), fieldStart);
      at_ = end;
      if (at_ == text_.size()) {
        throw ReadFailure{"a quoted field of row " + std::to_string(row_) +
                          " is never closed"};
      }
      const char c = text_[at_++];
      if (c == '"') {
        if (at_ == text_.size() || text_[at_] != '"') return;
        ++at_;
        Append("\"", fieldStart);
      } else if (at_ < text_.size() && text_[at_] == '\n') {
        Append("\n", fieldStart);
        ++at_;
      } else {
        Append("\r", fieldStart);
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::int64_t row_ = 0;
  std::string rowText_;
  std::vector<std::pair<std::size_t, std::size_t>> fields_;  // start, size
  std::vector<std::string_view> cells_;
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
