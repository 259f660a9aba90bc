#include "auditor/table/read/report_times.h"

#include "auditor/files/civil_dates.h"
#include "auditor/files/file_access.h"

namespace {

bool ReadDigits(std::string_view text, std::size_t at, std::size_t count,
                int& value) {
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

std::string LastWriteOf(const std::string& path) {
  const OwnedFile file = OpenToRead(path);
  FILETIME time{};
  if (!file.valid() ||
      !platform::GetFileTime(file.get(), nullptr, nullptr, &time)) {
    return std::string();
  }
  return FormatUtcTime(time);
}

}  // namespace

bool ParseUtcTime(std::string_view text, std::int64_t& seconds) {
  int year, month, day, hour, minute, second;
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' ||
      text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
      text[19] != 'Z' || !ReadDigits(text, 0, 4, year) ||
      !ReadDigits(text, 5, 2, month) || !ReadDigits(text, 8, 2, day) ||
      !ReadDigits(text, 11, 2, hour) || !ReadDigits(text, 14, 2, minute) ||
      !ReadDigits(text, 17, 2, second) || year < kFirstReportYear ||
      year > kLastReportYear || month < 1 || month > 12 || day < 1 ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  // A real date: the day is the one the calendar gives it back as.
  const std::int64_t days = DaysFromCivil(year, month, day);
  int realYear, realMonth, realDay;
  CivilFromDays(days, realYear, realMonth, realDay);
  if (realMonth != month || realDay != day) return false;
  seconds = days * 86400 + std::int64_t{hour} * 3600 +
            std::int64_t{minute} * 60 + second;
  return true;
}

std::string NewestReportTime(const std::vector<ReportFile>& files) {
  std::string newest;
  for (const ReportFile& file : files) {
    // A link is not followed, not even for its time.
    if (file.link) continue;
    const std::string time = LastWriteOf(file.path);
    if (time > newest) newest = time;
  }
  return newest;
}

StaleReports::StaleReports(int days, std::string_view newest)
    : asked_(true), days_(days) {
  std::int64_t seconds = 0;
  known_ = ParseUtcTime(newest, seconds);
  cutoff_ = seconds - static_cast<std::int64_t>(days) * 86400;
}

bool StaleReports::IsStale(std::string_view reported) const {
  std::int64_t seconds = 0;
  return known_ && ParseUtcTime(reported, seconds) && seconds < cutoff_;
}
