// The stand-in platform for a native Linux build: real standard output and
// exit codes, errno as the error number; no registry (every key open fails)
// and no Windows version (the version query fails).
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/ascii.h"
#include "platform/platform.h"

namespace platform {
namespace {

thread_local DWORD lastError = 0;

int HandleToDescriptor(HANDLE file) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(file)) - 1;
}

HANDLE DescriptorToHandle(int descriptor) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor) + 1);
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

LONG RegQueryInfoKeyA(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                      LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                      PFILETIME) {
  return ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExA(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD,
                   PFILETIME) {
  return ERROR_INVALID_HANDLE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR, LPDWORD handle) {
  if (handle) *handle = 0;
  return 0;
}

BOOL GetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) { return FALSE; }

BOOL VerQueryValueA(LPCVOID, LPCSTR, LPVOID*, PUINT) { return FALSE; }

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
  if (which != STD_OUTPUT_HANDLE) return INVALID_HANDLE_VALUE;
  // A reader that has gone must make the write fail, not end the program.
  signal(SIGPIPE, SIG_IGN);
  if (fcntl(STDOUT_FILENO, F_GETFL) == -1) return INVALID_HANDLE_VALUE;
  return DescriptorToHandle(STDOUT_FILENO);
}

DWORD GetFileType(HANDLE file) {
  struct stat info;
  if (fstat(HandleToDescriptor(file), &info) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISCHR(info.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) return FILE_TYPE_DISK;
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
               void*) {
  const char* bytes = static_cast<const char*>(data);
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = write(HandleToDescriptor(file), bytes + done,
                            count - done);
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
