// Buffered bytes to standard output or standard error, written as they
// are. A failed write is kept, not thrown: what follows is dropped, and
// the program asks at the end whether everything got out.
#ifndef HOTFIXES_AUDITOR_FILES_TEXT_OUTPUT_H_
#define HOTFIXES_AUDITOR_FILES_TEXT_OUTPUT_H_

#include <string>
#include <string_view>

#include "platform/platform.h"

class TextOutput {
 public:
  // `which`: STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
  explicit TextOutput(DWORD which);
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  TextOutput& operator<<(std::string_view text) {
    if (buffer_.size() + text.size() > kFlushAt)
      Spill(text);
    else
      buffer_.append(text.data(), text.size());
    return *this;
  }
  void Flush();
  // 0 while every write succeeded; else the system's error number.
  DWORD error() const { return error_; }

 private:
  static const std::size_t kFlushAt = std::size_t{64} << 10;
  void Spill(std::string_view text);
  void WriteOut(const char* bytes, std::size_t count);

  HANDLE handle_;
  DWORD error_ = 0;
  std::string buffer_;
};

#endif  // HOTFIXES_AUDITOR_FILES_TEXT_OUTPUT_H_
