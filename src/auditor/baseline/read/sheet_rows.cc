#include "auditor/baseline/read/sheet_rows.h"

std::string MoreCellsThanARowHolds(std::int64_t row) {
  return "row " + std::to_string(row) + " has more than " +
         std::to_string(kSheetColumns) +
         " cells, the most a worksheet row holds";
}

std::string LongerThanACellHolds(std::int64_t row) {
  return "a cell of row " + std::to_string(row) +
         " is longer than a cell holds (32,767 characters)";
}

std::string MoreTextThanARowHolds(std::int64_t row) {
  return "row " + std::to_string(row) + " holds more than " +
         std::to_string(kRowBytes >> 20) + " MiB of text";
}
