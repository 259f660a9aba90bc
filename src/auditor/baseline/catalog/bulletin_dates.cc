#include "auditor/baseline/catalog/bulletin_dates.h"

#include <cstdio>

std::string DateText(int serialDay) {
  if (serialDay <= 0) return std::string();
  int year = 0, month = 0, day = 0;
  CivilFromDays(DaysFromCivil(1899, 12, 30) + serialDay, year, month, day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}
