// Days as Microsoft's bulletin data counts them: Excel's serial day
// numbers, 1 being 1900-01-01 and 39763 being 2008-11-11.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_BULLETIN_DATES_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_BULLETIN_DATES_H_

#include <string>

#include "auditor/files/civil_dates.h"

// The serial day of a calendar date (from 1900-03-01 on, where Excel's
// count and the calendar agree).
constexpr int SerialDay(int year, int month, int day) {
  return static_cast<int>(DaysFromCivil(year, month, day) -
                          DaysFromCivil(1899, 12, 30));
}

// "2008-11-11"; empty for 0 or less.
std::string DateText(int serialDay);

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_BULLETIN_DATES_H_
