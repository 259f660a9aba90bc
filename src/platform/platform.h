// The operating-system services the program uses, declared once.
//
// Everything above this folder talks to the system only through the
// functions in namespace `platform`. They carry the Win32 names and
// signatures of the ANSI calls they stand for, so that the logic reads like
// the Win32 code it is. Three implementations exist, chosen at link time:
//   platform-win32.cc  forwards to the real Win32 API;
//   platform-posix.cc  a stand-in for Linux: real standard output, no
//                      registry, no Windows version;
//   platform-fake.cc   a programmable fake for the unit tests.
#ifndef HOTFIXES_PLATFORM_PLATFORM_H_
#define HOTFIXES_PLATFORM_PLATFORM_H_

#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdint>

// The subset of the Win32 types and constants the program needs, with the
// widths they have on Windows (LLP64: DWORD and LONG are 32 bits).
typedef int BOOL;
typedef unsigned char BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef UINT* PUINT;
typedef std::uintptr_t ULONG_PTR;
typedef std::size_t SIZE_T;
typedef void* HANDLE;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef struct HINSTANCE__* HMODULE;
typedef DWORD REGSAM;
typedef DWORD LCID;
typedef DWORD LCTYPE;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef std::int64_t LONGLONG;
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* PFILETIME;
typedef FILETIME* LPFILETIME;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[260];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};

#define MAX_DEFAULTCHAR 2
#define MAX_LEADBYTES 12
struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
typedef CPINFO* LPCPINFO;

struct MEMORY_BASIC_INFORMATION {
  void* BaseAddress;
  void* AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
};
typedef MEMORY_BASIC_INFORMATION* PMEMORY_BASIC_INFORMATION;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define STANDARD_RIGHTS_READ 0x00020000L
#define KEY_QUERY_VALUE 0x0001
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WOW64_64KEY 0x0100

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)
#define INVALID_HANDLE_VALUE ((HANDLE)(std::intptr_t)-1)
#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003

#define MEM_COMMIT 0x1000

#define EXCEPTION_EXECUTE_HANDLER 1
#define EXCEPTION_CONTINUE_SEARCH 0

#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define SM_DBCSENABLED 42
#define CP_ACP 0

#define GENERIC_READ 0x80000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#endif  // _WIN32

namespace platform {

// --- Version query -------------------------------------------------------
// `info` points at an OSVERSIONINFOA or OSVERSIONINFOEXA whose size field
// says which one it is.
BOOL GetVersionExA(OSVERSIONINFOA* info);
int lstrcmpiA(LPCSTR first, LPCSTR second);

// --- Registry, read only ---------------------------------------------------
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                   PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize);
LONG RegCloseKey(HKEY key);
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength,
                      LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptor,
                      PFILETIME lastWriteTime);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                   LPDWORD reserved, LPSTR className, LPDWORD classLength,
                   PFILETIME lastWriteTime);

// The access mask the registry is really asked for. A 32-bit program on
// 64-bit Windows is otherwise shown the 32-bit copy of HKLM\Software, which
// holds none of the system's hotfix keys.
REGSAM AccessMaskForView(REGSAM requested, bool runningUnderWow64);

// --- Version resources and the program's own file ---------------------------
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size,
                         LPVOID data);
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer,
                    PUINT length);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// --- Console output and process end -----------------------------------------
HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE file);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
               void* overlapped);
DWORD GetLastError();
BOOL CloseHandle(HANDLE object);
SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info,
                    SIZE_T length);
[[noreturn]] void ExitProcess(UINT exitCode);

// Whether a failure that reached the top of the program is for the program
// to report: EXCEPTION_EXECUTE_HANDLER, or EXCEPTION_CONTINUE_SEARCH when a
// debugger wants it.
LONG UnhandledExceptionFilter();

// The code address just behind the call of this function in its caller:
// where a failure raised there is said to have been raised.
const void* CurrentCodeAddress();

// A fault the processor or the system stopped the program with, in the
// terms of Windows' exception records.
struct PlatformFault {
  DWORD code;               // the status code, e.g. 0xC0000005
  const void* codeAddress;  // the instruction that faulted
  bool isWrite;             // access violations: written, not read
  const void* dataAddress;  // access violations: the address accessed
};
typedef void (*FaultHandler)(const PlatformFault& fault);

// While installed, a platform fault calls `handler`, which must not return.
// Passing nullptr removes it.
void InstallFaultHandler(FaultHandler handler);

// --- Locale facts ------------------------------------------------------------
LCID GetThreadLocale();
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
UINT GetACP();
BOOL GetCPInfo(UINT codePage, LPCPINFO info);
int GetSystemMetrics(int index);
// Whether `byte` starts a two-byte character in the system's ANSI code page.
BOOL IsDBCSLeadByte(BYTE byte);

// A text kept as UTF-16, converted to the system's ANSI code page (on
// Windows, characters the code page lacks become '?'; the stand-in answers
// UTF-8).
std::string ConvertToAnsi(const char16_t* wide);

// --- Files, folders and code pages (the table program) ----------------------
// The report program itself uses none of these; they live in files of their
// own (files-*.cc), so that it neither links nor imports them.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read,
              void* overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess,
                 LPFILETIME lastWrite);
DWORD GetFileAttributesA(LPCSTR fileName);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found);
BOOL FindClose(HANDLE search);
// With flags 0, a byte sequence the code page lacks becomes a replacement
// character of the system's choosing, never a failure.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int count,
                        LPWSTR wide, int wideCount);
BOOL IsValidCodePage(UINT codePage);
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId,
                     DWORD languageId, LPSTR buffer, DWORD size,
                     void* arguments);
// The account that owns an open file: "DOMAIN\\name" in the ANSI code
// page, or the owner's security identifier ("S-1-5-...") when no account
// of that name can be found (the stand-in: the owner's user name, else its
// number). FALSE when the file's owner cannot be told, e.g. on a file
// system that keeps none.
BOOL GetFileOwnerName(HANDLE file, std::string& owner);
// What separates a folder from the names in it in a path built here.
extern const char kPathDelimiter;
// Whether `c` ends a folder's name in a path: '\\', '/' and the ':' of a
// drive on Windows; '/' alone on Linux, where the others are ordinary
// characters of a file's name.
bool IsPathSeparator(char c);

}  // namespace platform

#endif  // HOTFIXES_PLATFORM_PLATFORM_H_
