#include "platform/platform-fake.h"

#include <algorithm>
#include <cstring>

#include "platform/ascii.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");

namespace fake {
namespace {

State& TheState() {
  static State state;
  return state;
}

// Whole names, as the index keeps them: a name with a NUL inside is not the
// name before its NUL, which is all a C string can ask for.
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return platform_detail::AsciiUpper(x) ==
                  platform_detail::AsciiUpper(y);
         });
}

// The form under which the index keeps a name: names compare without case.
std::string IndexName(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) c = platform_detail::AsciiUpper(c);
  return upper;
}

Key* RootKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return &TheState().localMachine;
  if (key == HKEY_CURRENT_USER) return &TheState().currentUser;
  return nullptr;
}

// The key a handle stands for, and the mask it was opened with; roots are
// always usable.
State::OpenKey* LookUpHandle(HKEY key, State::OpenKey& rootSlot) {
  if (Key* root = RootKey(key)) {
    rootSlot = {root, KEY_READ};
    return &rootSlot;
  }
  auto found = TheState().openHandles.find(key);
  return found == TheState().openHandles.end() ? nullptr : &found->second;
}

LONG EnumKey(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength) {
  State::OpenKey rootSlot{};
  const State::OpenKey* open = LookUpHandle(key, rootSlot);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if ((open->mask & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (TheState().enumFailsAt.count(index)) return ERROR_ACCESS_DENIED;
  if (index >= open->key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& found = open->key->subkeys[index]->name;
  if (nameLength == nullptr || found.size() >= *nameLength) {
    if (nameLength && TheState().enumMoreDataReportsLength) {
      *nameLength = static_cast<DWORD>(found.size());
    }
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameLength = static_cast<DWORD>(found.size());
  return ERROR_SUCCESS;
}

const BYTE kBlockMagic[8] = {'F', 'A', 'K', 'E', 'V', 'E', 'R', 'S'};

}  // namespace

Key& Key::Add(const std::string& subkeyName) {
  Slot slot{};
  if (Lookup(subkeyName, slot)) return *subkeys[slot.first];
  subkeys.push_back(std::make_unique<Key>());
  subkeys.back()->name = subkeyName;
  return *subkeys.back();
}

void Key::IndexFrom(std::size_t start) {
  if (start == 0) {
    index_.clear();
    duplicates_ = 0;
  }
  for (std::size_t i = start; i < subkeys.size(); ++i) {
    auto inserted = index_.emplace(IndexName(subkeys[i]->name), Slot{i, i});
    if (!inserted.second) {
      inserted.first->second.last = i;
      ++duplicates_;
    }
  }
  indexed_ = subkeys.size();
}

bool Key::LookupNearLastFound(const std::string& subkeyName, Slot& found) {
  if (duplicates_ != 0) return false;
  for (std::size_t at : {lastFound_, lastFound_ + 1}) {
    if (at < subkeys.size() && SameName(subkeys[at]->name, subkeyName)) {
      found = Slot{at, at};
      lastFound_ = at;
      return true;
    }
  }
  return false;
}

bool Key::Lookup(const std::string& subkeyName, Slot& found) {
  // Appended entries are taken in; fewer entries than indexed means some
  // were taken out behind the index's back.
  IndexFrom(subkeys.size() < indexed_ ? 0 : indexed_);
  if (LookupNearLastFound(subkeyName, found)) return true;
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto entry = index_.find(IndexName(subkeyName));
    if (entry == index_.end()) return false;
    const Slot& slot = entry->second;
    if (SameName(subkeys[slot.first]->name, subkeyName) &&
        SameName(subkeys[slot.last]->name, subkeyName)) {
      found = slot;
      lastFound_ = slot.last;
      return true;
    }
    IndexFrom(0);  // an entry was edited in place: index afresh
  }
  return false;
}

Key* Key::Find(const std::string& path) {
  Key* key = this;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string step = path.substr(start, end - start);
    if (step.empty()) return nullptr;  // a doubled or leading backslash
    Slot slot{};
    if (!key->Lookup(step, slot)) return nullptr;
    key = key->subkeys[slot.last].get();
    start = end + 1;
  }
  return key;
}

void Key::SetValue(const std::string& valueName, DWORD type,
                   const std::string& data) {
  if (Value* value = FindValue(valueName)) {
    value->type = type;
    value->data = data;
    return;
  }
  values.push_back({valueName, type, data});
}

Value* Key::FindValue(const std::string& valueName) {
  for (auto& value : values) {
    if (SameName(value.name, valueName)) return &value;
  }
  return nullptr;
}

void Key::RemoveSubkey(const std::string& subkeyName) {
  subkeys.erase(std::remove_if(subkeys.begin(), subkeys.end(),
                               [&](const std::unique_ptr<Key>& k) {
                                 return SameName(k->name, subkeyName);
                               }),
                subkeys.end());
  IndexFrom(0);
}

State& Get() { return TheState(); }

void Reset() { TheState() = State(); }

void RaiseFault(const platform::PlatformFault& fault) {
  if (TheState().faultHandler) TheState().faultHandler(fault);
}

std::size_t OpenKeyCount() { return TheState().openHandles.size(); }

namespace {
int recordingDepth = 0;

class RecordingScope {
 public:
  RecordingScope() { ++recordingDepth; }
  ~RecordingScope() { --recordingDepth; }
  RecordingScope(const RecordingScope&) = delete;
  RecordingScope& operator=(const RecordingScope&) = delete;
};
}  // namespace

bool Recording() { return recordingDepth > 0; }

}  // namespace fake

