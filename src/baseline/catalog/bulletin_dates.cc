#include "baseline/catalog/bulletin_dates.h"

#include <cstdio>

std::string DateText(int serialDay) {
  if (serialDay <= 0) return std::string();
  // The inverse of SerialDay, from days since 0000-03-01.
  const int days = serialDay + 693899;
  const int era = days / 146097;
  const int dayOfEra = days - era * 146097;
  const int yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}
