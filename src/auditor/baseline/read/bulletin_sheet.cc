#include "auditor/baseline/read/bulletin_sheet.h"

#include <algorithm>

#include "auditor/baseline/read/bulletin_cells.h"
#include "auditor/baseline/read/read_failure.h"
#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/baseline_text.h"

namespace {

// Each column's header, as the 2008-2017 file writes it; the old file
// breaks some of them over two lines ("Date\nPosted", "Bulletin\nID").
// Source, last, may be missing.
const char* const kHeaders[] = {"Date Posted",  "Bulletin Id",
                                "Bulletin KB",  "Severity",
                                "Title",        "Affected Product",
                                "Component KB", "Affected Component",
                                "Supersedes",   "Source"};

const char kSayTheOrder[] =
    ": say which with --date-order dmy or --date-order mdy";

// Lower case, each run of blanks and line breaks one space.
std::string HeaderWords(std::string_view text) {
  std::string words;
  for (char c : Trimmed(text)) {
    if (IsSpace(c)) {
      if (words.back() != ' ') words += ' ';
    } else {
      words += AsciiLower(c);
    }
  }
  return words;
}

// A cell's text as a message shows it: visible, and not too long.
std::string Quoted(std::string_view text) {
  return "\"" + VisibleExcerpt(text, 60) + "\"";
}

bool IsEmptyRow(const std::vector<std::string_view>& cells) {
  for (std::string_view cell : cells) {
    if (!Trimmed(cell).empty()) return false;
  }
  return true;
}

const char* OrderName(DateOrder order) {
  return order == DateOrder::kDayFirst ? "day/month/year" : "month/day/year";
}

}  // namespace

BulletinSheet::BulletinSheet(BulletinRowSink& rows, BulletinFileFacts& facts,
                             DateOrder order)
    : rows_(rows),
      facts_(facts),
      order_(order),
      pass_(order == DateOrder::kNotKnown ? Pass::kHoldingBack
                                          : Pass::kEveryRow) {
  for (std::size_t& column : columns_) column = kNone;
  facts_.dateOrder = order;
  facts_.dateOrderGiven = order != DateOrder::kNotKnown;
}

void BulletinSheet::Row(std::int64_t number,
                        const std::vector<std::string_view>& cells) {
  if (IsEmptyRow(cells)) return;
  if (!headerSeen_) {
    ReadHeader(cells);
    return;
  }
  const DateCell date = DateOf(cells);
  if (pass_ == Pass::kHoldingBack && date.NeedsOrder()) {
    HoldBack(number, date);
    return;
  }
  if (pass_ == Pass::kRowsHeldBack && !date.NeedsOrder()) return;
  ReadDataRow(number, cells, date);
}

bool BulletinSheet::EndOfSheet() {
  if (!headerSeen_) {
    throw ReadFailure{
        "no header with the columns of the bulletin data: the "
        "sheet is empty"};
  }
  if (pass_ == Pass::kHoldingBack && !firstHeldBack_.text.empty()) {
    DecideDateOrder();
    pass_ = Pass::kRowsHeldBack;
    headerSeen_ = false;
    return true;
  }
  std::stable_sort(
      facts_.badRows.begin(), facts_.badRows.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  return false;
}

void BulletinSheet::ReadHeader(const std::vector<std::string_view>& cells) {
  // Of the two columns called Severity, the first is the bulletin's.
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::string words = HeaderWords(cells[i]);
    for (int column = 0; column < kColumnsRead; ++column) {
      if (columns_[column] == kNone && words == HeaderWords(kHeaders[column])) {
        columns_[column] = i;
      }
    }
  }
  std::string missing;
  for (int column = 0; column < kColumnCount; ++column) {
    if (columns_[column] != kNone) continue;
    missing += (missing.empty() ? "" : ", ") + std::string(kHeaders[column]);
  }
  if (!missing.empty()) {
    throw ReadFailure{
        "no header with the columns of the bulletin data: its first row "
        "lacks " +
        missing};
  }
  headerSeen_ = true;
}

BulletinSheet::DateCell BulletinSheet::DateOf(
    const std::vector<std::string_view>& cells) const {
  DateCell date;
  date.text = Cell(cells, kDatePosted);
  date.slashed = ReadSlashDate(date.text, date.dayFirst, date.monthFirst);
  return date;
}

