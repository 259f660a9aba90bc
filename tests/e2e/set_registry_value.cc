// A test-only Windows program that stores one registry value with exactly
// the bytes given, for the cases whose data a .reg file cannot express
// (a REG_SZ without its terminating NUL, which the importer always adds).
//
//   set_registry_value.exe KEY NAME TYPE HEX
//
// KEY is a path below HKEY_LOCAL_MACHINE (created if missing), NAME the
// value name, TYPE the value type as a decimal number, HEX the data as
// comma-separated byte pairs ("61,62"; empty for no data). The ANSI call
// is used, so text bytes are read in the process's ANSI code page, as the
// program under test reads them back. Exit code 0 on success, 1 otherwise.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The key is closed on every way out.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (handle_ != nullptr) RegCloseKey(handle_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* Out() { return &handle_; }
  HKEY Get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

int HexDigit(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

// "61,62,00" -> {0x61, 0x62, 0x00}; false on anything else.
bool ParseHexBytes(const std::string& text, std::vector<BYTE>& bytes) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (position + 2 > text.size()) return false;
    const int high = HexDigit(text[position]);
    const int low = HexDigit(text[position + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<BYTE>(high * 16 + low));
    position += 2;
    if (position == text.size()) break;
    if (text[position] != ',' || position + 1 == text.size()) return false;
    ++position;
  }
  return true;
}

bool ParseType(const char* text, DWORD& type) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*text == '\0' || *end != '\0') return false;
  type = static_cast<DWORD>(value);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: set_registry_value KEY NAME TYPE HEX\n");
    return 1;
  }
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ParseType(argv[3], type) || !ParseHexBytes(argv[4], data)) {
    std::fprintf(stderr, "set_registry_value: bad type or data\n");
    return 1;
  }
  const DWORD size = static_cast<DWORD>(data.size());
  // The system counts a text's NUL for the caller when the byte behind the
  // given size is one; a byte that is not keeps the size as given.
  data.push_back(0xFF);
  OpenKey key;
  // The 64-bit view, where the system keeps its hotfix keys, also when this
  // tool is a 32-bit program in a 64-bit prefix; without WOW64 the flag
  // changes nothing.
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, 0,
                                KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                                key.Out(), nullptr);
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExA(key.Get(), argv[2], 0, type, data.data(), size);
  }
  if (result != ERROR_SUCCESS) {
    std::fprintf(stderr, "set_registry_value: error %ld\n", result);
    return 1;
  }
  return 0;
}
