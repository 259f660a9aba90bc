// Files, folders and code pages on Windows: each forwards to the Win32 call
// of the same name. Every one of them exists from Windows NT 3.1 on.
#include "platform/platform.h"

namespace platform {

const char kPathDelimiter = '\\';

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile) {
  return ::CreateFileA(fileName, access, shareMode, security, disposition,
                       flags, templateFile);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read,
              void* overlapped) {
  return ::ReadFile(file, buffer, count, read,
                    static_cast<LPOVERLAPPED>(overlapped));
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  return ::GetFileSize(file, sizeHigh);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess,
                 LPFILETIME lastWrite) {
  return ::GetFileTime(file, creation, lastAccess, lastWrite);
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  return ::GetFileAttributesA(fileName);
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  return ::FindFirstFileA(pattern, found);
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  return ::FindNextFileA(search, found);
}

BOOL FindClose(HANDLE search) { return ::FindClose(search); }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int count,
                        LPWSTR wide, int wideCount) {
  return ::MultiByteToWideChar(codePage, flags, bytes, count, wide, wideCount);
}

BOOL IsValidCodePage(UINT codePage) { return ::IsValidCodePage(codePage); }

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId,
                     DWORD languageId, LPSTR buffer, DWORD size,
                     void* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                          static_cast<va_list*>(arguments));
}

}  // namespace platform
