// The platform operations on Windows: each forwards to the Win32 call of the
// same name.
#include "platform/platform.h"

#ifdef _MSC_VER
#include <intrin.h>
#pragma intrinsic(_ReturnAddress)
#endif

#include <vector>

#include "platform/owned_handle.h"

namespace platform {
namespace {

// Functions newer than the oldest Windows the program starts on are looked
// up when asked for: imported, they would make the loader of an older
// system refuse the whole program. Null where the system lacks them.
template <typename Function>
Function FindKernel32Function(const char* name) {
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  if (kernel32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(kernel32, name)));
}

// A system without IsWow64Process (before XP SP2) has no WOW64.
bool RunningUnderWow64() {
  typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
  static const bool underWow64 = [] {
    const IsWow64ProcessFunction isWow64Process =
        FindKernel32Function<IsWow64ProcessFunction>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr &&
           isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
  }();
  return underWow64;
}

// Keeps room on the stack to report a stack overflow, where the system can
// (Server 2003 SP1, XP x64, Vista and later); elsewhere the system's own
// reserve is all there is.
void ReserveStackForFaultReport() {
  typedef BOOL(WINAPI * SetThreadStackGuaranteeFunction)(PULONG);
  const SetThreadStackGuaranteeFunction setThreadStackGuarantee =
      FindKernel32Function<SetThreadStackGuaranteeFunction>(
          "SetThreadStackGuarantee");
  ULONG guarantee = 64 * 1024;
  if (setThreadStackGuarantee != nullptr) setThreadStackGuarantee(&guarantee);
}

// A library loaded by LoadLibraryA.
struct LoadedLibrary {
  typedef HMODULE Handle;
  static Handle None() { return nullptr; }
  static void Close(Handle library) { ::FreeLibrary(library); }
};

FaultHandler installedHandler = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  PlatformFault fault{};
  fault.code = record->ExceptionCode;
  fault.codeAddress = record->ExceptionAddress;
  if (record->NumberParameters >= 2) {
    fault.isWrite = record->ExceptionInformation[0] != 0;
    fault.dataAddress =
        reinterpret_cast<const void*>(record->ExceptionInformation[1]);
  }
  installedHandler(fault);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but the only call that says
#endif                            // what the program is run on
  return ::GetVersionExA(info);
}

int lstrcmpiA(LPCSTR first, LPCSTR second) {
  return ::lstrcmpiA(first, second);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                   PHKEY result) {
  return ::RegOpenKeyExA(key, subKey, options,
                         AccessMaskForView(access, RunningUnderWow64()),
                         result);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  return ::RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

LONG RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength,
                      LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptor,
                      PFILETIME lastWriteTime) {
  return ::RegQueryInfoKeyA(key, className, classLength, reserved, subKeys,
                            maxSubKeyLength, maxClassLength, values,
                            maxValueNameLength, maxValueLength,
                            securityDescriptor, lastWriteTime);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                   LPDWORD reserved, LPSTR className, LPDWORD classLength,
                   PFILETIME lastWriteTime) {
  return ::RegEnumKeyExA(key, index, name, nameLength, reserved, className,
                         classLength, lastWriteTime);
}

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  return ::GetFileVersionInfoSizeA(fileName, handle);
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size,
                         LPVOID data) {
  return ::GetFileVersionInfoA(fileName, handle, size, data);
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer,
                    PUINT length) {
  return ::VerQueryValueA(block, subBlock, buffer, length);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return ::GetModuleFileNameA(module, fileName, size);
}

HANDLE GetStdHandle(DWORD which) { return ::GetStdHandle(which); }

DWORD GetFileType(HANDLE file) { return ::GetFileType(file); }

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
               void* overlapped) {
  return ::WriteFile(file, data, count, written,
                     static_cast<LPOVERLAPPED>(overlapped));
}

DWORD GetLastError() { return ::GetLastError(); }

BOOL CloseHandle(HANDLE object) { return ::CloseHandle(object); }

SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info,
                    SIZE_T length) {
  return ::VirtualQuery(address, info, length);
}

void ExitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

// The system's own UnhandledExceptionFilter would open the crash dialog (or
// start the registered debugger) for a failure the program reports itself;
// a console tool must not stop and wait for that. What the filter decides
// that matters here is whether a debugger is attached.
LONG UnhandledExceptionFilter() {
  return ::IsDebuggerPresent() ? EXCEPTION_CONTINUE_SEARCH
                               : EXCEPTION_EXECUTE_HANDLER;
}

#ifdef _MSC_VER
__declspec(noinline) const void* CurrentCodeAddress() {
  return _ReturnAddress();
}
#else
__attribute__((noinline)) const void* CurrentCodeAddress() {
  return __builtin_return_address(0);
}
#endif

void InstallFaultHandler(FaultHandler handler) {
  installedHandler = handler;
  if (handler != nullptr) {
    ReserveStackForFaultReport();
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  }
  ::SetUnhandledExceptionFilter(handler ? OnUnhandledException : nullptr);
}

LCID GetThreadLocale() { return ::GetThreadLocale(); }

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
  return ::GetLocaleInfoA(locale, type, data, size);
}

UINT GetACP() { return ::GetACP(); }

BOOL GetCPInfo(UINT codePage, LPCPINFO info) {
  return ::GetCPInfo(codePage, info);
}

// Only the Windows 95 family asks for this. user32.dll is loaded for it
// then, rather than at every start, where loading it costs more than a
// whole report of a few hotfixes.
int GetSystemMetrics(int index) {
  typedef int(WINAPI * GetSystemMetricsFunction)(int);
  const Owned<LoadedLibrary> user32(::LoadLibraryA("user32.dll"));
  if (!user32.valid()) return 0;
  const GetSystemMetricsFunction getSystemMetrics =
      reinterpret_cast<GetSystemMetricsFunction>(reinterpret_cast<void*>(
          ::GetProcAddress(user32.get(), "GetSystemMetrics")));
  return getSystemMetrics ? getSystemMetrics(index) : 0;
}

BOOL IsDBCSLeadByte(BYTE byte) { return ::IsDBCSLeadByte(byte); }

std::string ConvertToAnsi(const char16_t* wide) {
  const wchar_t* text = reinterpret_cast<const wchar_t*>(wide);
  const int size =
      ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size));
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr,
                        nullptr);
  return std::string(buffer.data(), static_cast<size_t>(size - 1));
}

}  // namespace platform
