// A programmable stand-in for every platform operation, for unit tests.
//
// Tests arrange a `fake::State` (version records, a registry tree, the
// standard-output handle, modules, version resource, locale), run the code
// under test, and then read back what it did: the bytes written, each write
// call, the registry calls with their masks, the handles still open.
#ifndef HOTFIXES_PLATFORM_PLATFORM_FAKE_H_
#define HOTFIXES_PLATFORM_PLATFORM_FAKE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace fake {

// Thrown by the fake ExitProcess so that a test sees how the program ended.
struct ProcessExit {
  UINT code;
};

struct Value {
  std::string name;
  DWORD type;
  std::string data;
};

struct Key {
  std::string name;
  std::vector<std::unique_ptr<Key>> subkeys;  // in enumeration order
  std::vector<Value> values;
  // Masks refused when this key is opened; `openable` false refuses all.
  std::set<REGSAM> deniedMasks;
  bool openable = true;

  // Adds (or finds) the direct subkey `name`; returns it.
  Key& Add(const std::string& subkeyName);
  // Walks a backslash-separated path of existing subkeys (case-insensitive);
  // an empty path is this key. nullptr when a step is missing.
  Key* Find(const std::string& path);
  void SetValue(const std::string& valueName, DWORD type,
                const std::string& data);
  // A REG_SZ value stored with its terminating NUL.
  void SetText(const std::string& valueName, const std::string& text) {
    SetValue(valueName, REG_SZ, text + std::string(1, '\0'));
  }
  Value* FindValue(const std::string& valueName);
  void RemoveSubkey(const std::string& subkeyName);

 private:
  // Where the subkeys of one upper-cased name stand in `subkeys`: the first
  // (what Add finds) and the last (what Find walks into).
  struct Slot {
    std::size_t first;
    std::size_t last;
  };
  // Finds a direct subkey in constant time however many there are. Entries
  // a test appends to `subkeys` directly are indexed on the next look-up; a
  // found entry whose name no longer matches rebuilds the index. A test that
  // edits `subkeys` otherwise (renames, replaces) goes through
  // Add/RemoveSubkey.
  bool Lookup(const std::string& subkeyName, Slot& found);
  // Keys are mostly opened in enumeration order: the entry found last and
  // the one behind it are tried before the index, whose look-ups land
  // anywhere in memory. Only exact while no name occurs twice.
  bool LookupNearLastFound(const std::string& subkeyName, Slot& found);
  void IndexFrom(std::size_t start);
  std::unordered_map<std::string, Slot> index_;
  std::size_t indexed_ = 0;     // how many entries of `subkeys` it covers
  std::size_t duplicates_ = 0;  // indexed entries whose name came before
  std::size_t lastFound_ = 0;
};

struct OpenAttempt {
  HKEY base;
  std::string path;
  REGSAM mask;
  LONG result;
  bool nullPath = false;  // the subkey path was passed as no text at all
};

struct Module {
  std::uintptr_t base;
  std::uintptr_t size;
  std::string path;  // empty: memory that belongs to no file
};

struct State {
  // Version query: which of the two record forms the query accepts, and
  // what it fills in.
  bool extendedQuerySucceeds = true;
  bool basicQuerySucceeds = true;
  OSVERSIONINFOEXA version{};
  int versionQueries = 0;

  // Whether every call is recorded: openAttempts, enumBufferLengths,
  // writes and output. Long runs (benchmarks) turn it off and read only the
  // counts of the standard output below.
  bool recordCalls = true;

  // Registry.
  Key localMachine;
  Key currentUser;
  struct OpenKey {
    Key* key;
    REGSAM mask;
  };
  std::map<HKEY, OpenKey> openHandles;
  std::uintptr_t nextHandle = 0x1000;
  std::vector<OpenAttempt> openAttempts;
  int closeCalls = 0;
  bool queryInfoFails = false;
  std::set<DWORD> enumFailsAt;  // RegEnumKeyExA fails for these indexes
  std::vector<DWORD> enumBufferLengths;  // the length passed to each call
  // A failing RegEnumKeyExA first fills the whole buffer it was given with
  // 'X' and no NUL, as a system may leave it.
  bool enumFailureFillsBuffer = false;
  // A name that does not fit its buffer: RegEnumKeyExA answers
  // ERROR_MORE_DATA and, like Wine, leaves the length as it was passed;
  // set, it reports the name's length instead, as a system may.
  bool enumMoreDataReportsLength = false;
  DWORD reportedMaxSubKeyLength = 0;  // 0: computed from the subkeys
  // Runs after every successful size query of RegQueryValueExA, with the
  // value's name: lets a test change the value before it is fetched.
  std::function<void(const std::string&)> afterSizeQuery;

