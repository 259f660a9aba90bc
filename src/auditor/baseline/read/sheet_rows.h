// A sheet's rows as a reader of its file finds them, before any of them is
// taken for bulletin data, and what such a reader takes of a file at most:
// what a worksheet can hold, so that a small file cannot make it hold
// gigabytes.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_SHEET_ROWS_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_SHEET_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A worksheet row has at most 16,384 cells (A to XFD).
const std::size_t kSheetColumns = 16384;
// A cell holds at most 32,767 characters: in UTF-8 less than 128 KiB.
const std::size_t kCellBytes = std::size_t{128} << 10;
// The cells of one row together; a row of the bulletin data holds about
// a kilobyte.
const std::size_t kRowBytes = std::size_t{16} << 20;

class SheetRowSink {
 public:
  virtual ~SheetRowSink() = default;
  // `cells[i]`: the text of column i (0 is A), empty where the cell is;
  // a number as the file writes it ("39763", "958687.0"). The texts live
  // until the call returns.
  virtual void Row(std::int64_t number,
                   const std::vector<std::string_view>& cells) = 0;
};

// The messages of a bound passed, for ReadFailure.
std::string MoreCellsThanARowHolds(std::int64_t row);
std::string LongerThanACellHolds(std::int64_t row);
std::string MoreTextThanARowHolds(std::int64_t row);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_SHEET_ROWS_H_