void BulletinSheet::HoldBack(std::int64_t number, const DateCell& date) {
  if (firstHeldBack_.text.empty()) firstHeldBack_ = {number, date.text};
  if (date.monthFirst == 0) {
    if (showDayFirst_++ == 0) firstDayFirst_ = {number, date.text};
  } else if (date.dayFirst == 0) {
    if (showMonthFirst_++ == 0) firstMonthFirst_ = {number, date.text};
  }
}

// The order more of the rows show; with none, or as many each way, the
// file does not tell it.
void BulletinSheet::DecideDateOrder() {
  if (showDayFirst_ > showMonthFirst_) {
    order_ = DateOrder::kDayFirst;
  } else if (showMonthFirst_ > showDayFirst_) {
    order_ = DateOrder::kMonthFirst;
  } else if (showDayFirst_ == 0) {
    throw ReadFailure{"its dates such as " + Quoted(firstHeldBack_.text) +
                      " (row " + std::to_string(firstHeldBack_.row) +
                      ") are a day both as day/month/year and as "
                      "month/day/year, and no row shows which" +
                      kSayTheOrder};
  } else {
    throw ReadFailure{"as many of its dates show day/month/year (" +
                      Quoted(firstDayFirst_.text) + ", row " +
                      std::to_string(firstDayFirst_.row) +
                      ") as month/day/year (" + Quoted(firstMonthFirst_.text) +
                      ", row " + std::to_string(firstMonthFirst_.row) + ")" +
                      kSayTheOrder};
  }
  facts_.dateOrder = order_;
}

void BulletinSheet::ReadDataRow(std::int64_t number,
                                const std::vector<std::string_view>& cells,
                                const DateCell& date) {
  ++facts_.rowsRead;
  row_.rowNumber = number;
  const std::string why = ReadRow(cells, date);
  if (why.empty()) {
    rows_.Add(row_);
  } else {
    facts_.badRows.emplace_back(number, why);
  }
}

std::string BulletinSheet::Cell(const std::vector<std::string_view>& cells,
                                Column column) const {
  const std::size_t index = columns_[column];
  return index < cells.size() ? std::string(Trimmed(cells[index]))
                              : std::string();
}

std::string BulletinSheet::ReadDate(const DateCell& date) {
  row_.datePosted = 0;
  if (date.text.empty()) return std::string();
  const bool ordered = date.NeedsOrder();
  if (ordered) ++facts_.orderedDates;
  if (ParseDatePosted(date.text, order_, row_.datePosted)) {
    if (ordered && (date.dayFirst == 0 || date.monthFirst == 0)) {
      ++facts_.datesShowingOrder;
    }
    return std::string();
  }
  if (ordered) {
    ++facts_.datesAgainstOrder;
    return "Date Posted " + Quoted(date.text) + " is no date in " +
           OrderName(order_) + " order";
  }
  return "Date Posted " + Quoted(date.text) + " is no date";
}

std::string BulletinSheet::ReadRow(const std::vector<std::string_view>& cells,
                                   const DateCell& date) {
  row_.bulletinId = Cell(cells, kBulletinId);
  if (row_.bulletinId.empty()) return "no Bulletin Id";
  if (!IsRequirementId(row_.bulletinId)) {
    return "Bulletin Id " + Quoted(row_.bulletinId) + " is not one word";
  }
  std::string badDate = ReadDate(date);
  if (!badDate.empty()) return badDate;
  row_.bulletinKb = Cell(cells, kBulletinKb);
  ParseKbNumber(row_.bulletinKb, row_.bulletinKb);  // else kept as it is
  const std::string componentKb = Cell(cells, kComponentKb);
  row_.componentKb.clear();
  if (!componentKb.empty() && !ParseKbNumber(componentKb, row_.componentKb)) {
    return "Component KB " + Quoted(componentKb) + " is no KB number";
  }
  std::string badItem;
  if (!ParseSupersedes(Cell(cells, kSupersedes), row_.supersedes, badItem)) {
    return "Supersedes item " + Quoted(badItem) + " is no BULLETIN[KB]";
  }
  row_.severity = Cell(cells, kSeverity);
  row_.title = Cell(cells, kTitle);
  row_.product = Cell(cells, kProduct);
  row_.component = Cell(cells, kComponent);
  row_.source = Cell(cells, kSource);
  return std::string();
}
