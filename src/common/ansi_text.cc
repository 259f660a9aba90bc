#include "common/ansi_text.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// Length in bytes of the character that starts at `at`.
std::size_t CharacterLength(const char* text, std::size_t size,
                            std::size_t at) {
  const bool lead = platform::IsDBCSLeadByte(static_cast<BYTE>(text[at]));
  return (lead && at + 1 < size) ? 2 : 1;
}

}  // namespace

void RemoveFirstOccurrence(std::string& text, const std::string& pattern) {
  if (pattern.empty()) return;
  for (std::size_t at = 0; at + pattern.size() <= text.size();
       at += CharacterLength(text.data(), text.size(), at)) {
    if (text.compare(at, pattern.size(), pattern) == 0) {
      text.erase(at, pattern.size());
      return;
    }
  }
}

std::size_t OffsetBehindLastDelimiter(const char* path, std::size_t size,
                                      const char* delimiters) {
  std::size_t start = 0;
  for (std::size_t at = 0; at < size; at += CharacterLength(path, size, at)) {
    if (path[at] != '\0' && std::strchr(delimiters, path[at]) != nullptr) {
      start = at + 1;
    }
  }
  return start;
}

std::string TextBehindLastDelimiter(const std::string& path,
                                    const char* delimiters) {
  return path.substr(
      OffsetBehindLastDelimiter(path.data(), path.size(), delimiters));
}

std::string TextUpToNul(const char* bytes, std::size_t size) {
  const void* nul = std::memchr(bytes, '\0', size);
  return std::string(bytes, nul ? static_cast<std::size_t>(
                                      static_cast<const char*>(nul) - bytes)
                                : size);
}
