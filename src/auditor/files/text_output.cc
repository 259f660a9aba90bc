#include "auditor/files/text_output.h"

#include <algorithm>

TextOutput::TextOutput(DWORD which) : handle_(platform::GetStdHandle(which)) {
  if (handle_ == INVALID_HANDLE_VALUE || handle_ == nullptr) {
    error_ = ERROR_INVALID_HANDLE;
  }
  buffer_.reserve(kFlushAt);
}

TextOutput::~TextOutput() { Flush(); }

void TextOutput::Flush() {
  WriteOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TextOutput::Spill(std::string_view text) {
  Flush();
  if (text.size() > kFlushAt) {
    WriteOut(text.data(), text.size());
  } else {
    buffer_.append(text.data(), text.size());
  }
}

void TextOutput::WriteOut(const char* bytes, std::size_t count) {
  // One write call takes at most a DWORD's worth of bytes; pieces of 1 MiB
  // keep a console happy too.
  const std::size_t kPiece = 1 << 20;
  while (count > 0 && error_ == 0) {
    const DWORD piece = static_cast<DWORD>(std::min(count, kPiece));
    DWORD written = 0;
    if (!platform::WriteFile(handle_, bytes, piece, &written, nullptr)) {
      error_ = platform::GetLastError();
      if (error_ == 0) error_ = ERROR_INVALID_HANDLE;
      return;
    }
    bytes += piece;
    count -= piece;
  }
}
