// Days as Microsoft's bulletin data counts them: Excel's serial day
// numbers, 1 being 1900-01-01 and 39763 being 2008-11-11.
#ifndef HOTFIXES_BASELINE_CATALOG_BULLETIN_DATES_H_
#define HOTFIXES_BASELINE_CATALOG_BULLETIN_DATES_H_

#include <string>

// The serial day of a calendar date (from 1900-03-01 on, where Excel's
// count and the calendar agree).
constexpr int SerialDay(int year, int month, int day) {
  // Days since 0000-03-01 of the proleptic Gregorian calendar.
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear =
      (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const int fromEpoch = era * 146097 + dayOfEra;
  // 1899-12-30, Excel's day 0 as the calendar reckons it.
  const int kDayZero = 693899;
  return fromEpoch - kDayZero;
}

// "2008-11-11"; empty for 0 or less.
std::string DateText(int serialDay);

#endif  // HOTFIXES_BASELINE_CATALOG_BULLETIN_DATES_H_