namespace platform {

using fake::State;
using fake::TheState;

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  State& s = TheState();
  ++s.versionQueries;
  const DWORD size = info->dwOSVersionInfoSize;
  if (size == sizeof(OSVERSIONINFOEXA) && s.extendedQuerySucceeds) {
    std::memcpy(info, &s.version, sizeof(OSVERSIONINFOEXA));
  } else if (size == sizeof(OSVERSIONINFOA) && s.basicQuerySucceeds) {
    std::memcpy(info, &s.version, sizeof(OSVERSIONINFOA));
  } else {
    return FALSE;
  }
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

int lstrcmpiA(LPCSTR first, LPCSTR second) {
  return platform_detail::CompareIgnoringAsciiCase(first, second);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access,
                   PHKEY result) {
  State& s = TheState();
  State::OpenKey rootSlot{};
  const State::OpenKey* base = fake::LookUpHandle(key, rootSlot);
  const std::string path = subKey ? subKey : "";
  LONG status = ERROR_SUCCESS;
  fake::Key* target = base ? base->key->Find(path) : nullptr;
  if (base == nullptr) {
    status = ERROR_INVALID_HANDLE;
  } else if (target == nullptr) {
    status = ERROR_FILE_NOT_FOUND;
  } else if (!target->openable || target->deniedMasks.count(access)) {
    status = ERROR_ACCESS_DENIED;
  }
  if (s.recordCalls) {
    s.openAttempts.push_back({key, path, access, status, subKey == nullptr});
  }
  if (status != ERROR_SUCCESS) return status;
  HKEY handle = reinterpret_cast<HKEY>(s.nextHandle);
  s.nextHandle += 4;
  s.openHandles[handle] = {target, access};
  *result = handle;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize) {
  State::OpenKey rootSlot{};
  const State::OpenKey* open = fake::LookUpHandle(key, rootSlot);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if ((open->mask & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const std::string name = valueName ? valueName : "";
  fake::Value* value = open->key->FindValue(name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const DWORD stored = static_cast<DWORD>(value->data.size());
  if (type) *type = value->type;
  if (data == nullptr) {
    if (dataSize) *dataSize = stored;
    if (TheState().afterSizeQuery) TheState().afterSizeQuery(name);
    return ERROR_SUCCESS;
  }
  if (dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (*dataSize < stored) {
    *dataSize = stored;
    return ERROR_MORE_DATA;
  }
  // Registry data is bytes, not a C string: no NUL is added.
  // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
  std::memcpy(data, value->data.data(), stored);
  *dataSize = stored;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  State& s = TheState();
  ++s.closeCalls;
  if (fake::RootKey(key)) return ERROR_SUCCESS;
  return s.openHandles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys,
                      LPDWORD maxSubKeyLength, LPDWORD, LPDWORD values,
                      LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD, PFILETIME lastWriteTime) {
  State& s = TheState();
  State::OpenKey rootSlot{};
  const State::OpenKey* open = fake::LookUpHandle(key, rootSlot);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (s.queryInfoFails || (open->mask & KEY_QUERY_VALUE) == 0) {
    return ERROR_ACCESS_DENIED;
  }
  const fake::Key& k = *open->key;
  DWORD longestName = 0, longestValueName = 0, longestData = 0;
  for (const auto& subkey : k.subkeys) {
    longestName = std::max(longestName, DWORD(subkey->name.size()));
  }
  for (const auto& value : k.values) {
    longestValueName = std::max(longestValueName, DWORD(value.name.size()));
    longestData = std::max(longestData, DWORD(value.data.size()));
  }
  if (s.reportedMaxSubKeyLength != 0) longestName = s.reportedMaxSubKeyLength;
  if (subKeys) *subKeys = static_cast<DWORD>(k.subkeys.size());
  if (maxSubKeyLength) *maxSubKeyLength = longestName;
  if (values) *values = static_cast<DWORD>(k.values.size());
  if (maxValueNameLength) *maxValueNameLength = longestValueName;
  if (maxValueLength) *maxValueLength = longestData;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                   LPDWORD, LPSTR, LPDWORD, PFILETIME) {
  State& s = TheState();
  const DWORD bufferLength = nameLength ? *nameLength : 0;
  if (s.recordCalls) s.enumBufferLengths.push_back(bufferLength);
  const LONG status = fake::EnumKey(key, index, name, nameLength);
  if (status != ERROR_SUCCESS && s.enumFailureFillsBuffer && name) {
    std::memset(name, 'X', bufferLength);
  }
  return status;
}

DWORD GetFileVersionInfoSizeA(LPCSTR, LPDWORD handle) {
  if (handle) *handle = 0;
  return TheState().hasVersionBlock ? 64 : 0;
}

BOOL GetFileVersionInfoA(LPCSTR, DWORD, DWORD size, LPVOID data) {
  if (TheState().versionBlockReadFails || size < sizeof fake::kBlockMagic) {
    return FALSE;
  }
  std::memcpy(data, fake::kBlockMagic, sizeof fake::kBlockMagic);
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer,
                    PUINT length) {
  State& s = TheState();
  if (std::memcmp(block, fake::kBlockMagic, sizeof fake::kBlockMagic) != 0) {
    s.queriedUnreadBlock = true;
    return FALSE;
  }
  auto found = s.versionItems.find(subBlock);
  if (found == s.versionItems.end()) return FALSE;
  *buffer = &found->second.bytes[0];
  *length = found->second.length;
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  State& s = TheState();
  // Takes no memory, like the system's: the failure report asks for the
  // path also when memory has run out.
  static const std::string kNoPath;
  const std::string* path = &kNoPath;
  if (module == nullptr) {
    path = &s.modulePath;
  } else {
    for (const auto& m : s.modules) {
      if (m.base == reinterpret_cast<std::uintptr_t>(module)) path = &m.path;
    }
  }
  if (size == 0) return 0;
  // Like Windows: a path that does not fit is cut to `size` characters,
  // the last of them the terminating NUL, and the answer is `size`.
  const DWORD copied = std::min<DWORD>(DWORD(path->size()), size - 1);
  std::memcpy(fileName, path->data(), copied);
  fileName[copied] = '\0';
  return path->size() < size ? copied : size;
}

namespace {
const HANDLE kStandardOutput = reinterpret_cast<HANDLE>(0x10);
const HANDLE kStandardError = reinterpret_cast<HANDLE>(0x20);
}  // namespace

HANDLE GetStdHandle(DWORD which) {
  if (which == STD_ERROR_HANDLE) return kStandardError;
  return TheState().stdHandleInvalid ? INVALID_HANDLE_VALUE : kStandardOutput;
}

DWORD GetFileType(HANDLE) { return TheState().fileType; }

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, void*) {
  const fake::RecordingScope recording;
  State& s = TheState();
  if (file == kStandardError) {
    s.errorOutput.append(static_cast<const char*>(data), count);
    if (written) *written = count;
    return TRUE;
  }
  const std::size_t index = s.writeCalls++;
  const char* bytes = static_cast<const char*>(data);
  if (s.recordCalls) s.writes.emplace_back(bytes, count);
  if (s.onWrite) s.onWrite(index);
  if (s.failingWrites.count(index) || index >= s.failWritesFrom) {
    s.lastError = s.writeError;
    if (written) *written = 0;
    return FALSE;
  }
  if (s.recordCalls) s.output.append(bytes, count);
  s.bytesWritten += count;
  if (written) *written = count;
  return TRUE;
}

DWORD GetLastError() { return TheState().lastError; }

BOOL CloseHandle(HANDLE object) {
  ++TheState().closedHandles;
  TheState().openFiles.erase(object);
  return TRUE;
}

SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info,
                    SIZE_T length) {
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  if (length < sizeof *info) return 0;
  for (const auto& m : TheState().modules) {
    if (at >= m.base && at - m.base < m.size) {
      *info = MEMORY_BASIC_INFORMATION{};
      info->BaseAddress = reinterpret_cast<void*>(m.base);
      info->AllocationBase = reinterpret_cast<void*>(m.base);
      info->RegionSize = m.size;
      info->State = MEM_COMMIT;
      return sizeof *info;
    }
  }
  return 0;
}

void ExitProcess(UINT exitCode) { throw fake::ProcessExit{exitCode}; }

LONG UnhandledExceptionFilter() { return TheState().filterAnswer; }

const void* CurrentCodeAddress() {
  if (TheState().onCodeAddressQuery) TheState().onCodeAddressQuery();
  return TheState().currentCodeAddress;
}

void InstallFaultHandler(FaultHandler handler) {
  TheState().faultHandler = handler;
}

LCID GetThreadLocale() { return TheState().threadLocale; }

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
  TheState().localeInfoQueries.push_back(locale);
  if (type != LOCALE_IDEFAULTANSICODEPAGE) return 0;
  const std::string& answer = TheState().localeAnsiCodePage;
  const int needed = static_cast<int>(answer.size()) + 1;
  if (size == 0) return needed;
  if (size < needed) return 0;
  std::memcpy(data, answer.c_str(), needed);
  return needed;
}

UINT GetACP() { return TheState().ansiCodePage; }

BOOL GetCPInfo(UINT codePage, LPCPINFO info) {
  TheState().codePageQueries.push_back(codePage);
  const auto& ranges = TheState().leadByteRanges;
  *info = CPINFO{};
  info->MaxCharSize = ranges.empty() ? 1 : 2;
  info->DefaultChar[0] = '?';
  for (std::size_t i = 0; i < ranges.size() && 2 * i + 1 < MAX_LEADBYTES; ++i) {
    info->LeadByte[2 * i] = ranges[i].first;
    info->LeadByte[2 * i + 1] = ranges[i].second;
  }
  return TRUE;
}

int GetSystemMetrics(int index) {
  return index == SM_DBCSENABLED ? TheState().dbcsEnabled : 0;
}

BOOL IsDBCSLeadByte(BYTE byte) {
  for (const auto& range : TheState().leadByteRanges) {
    if (byte >= range.first && byte <= range.second) return TRUE;
  }
  return FALSE;
}

std::string ConvertToAnsi(const char16_t* wide) {
  return platform_detail::Utf16ToUtf8(wide);
}

}  // namespace platform
