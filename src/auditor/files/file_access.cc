#include "auditor/files/file_access.h"

#include <cstdio>

#include "auditor/files/civil_dates.h"
#include "auditor/text/text_decoding.h"
#include "auditor/text/visible_text.h"

namespace {

bool IsFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

OwnedFile OpenToRead(const std::string& path) {
  return OwnedFile(platform::CreateFileA(
      path.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ReadResult ReadWholeFile(const std::string& path, std::uint64_t limit,
                         std::string& bytes, FileFacts& facts, DWORD& error) {
  const OwnedFile file = OpenToRead(path);
  DWORD sizeHigh = 0;
  const DWORD sizeLow =
      file.valid() ? platform::GetFileSize(file.get(), &sizeHigh) : 0;
  if (!file.valid() || (sizeLow == INVALID_FILE_SIZE &&
                        platform::GetLastError() != ERROR_SUCCESS)) {
    error = platform::GetLastError();
    return ReadResult::kFailed;
  }
  if (!platform::GetFileTime(file.get(), nullptr, nullptr, &facts.lastWrite)) {
    facts.lastWrite = FILETIME{};
  }
  facts.owner.clear();
  if (!platform::GetFileOwnerName(file.get(), facts.owner)) facts.owner.clear();
  const std::uint64_t size =
      (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  if (size > limit) return ReadResult::kTooLarge;
  // One byte more than the size, to see a file that grew meanwhile end.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > limit) return ReadResult::kTooLarge;
      bytes.resize(bytes.size() * 2);
    }
    DWORD got = 0;
    if (!platform::ReadFile(file.get(), &bytes[done],
                            static_cast<DWORD>(bytes.size() - done), &got,
                            nullptr)) {
      error = platform::GetLastError();
      return ReadResult::kFailed;
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return ReadResult::kRead;
}

PathKind KindOfPath(const std::string& path, DWORD& error) {
  const DWORD attributes = platform::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = platform::GetLastError();
    return PathKind::kMissing;
  }
  return IsFolder(attributes) ? PathKind::kFolder : PathKind::kFile;
}

bool ListFilesIn(const std::string& folder, std::vector<FolderEntry>& entries,
                 DWORD& error) {
  WIN32_FIND_DATAA found{};
  const OwnedSearch search(
      platform::FindFirstFileA(PathInFolder(folder, "*").c_str(), &found));
  if (!search.valid()) {
    error = platform::GetLastError();
    // A folder with nothing in it, not even "." and "..".
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  do {
    if (!IsFolder(found.dwFileAttributes)) {
      entries.push_back({found.cFileName, (found.dwFileAttributes &
                                           FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    }
  } while (platform::FindNextFileA(search.get(), &found));
  error = platform::GetLastError();
  return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
}

std::size_t NameStartIn(const std::string& path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (platform::IsPathSeparator(c)) {
      start = i + 1;
    } else if (platform::IsDBCSLeadByte(static_cast<BYTE>(c)) &&
               i + 1 < path.size()) {
      ++i;  // its second byte may look like a backslash
    }
  }
  return start;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  std::string path = folder;
  if (!path.empty() && NameStartIn(path) != path.size()) {
    path += platform::kPathDelimiter;
  }
  return path + name;
}

std::string ShownPath(const std::string& path) {
  return Visible(AnsiAsUtf8(path));
}

std::string DescribeSystemError(DWORD error) {
  const DWORD kEnglish = 0x0409;
  // One line: a message's own line breaks become blanks.
  const DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_MAX_WIDTH_MASK;
  char text[512];
  DWORD length = platform::FormatMessageA(kFlags, nullptr, error, kEnglish,
                                          text, sizeof text, nullptr);
  if (length == 0) {
    // A system without English messages speaks its own language.
    length = platform::FormatMessageA(kFlags, nullptr, error, 0, text,
                                      sizeof text, nullptr);
  }
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                        text[length - 1] == ' ' || text[length - 1] == '.')) {
    --length;
  }
  std::string described;
  if (length == 0 || !AppendAnsiAsUtf8(text, length, CP_ACP, described)) {
    return "error " + std::to_string(error);
  }
  return described;
}

std::string FormatUtcTime(const FILETIME& time) {
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
      time.dwLowDateTime;
  if (ticks == 0) return std::string();
  const std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
  const std::int64_t seconds =
      static_cast<std::int64_t>(ticks / 10000000u) - kSecondsFrom1601To1970;
  const std::int64_t kDay = 86400;
  std::int64_t days = seconds / kDay, inDay = seconds % kDay;
  if (inDay < 0) {
    inDay += kDay;
    --days;
  }
  int year, month, day;
  CivilFromDays(days, year, month, day);
  if (year < kFirstReportYear || year > kLastReportYear) return std::string();
  char text[96];  // room for any int the compiler may imagine
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year,
                month, day, static_cast<int>(inDay / 3600),
                static_cast<int>(inDay / 60 % 60),
                static_cast<int>(inDay % 60));
  return text;
}
