// Small text helpers shared by the two platform layers that have no Win32
// API underneath them (the POSIX stand-in and the test fake).
#ifndef HOTFIXES_PLATFORM_ASCII_H_
#define HOTFIXES_PLATFORM_ASCII_H_

#include <string>

#include "platform/utf8_encoding.h"

namespace platform_detail {

inline char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// lstrcmpiA without a locale: ASCII letters compare without case.
inline int CompareIgnoringAsciiCase(const char* first, const char* second) {
  for (;; ++first, ++second) {
    const unsigned char a = static_cast<unsigned char>(AsciiUpper(*first));
    const unsigned char b = static_cast<unsigned char>(AsciiUpper(*second));
    if (a != b) return a < b ? -1 : 1;
    if (a == 0) return 0;
  }
}

// A NUL-terminated UTF-16 text as UTF-8; an unpaired surrogate is written
// as it is.
inline std::string Utf16ToUtf8(const char16_t* wide) {
  std::string out;
  for (; *wide; ++wide) {
    char32_t c = *wide;
    if (c >= 0xD800 && c < 0xDC00 && wide[1] >= 0xDC00 && wide[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[1] - 0xDC00);
      ++wide;
    }
    platform::AppendUtf8(c, out);
  }
  return out;
}

}  // namespace platform_detail

#endif  // HOTFIXES_PLATFORM_ASCII_H_
