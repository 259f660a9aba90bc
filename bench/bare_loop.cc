// The floor the Wine benchmark holds hotfixes.exe against: the registry and
// output calls the hotfix listing makes, in the same order and with the
// same arguments, with nothing around them, writing the same lines.
//
// The root is opened, its statistics queried, every subkey name enumerated
// into one buffer and kept, the root closed; then every name is opened from
// HKEY_LOCAL_MACHINE, its "Comments" size queried and fetched, its line
// written, and the key closed. Lines go through a 128-byte buffer that is
// written out whenever it fills, as the program does for a pipe or a file.
// Then the empty line and the count line.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kHotFixRoot[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\HotFix";
const REGSAM kRead = KEY_READ;

// Standard output behind a 128-byte buffer.
class Output {
 public:
  Output() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {}
  ~Output() { Flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void Write(const char* bytes, std::size_t count) {
    while (count >= sizeof buffer_ - pending_) {
      const std::size_t room = sizeof buffer_ - pending_;
      std::memcpy(buffer_ + pending_, bytes, room);
      pending_ = sizeof buffer_;
      Flush();
      bytes += room;
      count -= room;
    }
    std::memcpy(buffer_ + pending_, bytes, count);
    pending_ += count;
  }
  void WriteLine(const std::string& text) {
    Write(text.data(), text.size());
    Write("\r\n", 2);
  }
  void Flush() {
    if (pending_ == 0) return;
    DWORD written = 0;
    WriteFile(handle_, buffer_, static_cast<DWORD>(pending_), &written,
              nullptr);
    pending_ = 0;
  }

 private:
  HANDLE handle_;
  char buffer_[128] = {};
  std::size_t pending_ = 0;
};

// One open registry key, closed when it goes.
class Key {
 public:
  Key(HKEY base, const char* path) {
    if (RegOpenKeyExA(base, path, 0, kRead, &handle_) != ERROR_SUCCESS) {
      handle_ = nullptr;
    }
  }
  ~Key() {
    if (handle_ != nullptr) RegCloseKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  HKEY Handle() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

std::vector<std::string> ListNames() {
  std::vector<std::string> names;
  Key root(HKEY_LOCAL_MACHINE, kHotFixRoot);
  if (!root.IsOpen()) return names;
  DWORD count = 0, longest = 0, values = 0, longestValueName = 0;
  DWORD longestData = 0;
  FILETIME written{};
  if (RegQueryInfoKeyA(root.Handle(), nullptr, nullptr, nullptr, &count,
                       &longest, nullptr, &values, &longestValueName,
                       &longestData, nullptr, &written) != ERROR_SUCCESS) {
    return names;
  }
  std::vector<char> name(longest + 2, '\0');
  for (DWORD index = 0; index < count; ++index) {
    DWORD length = longest + 1;
    if (RegEnumKeyExA(root.Handle(), index, name.data(), &length, nullptr,
                      nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      name[0] = '\0';
    }
    names.emplace_back(name.data());
  }
  return names;
}

std::string ReadComment(HKEY key) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, "Comments", nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      size == 0) {
    return std::string();
  }
  std::vector<char> data(size + 1, '\0');
  DWORD fetched = size;
  type = 0;
  RegQueryValueExA(key, "Comments", nullptr, &type,
                   reinterpret_cast<LPBYTE>(data.data()), &fetched);
  return std::string(data.data());
}

}  // namespace

int main() {
  Output output;
  const std::vector<std::string> names = ListNames();
  for (const std::string& name : names) {
    Key key(HKEY_LOCAL_MACHINE,
            (std::string(kHotFixRoot) + "\\" + name).c_str());
    if (!key.IsOpen()) continue;
    output.WriteLine("[" + name + "] " + ReadComment(key.Handle()));
  }
  output.WriteLine(std::string());
  char count[32];
  std::snprintf(count, sizeof count, "Found %d Hot-Fix",
                static_cast<int>(names.size()));
  output.WriteLine(count);
  return 0;
}
