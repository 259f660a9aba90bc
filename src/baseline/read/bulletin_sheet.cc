#include "baseline/read/bulletin_sheet.h"

#include "baseline/read/bulletin_cells.h"
#include "baseline/read/read_failure.h"
#include "files/visible_text.h"

namespace {

// Each column's header, as the 2008-2017 file writes it; the old file
// breaks some of them over two lines ("Date\nPosted", "Bulletin\nID").
// Source, last, may be missing.
const char* const kHeaders[] = {"Date Posted",  "Bulletin Id",
                                "Bulletin KB",  "Severity",
                                "Title",        "Affected Product",
                                "Component KB", "Affected Component",
                                "Supersedes",   "Source"};

// Lower case, each run of blanks and line breaks one space.
std::string HeaderWords(const std::string& text) {
  std::string words;
  for (char c : TrimBlanks(text)) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (words.back() != ' ') words += ' ';
    } else {
      words += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return words;
}

// A cell's text as a message shows it: visible, and not too long.
std::string Quoted(std::string_view text) {
  const std::size_t kShown = 60;
  std::string shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + Visible(shown) + "\"";
}

bool IsEmptyRow(const std::vector<std::string>& cells) {
  for (const std::string& cell : cells) {
    if (!TrimBlanks(cell).empty()) return false;
  }
  return true;
}

}  // namespace

BulletinSheet::BulletinSheet(BulletinRowSink& rows, BulletinFileFacts& facts)
    : rows_(rows), facts_(facts) {
  for (std::size_t& column : columns_) column = kNone;
}

void BulletinSheet::Row(std::int64_t number,
                        const std::vector<std::string>& cells) {
  if (IsEmptyRow(cells)) return;
  if (!headerSeen_) {
    ReadHeader(cells);
    return;
  }
  ++facts_.rowsRead;
  row_.rowNumber = number;
  const std::string why = ReadRow(cells);
  if (why.empty()) {
    rows_.Add(row_);
  } else {
    facts_.badRows.emplace_back(number, why);
  }
}

void BulletinSheet::Finish() const {
  if (!headerSeen_) {
    throw ReadFailure{
        "no header with the columns of the bulletin data: the "
        "sheet is empty"};
  }
}

void BulletinSheet::ReadHeader(const std::vector<std::string>& cells) {
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

std::string BulletinSheet::Cell(const std::vector<std::string>& cells,
                                Column column) const {
  const std::size_t index = columns_[column];
  return index < cells.size() ? std::string(TrimBlanks(cells[index]))
                              : std::string();
}

std::string BulletinSheet::ReadRow(const std::vector<std::string>& cells) {
  row_.bulletinId = Cell(cells, kBulletinId);
  if (row_.bulletinId.empty()) return "no Bulletin Id";
  if (!IsOneWord(row_.bulletinId)) {
    return "Bulletin Id " + Quoted(row_.bulletinId) + " is not one word";
  }
  const std::string date = Cell(cells, kDatePosted);
  row_.datePosted = 0;
  if (!date.empty() && !ParseDatePosted(date, row_.datePosted)) {
    return "Date Posted " + Quoted(date) + " is no date";
  }
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
