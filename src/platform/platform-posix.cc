// The stand-in platform for a native Linux build: real standard output and
// exit codes, errno as the error number; no registry (every key open fails)
// and no Windows version (the version query fails). The program's own file
// carries a version block built from the version and description the build
// passes in (HOTFIXES_VERSION, HOTFIXES_DESCRIPTION); other files have none.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "platform/platform.h"
#include "platform/posix-detail.h"

namespace platform_detail {
namespace {
thread_local DWORD lastError = 0;
}  // namespace

void SetLastErrorNumber(DWORD error) { lastError = error; }

}  // namespace platform_detail

namespace platform {
namespace {

using platform_detail::DescriptorToHandle;
using platform_detail::HandleToDescriptor;
using platform_detail::lastError;

const DWORD kErrorInsufficientBuffer = 122;
const DWORD kErrorResourceTypeNotFound = 1813;

// The version block's layout is the stand-in's own: the signature, the
// block's size in bytes, then one entry per sub-block: its NUL-terminated
// path, the item's length (a DWORD) and the item's bytes. A text item's
// length counts its characters and the NUL, as VerQueryValueA reports it.
const char kVersionBlockSignature[] = "HFVI";

DWORD ReadDword(const char* at) {
  DWORD value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void AppendDword(std::string& block, DWORD value) {
  block.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void AppendItem(std::string& block, const char* path, const char* bytes,
                std::size_t length) {
  block.append(path, std::strlen(path) + 1);
  AppendDword(block, static_cast<DWORD>(length));
  block.append(bytes, length);
}

std::string BuildOwnVersionBlock() {
  // Language 0x0409 (US English) in the low word, code page 0x04E4 (1252)
  // in the high word.
  static const char kTranslation[] = {'\x09', '\x04', '\xE4', '\x04'};
  static const char kDescription[] = HOTFIXES_DESCRIPTION;
  static const char kVersion[] = HOTFIXES_VERSION;
  std::string items;
  AppendItem(items, "\\VarFileInfo\\Translation", kTranslation,
             sizeof kTranslation);
  AppendItem(items, "\\StringFileInfo\\040904E4\\FileDescription", kDescription,
             sizeof kDescription);
  AppendItem(items, "\\StringFileInfo\\040904E4\\FileVersion", kVersion,
             sizeof kVersion);
  std::string block(kVersionBlockSignature, sizeof(DWORD));
  AppendDword(block, static_cast<DWORD>(2 * sizeof(DWORD) + items.size()));
  return block + items;
}

const std::string& OwnVersionBlock() {
  static const std::string block = BuildOwnVersionBlock();
  return block;
}

// Whether `fileName` names the running program's file, by any path.
bool IsOwnExecutable(LPCSTR fileName) {
  char own[PATH_MAX];
  char resolved[PATH_MAX];
  if (fileName == nullptr || realpath(fileName, resolved) == nullptr) {
    return false;
  }
  const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
  return length != 0 && std::strcmp(own, resolved) == 0;
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA*) {
  lastError = ERROR_INVALID_PARAMETER;
  return FALSE;
}

int lstrcmpiA(LPCSTR first, LPCSTR second) {
  return platform_detail::CompareIgnoringAsciiCase(first, second);
}

LONG RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) {
  return ERROR_FILE_NOT_FOUND;
}

LONG RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
  return ERROR_INVALID_HANDLE;
}

LONG RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }

LONG RegQueryInfoKeyA(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                      LPDWORD, LPDWORD, LPDWORD, LPDWORD, PFILETIME) {
  return ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExA(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD,
                   PFILETIME) {
  return ERROR_INVALID_HANDLE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  if (!IsOwnExecutable(fileName)) {
    lastError = kErrorResourceTypeNotFound;
    return 0;
  }
  return static_cast<DWORD>(OwnVersionBlock().size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data) {
  const std::string& block = OwnVersionBlock();
  if (!IsOwnExecutable(fileName)) {
    lastError = kErrorResourceTypeNotFound;
    return FALSE;
  }
  if (data == nullptr || size < block.size()) {
    lastError = kErrorInsufficientBuffer;
    return FALSE;
  }
  std::memcpy(data, block.data(), block.size());
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer,
                    PUINT length) {
  const char* base = static_cast<const char*>(block);
  if (base == nullptr || subBlock == nullptr ||
      std::memcmp(base, kVersionBlockSignature, sizeof(DWORD)) != 0) {
    return FALSE;
  }
  const std::size_t size = ReadDword(base + sizeof(DWORD));
  std::size_t at = 2 * sizeof(DWORD);
  while (at < size) {
    const char* path = base + at;
    const std::size_t pathSize = strnlen(path, size - at) + 1;
    if (pathSize + sizeof(DWORD) > size - at) break;
    const DWORD itemLength = ReadDword(path + pathSize);
    const std::size_t itemAt = at + pathSize + sizeof(DWORD);
    if (itemLength > size - itemAt) break;
    if (platform_detail::CompareIgnoringAsciiCase(path, subBlock) == 0) {
      *buffer = const_cast<char*>(base + itemAt);
      *length = itemLength;
      return TRUE;
    }
    at = itemAt + itemLength;
  }
  return FALSE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (size == 0) return 0;
  char path[PATH_MAX];
  std::size_t length = 0;
  Dl_info info;
  if (module == nullptr) {
    const ssize_t read = readlink("/proc/self/exe", path, sizeof path - 1);
    if (read <= 0) return 0;
    length = static_cast<std::size_t>(read);
  } else if (dladdr(module, &info) != 0 && info.dli_fname != nullptr) {
    length = std::strlen(info.dli_fname);
    if (length >= sizeof path) length = sizeof path - 1;
    std::memcpy(path, info.dli_fname, length);
  } else {
    return 0;
  }
  if (length > size - 1) length = size - 1;
  std::memcpy(fileName, path, length);
  fileName[length] = '\0';
  return static_cast<DWORD>(length);
}

HANDLE GetStdHandle(DWORD which) {
  int descriptor;
  if (which == STD_OUTPUT_HANDLE) {
    descriptor = STDOUT_FILENO;
  } else if (which == STD_ERROR_HANDLE) {
    descriptor = STDERR_FILENO;
  } else {
    return INVALID_HANDLE_VALUE;
  }
  // A reader that has gone, or a file that may grow no further, must make
  // the write fail, not end the program.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  if (fcntl(descriptor, F_GETFL) == -1) return INVALID_HANDLE_VALUE;
  return DescriptorToHandle(descriptor);
}

DWORD GetFileType(HANDLE file) {
  struct stat info;
  if (fstat(HandleToDescriptor(file), &info) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISCHR(info.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) return FILE_TYPE_DISK;
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, void*) {
  const char* bytes = static_cast<const char*>(data);
  DWORD done = 0;
  while (done < count) {
    const ssize_t n =
        write(HandleToDescriptor(file), bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      lastError = n < 0 ? static_cast<DWORD>(errno) : ENOSPC;
      if (written) *written = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

DWORD GetLastError() { return lastError; }

BOOL CloseHandle(HANDLE object) {
  return close(HandleToDescriptor(object)) == 0 ? TRUE : FALSE;
}

SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info,
                    SIZE_T length) {
  Dl_info found;
  if (length < sizeof *info || address == nullptr ||
      dladdr(address, &found) == 0 || found.dli_fbase == nullptr) {
    return 0;
  }
  *info = MEMORY_BASIC_INFORMATION{};
  info->BaseAddress = found.dli_fbase;
  info->AllocationBase = found.dli_fbase;
  info->State = MEM_COMMIT;
  return sizeof *info;
}

void ExitProcess(UINT exitCode) { _exit(static_cast<int>(exitCode)); }

LONG UnhandledExceptionFilter() { return EXCEPTION_EXECUTE_HANDLER; }

__attribute__((noinline)) const void* CurrentCodeAddress() {
  return __builtin_return_address(0);
}

LCID GetThreadLocale() { return 0x0409; }

int GetLocaleInfoA(LCID, LCTYPE type, LPSTR data, int size) {
  static const char kUtf8CodePage[] = "65001";
  if (type != LOCALE_IDEFAULTANSICODEPAGE) return 0;
  if (size == 0) return sizeof kUtf8CodePage;
  if (size < static_cast<int>(sizeof kUtf8CodePage)) return 0;
  std::memcpy(data, kUtf8CodePage, sizeof kUtf8CodePage);
  return sizeof kUtf8CodePage;
}

UINT GetACP() { return 65001; }

BOOL GetCPInfo(UINT, LPCPINFO info) {
  *info = CPINFO{};
  info->MaxCharSize = 4;
  info->DefaultChar[0] = '?';
  return TRUE;
}

int GetSystemMetrics(int) { return 0; }

BOOL IsDBCSLeadByte(BYTE) { return FALSE; }

std::string ConvertToAnsi(const char16_t* wide) {
  return platform_detail::Utf16ToUtf8(wide);
}

}  // namespace platform
