#include "registry/registry.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "common/format.h"
#include "registry/locale_facts.h"

namespace {

// Tried in this order: full read access, the same without change
// notification, and last the right to read values alone, which a key that
// refuses the broader masks may still grant.
const REGSAM kReadMasks[] = {
    0x20019,  // KEY_READ
    0x20009,  // KEY_READ without KEY_NOTIFY
    0x0001,   // KEY_QUERY_VALUE
};

// Kept as UTF-16 and converted to the system's ANSI code page when raised.
const char16_t kFetchFailed[] = u"'%s' の取得に失敗しました";
const char16_t kNotText[] = u"'%s' のデータ型が不正です";

[[noreturn]] void RaiseRegistryFailure(const char16_t* message,
                                       const std::string& valueName,
                                       const void* address) {
  throw ERegistryException(
      Format(platform::ConvertToAnsi(message), {valueName}), address);
}

// `length` zero bytes and one more behind them, so that the text in it is
// terminated whatever the platform writes within `length`. A length no
// allocation can hold counts as exhausted memory.
std::vector<char> TextBuffer(std::uint64_t length) {
  std::vector<char> buffer;
  if (length >= buffer.max_size()) throw std::bad_alloc();
  buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
  return buffer;
}

// The name buffer length: the longest name plus its NUL. On the NT family
// a double-byte locale may count the longest name in characters, which
// take up to two bytes each in the ANSI name.
DWORD NameBufferLength(DWORD longestName) {
  std::uint64_t length = longestName;
  if (DoubleByteLocale() && StartupPlatformId() == VER_PLATFORM_WIN32_NT) {
    length *= 2;
  }
  length += 1;
  // Only a nonsensical answer gets here; the length must still be one the
  // platform call can be told.
  return static_cast<DWORD>(std::min<std::uint64_t>(length, 0xFFFFFFFFu));
}

// The registry's limit on a key name, 255 characters, each up to two bytes
// in the ANSI name, and its NUL: no name needs a larger buffer.
const DWORD kLongestNameBuffer = 255 * 2 + 1;

// The next buffer length for a name that did not fit into `current`: the
// length the platform reported with its refusal, and room for the NUL, if
// that is more; otherwise twice as much. Never beyond the registry's limit.
DWORD LargerNameBufferLength(DWORD current, DWORD reported) {
  const std::uint64_t wanted = reported > current ? std::uint64_t{reported} + 1
                                                  : std::uint64_t{current} * 2;
  return static_cast<DWORD>(
      std::min<std::uint64_t>(wanted, kLongestNameBuffer));
}

// Fetches the name of subkey `index` into `name` (a TextBuffer), asking
// again with a larger buffer while the platform answers that the name does
// not fit: the longest name length it reports may count characters where
// the ANSI name needs bytes. A larger buffer is kept for the names after.
LONG EnumerateSubkeyName(HKEY key, DWORD index, std::vector<char>& name) {
  for (;;) {
    const DWORD bufferLength = static_cast<DWORD>(name.size() - 1);
    DWORD length = bufferLength;
    const LONG result = platform::RegEnumKeyExA(
        key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_MORE_DATA) return result;
    const DWORD larger = LargerNameBufferLength(bufferLength, length);
    if (larger <= bufferLength) return result;
    name = TextBuffer(larger);
  }
}

}  // namespace

TRegistry::TRegistry() : RootHandle(HKEY_CURRENT_USER) {}

TRegistry::~TRegistry() = default;

void TRegistry::SelectRoot(HKEY root) {
  if (root == RootHandle) return;
  RootHandle = root;
  CloseCurrent();
}

void TRegistry::CloseCurrent() { OpenHandle.Reset(); }

bool TRegistry::OpenForReading(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '\\';
  const std::string subkey = absolute ? path.substr(1) : path;
  const HKEY base =
      (OpenHandle.valid() && !absolute) ? OpenHandle.get() : RootHandle;

  HKEY opened = nullptr;
  for (REGSAM mask : kReadMasks) {
    if (platform::RegOpenKeyExA(base, subkey.c_str(), 0, mask, &opened) ==
        ERROR_SUCCESS) {
      // The open key is closed only now: the new key may have been opened
      // from beneath it.
      OpenHandle.Reset(opened);
      return true;
    }
  }
  return false;
}

void TRegistry::ListSubkeyNames(TStrings& list) {
  list.Clear();
  DWORD subkeyCount = 0, longestName = 0, valueCount = 0;
  DWORD longestValueName = 0, longestData = 0;
  FILETIME lastWrite{};
  if (platform::RegQueryInfoKeyA(OpenHandle.get(), nullptr, nullptr, nullptr,
                                 &subkeyCount, &longestName, nullptr,
                                 &valueCount, &longestValueName, &longestData,
                                 nullptr, &lastWrite) != ERROR_SUCCESS) {
    return;
  }

  // The count comes from the registry: room is made ahead for a sensible
  // number of names, and the list grows beyond it as usual.
  const DWORD kMostNamesReserved = 1 << 20;
  list.Reserve(static_cast<int>(std::min(subkeyCount, kMostNamesReserved)));

  std::vector<char> name = TextBuffer(NameBufferLength(longestName));
  for (DWORD index = 0; index < subkeyCount; ++index) {
    // A failed step (the subkeys changed since the query, the key may not
    // be enumerated, or a name did not fit even the largest buffer) leaves
    // the buffer undefined: it still gives its one entry, an empty one,
    // never a stale or partial name. The byte behind the buffer's length is
    // re-terminated in case the platform wrote all of it without a NUL.
    if (EnumerateSubkeyName(OpenHandle.get(), index, name) != ERROR_SUCCESS) {
      name[0] = '\0';
    }
    name.back() = '\0';
    list.Add(std::string(name.data()));
  }
}

std::string TRegistry::ReadTextValue(const std::string& valueName) {
  DWORD type = 0;
  DWORD size = 0;
  if (platform::RegQueryValueExA(OpenHandle.get(), valueName.c_str(), nullptr,
                                 &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0) {
    return std::string();
  }

  std::vector<char> data = TextBuffer(size);
  DWORD fetched = size;
  type = 0;
  if (platform::RegQueryValueExA(OpenHandle.get(), valueName.c_str(), nullptr,
                                 &type, reinterpret_cast<LPBYTE>(data.data()),
                                 &fetched) != ERROR_SUCCESS) {
    RaiseRegistryFailure(kFetchFailed, valueName,
                         platform::CurrentCodeAddress());
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    RaiseRegistryFailure(kNotText, valueName, platform::CurrentCodeAddress());
  }
  // A value that shrank since the size query fills less than the buffer;
  // only the bytes fetched count, up to the first NUL among them.
  const std::string text(data.data(), std::min(fetched, size));
  return text.substr(0, text.find('\0'));
}
