// A sheet's rows as a reader of its file finds them, before any of them is
// taken for bulletin data.
#ifndef HOTFIXES_BASELINE_READ_SHEET_ROWS_H_
#define HOTFIXES_BASELINE_READ_SHEET_ROWS_H_

#include <cstdint>
#include <string>
#include <vector>

class SheetRowSink {
 public:
  virtual ~SheetRowSink() = default;
  // `cells[i]`: the text of column i (0 is A), empty where the cell is;
  // a number as the file writes it ("39763", "958687.0").
  virtual void Row(std::int64_t number,
                   const std::vector<std::string>& cells) = 0;
};

#endif  // HOTFIXES_BASELINE_READ_SHEET_ROWS_H_
