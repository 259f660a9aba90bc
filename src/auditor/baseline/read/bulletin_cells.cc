#include "auditor/baseline/read/bulletin_cells.h"

#include <cstdint>

#include "auditor/files/civil_dates.h"
#include "auditor/text/ascii.h"

namespace {

// A number of at most `most` digits.
bool ParseNumber(std::string_view text, std::size_t most, int& value) {
  if (!IsDigits(text) || text.size() > most) return false;
  value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return true;
}

// "958687.0" is "958687": a number cell's digits without a zero fraction.
std::string_view WithoutZeroFraction(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return text;
  for (std::size_t i = point + 1; i < text.size(); ++i) {
    if (text[i] != '0') return std::string_view();
  }
  return text.substr(0, point);
}

bool SerialOfDate(int year, int month, int day, int& serial) {
  static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > kDays[month - 1]) {
    return false;
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return false;
  // Excel's day 1 is 1900-01-01 and it counts a 1900-02-29 that never was:
  // from March 1900 on, its serial is the days since 1899-12-30.
  serial = static_cast<int>(DaysFromCivil(year, month, day) -
                            DaysFromCivil(1899, 12, 30));
  if (serial < 61) --serial;
  return true;
}

// Splits at `separators`, each part without its blanks.
std::vector<std::string_view> SplitTrimmed(std::string_view text,
                                           std::string_view separators) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(separators, start);
    parts.push_back(Trimmed(text.substr(start, end - start)));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// "MS08-063": letters, digits, a dash and digits.
bool IsBulletinName(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsLetter(text[i])) ++i;
  const std::size_t dash = text.find('-', i);
  return i > 0 && dash != std::string_view::npos &&
         IsDigits(text.substr(i, dash - i)) && IsDigits(text.substr(dash + 1));
}

bool ParseReplacedItem(std::string_view item,
                       std::vector<ReplacedUpdate>& items) {
  const std::size_t open = item.find('[');
  const std::string bulletin(Trimmed(item.substr(0, open)));
  if (!IsBulletinName(bulletin)) return false;
  if (open == std::string_view::npos) {
    items.push_back({bulletin, std::string()});
    return true;
  }
  if (item.back() != ']') return false;
  const std::string_view kbs = item.substr(open + 1, item.size() - open - 2);
  for (std::string_view kb : SplitTrimmed(kbs, ",;")) {
    if (!IsDigits(kb)) return false;
    items.push_back({bulletin, std::string(kb)});
  }
  return true;
}

}  // namespace

bool ReadSlashDate(std::string_view text, int& dayFirst, int& monthFirst) {
  const std::vector<std::string_view> parts = SplitTrimmed(text, "/");
  int first, second, year;
  if (parts.size() != 3 || parts[2].size() != 4 ||
      !ParseNumber(parts[0], 2, first) || !ParseNumber(parts[1], 2, second) ||
      !ParseNumber(parts[2], 4, year)) {
    return false;
  }
  if (!SerialOfDate(year, second, first, dayFirst)) dayFirst = 0;
  if (!SerialOfDate(year, first, second, monthFirst)) monthFirst = 0;
  return true;
}

bool ParseDatePosted(std::string_view text, DateOrder order, int& serial) {
  // A number cell; its fraction is the time of day, which does not matter.
  const std::size_t point = text.find('.');
  int number;
  if (ParseNumber(text.substr(0, point), 7, number) &&
      (point == std::string_view::npos || IsDigits(text.substr(point + 1)))) {
    serial = number;
    return number >= 1 && number <= 2958465;  // up to 9999-12-31
  }
  int year, month, day;
  const std::vector<std::string_view> iso = SplitTrimmed(text, "-");
  if (iso.size() == 3 && iso[0].size() == 4 && ParseNumber(iso[0], 4, year) &&
      ParseNumber(iso[1], 2, month) && ParseNumber(iso[2], 2, day)) {
    return SerialOfDate(year, month, day, serial);
  }
  int dayFirst, monthFirst;
  if (!ReadSlashDate(text, dayFirst, monthFirst)) return false;
  if (order == DateOrder::kMonthFirst) {
    serial = monthFirst;
  } else if (order == DateOrder::kDayFirst || dayFirst == monthFirst) {
    serial = dayFirst;
  } else {
    serial = 0;
  }
  return serial != 0;
}

bool ParseKbNumber(std::string_view text, std::string& digits) {
  if (text.size() > 2 && (text[0] == 'K' || text[0] == 'k') &&
      (text[1] == 'B' || text[1] == 'b')) {
    text.remove_prefix(2);
  }
  text = WithoutZeroFraction(text);
  if (!IsDigits(text) || text.size() > 10) return false;
  digits.assign(text.data(), text.size());
  return true;
}

bool ParseSupersedes(std::string_view text, std::vector<ReplacedUpdate>& items,
                     std::string& badItem) {
  items.clear();
  // Items are separated by the commas outside brackets.
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size()) {
      if (text[i] == '[') ++depth;
      if (text[i] == ']') --depth;
      if (text[i] != ',' || depth != 0) continue;
    }
    const std::string_view item = Trimmed(text.substr(start, i - start));
    start = i + 1;
    if (item.empty()) continue;  // "A[1], " and the like
    if (!ParseReplacedItem(item, items)) {
      badItem = item;
      return false;
    }
  }
  return true;
}
