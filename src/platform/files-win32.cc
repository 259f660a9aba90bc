// Files, folders and code pages on Windows: each forwards to the Win32 call
// of the same name. Every one of them exists from Windows NT 3.1 on.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {
namespace {

// "S-1-5-21-...": an owner no account name is known for, such as one of
// another domain or one deleted since.
std::string SidText(PSID sid) {
  const SID_IDENTIFIER_AUTHORITY* authority = ::GetSidIdentifierAuthority(sid);
  unsigned long long value = 0;
  for (BYTE part : authority->Value) value = (value << 8) | part;
  std::string text = "S-1-" + std::to_string(value);
  const BYTE count = *::GetSidSubAuthorityCount(sid);
  for (BYTE i = 0; i < count; ++i) {
    text += '-';
    text += std::to_string(*::GetSidSubAuthority(sid, i));
  }
  return text;
}

std::string AccountNameOf(PSID sid) {
  char name[256], domain[256];
  DWORD nameSize = sizeof name, domainSize = sizeof domain;
  SID_NAME_USE use;
  if (!::LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize,
                           &use)) {
    return SidText(sid);
  }
  return domainSize == 0 ? std::string(name)
                         : std::string(domain) + "\\" + name;
}

}  // namespace

const char kPathDelimiter = '\\';

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

BOOL GetFileOwnerName(HANDLE file, std::string& owner) {
  std::vector<char> descriptor(256);
  DWORD needed = 0;
  while (!::GetKernelObjectSecurity(
      file, OWNER_SECURITY_INFORMATION, descriptor.data(),
      static_cast<DWORD>(descriptor.size()), &needed)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed <= descriptor.size()) {
      return FALSE;
    }
    descriptor.resize(needed);
  }
  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor.data(), &sid, &defaulted) ||
      sid == nullptr || !::IsValidSid(sid)) {
    return FALSE;
  }
  // Asking a domain controller takes a while; a share's reports have few
  // owners.
  static std::map<std::string, std::string> names;
  const std::string key(static_cast<const char*>(sid), ::GetLengthSid(sid));
  auto known = names.find(key);
  if (known == names.end()) {
    known = names.emplace(key, AccountNameOf(sid)).first;
  }
  owner = known->second;
  return TRUE;
}

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
