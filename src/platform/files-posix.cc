// Files, folders and code pages on Linux, in the terms of their Win32
// counterparts: descriptors as handles, errno as the error number, iconv
// for the Windows code pages (code page N is iconv's "CPN"; 65001 and
// CP_ACP, the stand-in's ANSI code page, are UTF-8).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <iconv.h>
#include <pwd.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/owned_handle.h"
#include "platform/platform.h"
#include "platform/posix-detail.h"

namespace platform {
namespace {

using platform_detail::DescriptorToHandle;
using platform_detail::HandleToDescriptor;

BOOL Fail(int error) {
  platform_detail::SetLastErrorNumber(static_cast<DWORD>(error));
  return FALSE;
}

// 100-nanosecond intervals since 1601-01-01, the Windows epoch.
FILETIME ToFileTime(const struct timespec& time) {
  const std::int64_t kEpochDifference = 11644473600LL;
  const std::uint64_t ticks =
      static_cast<std::uint64_t>(time.tv_sec + kEpochDifference) * 10000000u +
      static_cast<std::uint64_t>(time.tv_nsec) / 100u;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(ticks);
  result.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return result;
}

DWORD AttributesOf(const struct stat& info) {
  if (S_ISLNK(info.st_mode)) return FILE_ATTRIBUTE_REPARSE_POINT;
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                               : FILE_ATTRIBUTE_NORMAL;
}

std::string IconvName(UINT codePage) {
  if (codePage == CP_ACP || codePage == 65001) return "UTF-8";
  if (codePage >= 28591 && codePage <= 28605) {
    return "ISO-8859-" + std::to_string(codePage - 28590);
  }
  return "CP" + std::to_string(codePage);
}

// A conversion descriptor of iconv_open.
struct IconvConversion {
  typedef iconv_t Handle;
  static Handle None() { return reinterpret_cast<iconv_t>(-1); }
  static void Close(Handle conversion) { iconv_close(conversion); }
};
typedef Owned<IconvConversion> Converter;

// From `codePage` to UTF-16; none when iconv does not know the code page.
Converter ConverterFrom(UINT codePage) {
  return Converter(iconv_open("UTF-16LE", IconvName(codePage).c_str()));
}

const WCHAR kReplacement = 0xFFFD;

// A folder search: the folder, the name pattern, and where it stands.
struct Search {
  DIR* folder;
  std::string path;
  std::string pattern;
};

// The next entry of the search that matches its pattern, as Windows
// describes it; false at the end.
bool NextMatch(Search& search, WIN32_FIND_DATAA& found) {
  while (const dirent* entry = readdir(search.folder)) {
    if (fnmatch(search.pattern.c_str(), entry->d_name, FNM_CASEFOLD) != 0) {
      continue;
    }
    const std::size_t length = std::strlen(entry->d_name);
    if (length >= sizeof found.cFileName) continue;
    found = WIN32_FIND_DATAA{};
    std::memcpy(found.cFileName, entry->d_name, length + 1);
    struct stat info;
    const std::string full = search.path + "/" + entry->d_name;
    // A symbolic link is described, not followed, as Windows describes a
    // reparse point.
    if (lstat(full.c_str(), &info) == 0) {
      found.dwFileAttributes = AttributesOf(info);
      found.ftLastWriteTime = ToFileTime(info.st_mtim);
      const auto size = static_cast<std::uint64_t>(info.st_size);
      found.nFileSizeLow = static_cast<DWORD>(size);
      found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    } else {
      found.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    return true;
  }
  return false;
}

}  // namespace

const char kPathDelimiter = '/';

bool IsPathSeparator(char c) { return c == '/'; }

BOOL GetFileOwnerName(HANDLE file, std::string& owner) {
  struct stat info;
  if (fstat(HandleToDescriptor(file), &info) != 0) return Fail(errno);
  // The user database may be a file read anew on every call, or a
  // directory server: a share's reports have few owners.
  static std::map<uid_t, std::string> names;
  auto known = names.find(info.st_uid);
  if (known == names.end()) {
    std::vector<char> buffer(4096);
    struct passwd entry;
    struct passwd* found = nullptr;
    const bool named = getpwuid_r(info.st_uid, &entry, buffer.data(),
                                  buffer.size(), &found) == 0 &&
                       found != nullptr;
    known = names
                .emplace(info.st_uid, named ? std::string(found->pw_name)
                                            : std::to_string(info.st_uid))
                .first;
  }
  owner = known->second;
  return TRUE;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                   DWORD, HANDLE) {
  // Not waiting for a writer: a FIFO that has none reads as empty.
  const int descriptor = open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    Fail(errno);
    return INVALID_HANDLE_VALUE;
  }
  // Windows opens no folder as a file.
  struct stat info;
  if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(descriptor);
    Fail(EISDIR);
    return INVALID_HANDLE_VALUE;
  }
  return DescriptorToHandle(descriptor);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void*) {
  ssize_t got;
  do {
    got = ::read(HandleToDescriptor(file), buffer, count);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    if (read) *read = 0;
    return Fail(errno);
  }
  if (read) *read = static_cast<DWORD>(got);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  struct stat info;
  if (fstat(HandleToDescriptor(file), &info) != 0) {
    Fail(errno);
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess,
                 LPFILETIME lastWrite) {
  struct stat info;
  if (fstat(HandleToDescriptor(file), &info) != 0) return Fail(errno);
  if (creation) *creation = ToFileTime(info.st_ctim);
  if (lastAccess) *lastAccess = ToFileTime(info.st_atim);
  if (lastWrite) *lastWrite = ToFileTime(info.st_mtim);
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  struct stat info;
  if (stat(fileName, &info) != 0) {
    Fail(errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(info);
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  const std::string whole = pattern;
  const std::size_t slash = whole.rfind('/');
  Search search;
  search.path = slash == std::string::npos ? "." : whole.substr(0, slash);
  if (search.path.empty()) search.path = "/";
  search.pattern = whole.substr(slash == std::string::npos ? 0 : slash + 1);
  search.folder = opendir(search.path.c_str());
  if (search.folder == nullptr) {
    Fail(errno);
    return INVALID_HANDLE_VALUE;
  }
  if (!NextMatch(search, *found)) {
    closedir(search.folder);
    Fail(ENOENT);
    return INVALID_HANDLE_VALUE;
  }
  return new Search(search);
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  errno = 0;
  if (NextMatch(*static_cast<Search*>(search), *found)) return TRUE;
  return Fail(errno != 0 ? errno : ENOENT);
}

BOOL FindClose(HANDLE search) {
  Search* open = static_cast<Search*>(search);
  closedir(open->folder);
  delete open;
  return TRUE;
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR bytes, int count,
                        LPWSTR wide, int wideCount) {
  if (count < 0) count = static_cast<int>(std::strlen(bytes)) + 1;
  const Converter converter = ConverterFrom(codePage);
  if (!converter.valid()) {
    Fail(EINVAL);
    return 0;
  }
  std::u16string result;
  result.reserve(static_cast<std::size_t>(count));
  char16_t chunk[1024];
  char* in = const_cast<char*>(bytes);
  std::size_t inLeft = static_cast<std::size_t>(count);
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    const std::size_t done =
        iconv(converter.get(), &in, &inLeft, &out, &outLeft);
    result.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte the code page lacks, or a character cut off at the end.
      result += kReplacement;
      ++in;
      --inLeft;
    }
  }
  if (wideCount == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<std::size_t>(wideCount)) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(result.begin(), result.end(), wide);
  return static_cast<int>(result.size());
}

BOOL IsValidCodePage(UINT codePage) {
  return codePage != CP_ACP && ConverterFrom(codePage).valid() ? TRUE : FALSE;
}

DWORD FormatMessageA(DWORD, LPCVOID, DWORD messageId, DWORD, LPSTR buffer,
                     DWORD size, void*) {
  if (size == 0) return 0;
  const std::string text = strerror(static_cast<int>(messageId));
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  text.copy(buffer, length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

}  // namespace platform
