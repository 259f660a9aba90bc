// The fake's files, folders and code pages, answered from fake::State.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/ascii.h"
#include "platform/platform-fake.h"

namespace platform {
namespace {

const DWORD kCodePageOfBytes = 1252;

fake::State& S() { return fake::Get(); }

BOOL Fail(DWORD error) {
  S().lastError = error;
  return FALSE;
}

HANDLE NewHandle() { return reinterpret_cast<HANDLE>(S().nextHandle++); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

WIN32_FIND_DATAA Describe(const std::string& name, DWORD attributes,
                          const fake::State::File* file) {
  WIN32_FIND_DATAA found{};
  found.dwFileAttributes = attributes;
  if (file && file->symbolicLink) {
    found.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  }
  const std::size_t length = std::min(name.size(), sizeof found.cFileName - 1);
  std::memcpy(found.cFileName, name.data(), length);
  if (file) {
    found.ftLastWriteTime = file->lastWrite;
    found.nFileSizeLow = static_cast<DWORD>(file->bytes.size());
  }
  return found;
}

bool IsBytesCodePage(UINT codePage) {
  return codePage == kCodePageOfBytes ||
         (codePage == CP_ACP && S().ansiCodePage == kCodePageOfBytes);
}

}  // namespace

const char kPathDelimiter = '/';

bool IsPathSeparator(char c) {
  return S().pathSeparators.find(c) != std::string::npos;
}

BOOL GetFileOwnerName(HANDLE file, std::string& owner) {
  const auto open = S().openFiles.find(file);
  if (open == S().openFiles.end()) return Fail(ERROR_INVALID_HANDLE);
  const std::string& known = S().files[open->second.path].owner;
  if (known.empty()) return Fail(ERROR_ACCESS_DENIED);
  owner = known;
  return TRUE;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                   DWORD, HANDLE) {
  const auto file = S().files.find(fileName);
  if (file == S().files.end()) {
    Fail(S().folders.count(fileName) ? ERROR_ACCESS_DENIED
                                     : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (!file->second.readable) {
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE handle = NewHandle();
  S().openFiles[handle].path = fileName;
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void*) {
  const auto open = S().openFiles.find(file);
  if (open == S().openFiles.end()) return Fail(ERROR_INVALID_HANDLE);
  const std::string& bytes = S().files[open->second.path].bytes;
  const std::size_t at = std::min(open->second.position, bytes.size());
  const std::size_t got = std::min<std::size_t>(count, bytes.size() - at);
  std::memcpy(buffer, bytes.data() + at, got);
  open->second.position = at + got;
  if (read) *read = static_cast<DWORD>(got);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  const auto open = S().openFiles.find(file);
  if (open == S().openFiles.end()) {
    Fail(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (sizeHigh) *sizeHigh = 0;
  return static_cast<DWORD>(S().files[open->second.path].bytes.size());
}

BOOL GetFileTime(HANDLE file, LPFILETIME, LPFILETIME, LPFILETIME lastWrite) {
  const auto open = S().openFiles.find(file);
  if (open == S().openFiles.end()) return Fail(ERROR_INVALID_HANDLE);
  if (lastWrite) *lastWrite = S().files[open->second.path].lastWrite;
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  if (S().folders.count(fileName)) return FILE_ATTRIBUTE_DIRECTORY;
  if (S().files.count(fileName)) return FILE_ATTRIBUTE_NORMAL;
  Fail(ERROR_FILE_NOT_FOUND);
  return INVALID_FILE_ATTRIBUTES;
}

// Only the pattern "FOLDER/*" is known: every name in the folder, its
// subfolders among them, in the order of their paths.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  const std::string folder = FolderOf(pattern);
  if (NameOf(pattern) != "*" || !S().folders.count(folder)) {
    Fail(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<WIN32_FIND_DATAA> names;
  for (const auto& sub : S().folders) {
    if (FolderOf(sub) == folder && sub != folder) {
      names.push_back(Describe(NameOf(sub), FILE_ATTRIBUTE_DIRECTORY, nullptr));
    }
  }
  for (const auto& file : S().files) {
    if (FolderOf(file.first) == folder) {
      names.push_back(
          Describe(NameOf(file.first), FILE_ATTRIBUTE_NORMAL, &file.second));
    }
  }
  if (names.empty()) {
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::reverse(names.begin(), names.end());
  const HANDLE search = NewHandle();
  S().searches[search] = names;
  FindNextFileA(search, found);
  return search;
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  const auto open = S().searches.find(search);
  if (open == S().searches.end()) return Fail(ERROR_INVALID_HANDLE);
  if (open->second.empty()) return Fail(ERROR_NO_MORE_FILES);
  *found = open->second.back();
  open->second.pop_back();
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  return S().searches.erase(search) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR bytes, int count,
                        LPWSTR wide, int wideCount) {
  if (!IsBytesCodePage(codePage)) return Fail(ERROR_INVALID_PARAMETER);
  if (count < 0) count = static_cast<int>(std::strlen(bytes)) + 1;
  if (wideCount == 0) return count;
  if (wideCount < count) return Fail(ERROR_INSUFFICIENT_BUFFER);
  for (int i = 0; i < count; ++i) {
    wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]));
  }
  return count;
}

BOOL IsValidCodePage(UINT codePage) {
  return codePage == kCodePageOfBytes ? TRUE : FALSE;
}

DWORD FormatMessageA(DWORD, LPCVOID, DWORD messageId, DWORD, LPSTR buffer,
                     DWORD size, void*) {
  const std::string text = "error " + std::to_string(messageId) + ".\r\n";
  if (size <= text.size()) return 0;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace platform
