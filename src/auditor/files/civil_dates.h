// Calendar dates as days since 1970-01-01, in the proleptic Gregorian
// calendar: file times, report times and the bulletin data's serial days
// all come down to these.
#ifndef HOTFIXES_AUDITOR_FILES_CIVIL_DATES_H_
#define HOTFIXES_AUDITOR_FILES_CIVIL_DATES_H_

#include <cstdint>

constexpr std::int64_t DaysFromCivil(int year, int month, int day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day);

#endif  // HOTFIXES_AUDITOR_FILES_CIVIL_DATES_H_