  // Standard output.
  bool stdHandleInvalid = false;
  DWORD fileType = FILE_TYPE_CHAR;
  std::string output;                     // the bytes that reached the device
  std::vector<std::string> writes;        // each WriteFile call's bytes
  std::set<std::size_t> failingWrites;    // indexes into the WriteFile calls
  std::size_t failWritesFrom = SIZE_MAX;  // and every call from this one on
  DWORD writeError = 112;  // the error number a failed write reports
  // Runs at every WriteFile call, with the call's index, once the call is
  // recorded and before it writes: lets a test fault inside a write.
  std::function<void(std::size_t)> onWrite;
  int closedHandles = 0;
  DWORD lastError = 0;
  // Counted whether or not the calls are recorded.
  std::size_t writeCalls = 0;    // WriteFile calls
  std::size_t bytesWritten = 0;  // bytes that reached the device

  // Modules, for the program's own path and the failure report.
  std::string modulePath = "C:\\Tools\\hotfixes.exe";
  std::vector<Module> modules = {{0x00400000, 0x00100000, modulePath}};
  const void* currentCodeAddress = reinterpret_cast<const void*>(0x00401234);
  // Runs at every CurrentCodeAddress call. Each line check asks for the
  // address once its line is handed over: a test can see where lines end.
  std::function<void()> onCodeAddressQuery;
  platform::FaultHandler faultHandler = nullptr;
  LONG filterAnswer = EXCEPTION_EXECUTE_HANDLER;

  // Version resource of any file: the sub-block paths the block answers,
  // each with its bytes and the length VerQueryValueA reports.
  struct Item {
    std::string bytes;
    UINT length;
  };
  bool hasVersionBlock = false;
  bool versionBlockReadFails = false;
  std::map<std::string, Item> versionItems;
  bool queriedUnreadBlock = false;  // VerQueryValueA saw a block not filled

  // Locale.
  LCID threadLocale = 0x0409;
  std::string localeAnsiCodePage = "1252";
  UINT ansiCodePage = 1252;
  std::vector<std::pair<BYTE, BYTE>> leadByteRanges;  // of every code page
  std::vector<LCID> localeInfoQueries;  // the locale of each GetLocaleInfoA
  std::vector<UINT> codePageQueries;    // the code page of each GetCPInfo
  int dbcsEnabled = 0;

  // Standard error: every byte written there.
  std::string errorOutput;

  // Files and folders, by their full paths ('/' between a folder and its
  // names). A file's folder need not be listed in `folders` to be read;
  // to be searched, it must.
  struct File {
    std::string bytes;
    FILETIME lastWrite{};
    bool readable = true;       // false: opening it is refused
    bool symbolicLink = false;  // listed as a reparse point
    std::string owner;          // empty: its owner cannot be told
  };
  std::map<std::string, File> files;
  std::set<std::string> folders;
  // What ends a folder's name in a path: Windows' set unless a test
  // stands in for Linux.
  std::string pathSeparators = "\\/:";
  // Files opened and searches begun, not yet closed: a file's path and
  // how far it has been read; a search's names still to come.
  struct OpenFile {
    std::string path;
    std::size_t position = 0;
  };
  std::map<HANDLE, OpenFile> openFiles;
  std::map<HANDLE, std::vector<WIN32_FIND_DATAA>> searches;
  // Code page conversion: 1252 (and the ANSI code page when it is 1252)
  // maps each byte to the code point of the same number; no other code
  // page exists.
};

// The one fake the platform operations answer from.
State& Get();
// Starts afresh: a default State, every handle forgotten.
void Reset();
// Calls the installed fault handler, as a processor fault would.
void RaiseFault(const platform::PlatformFault& fault);
// Handles of keys opened and not yet closed.
std::size_t OpenKeyCount();
// True while the fake records what a WriteFile call wrote: that memory is
// the test's, which an allocator that fails on purpose leaves alone.
bool Recording();

}  // namespace fake

#endif  // HOTFIXES_PLATFORM_PLATFORM_FAKE_H_
