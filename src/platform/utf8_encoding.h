// Code points written as UTF-8. Header-only, in the bottom layer: the
// platform layers without Win32 underneath write the system's UTF-16 text
// with it, and the auditor's programs (above the platform, which cannot
// include them) all their text, so that one encoder serves both without
// the platform library linking any code of the auditor's.
#ifndef HOTFIXES_PLATFORM_UTF8_ENCODING_H_
#define HOTFIXES_PLATFORM_UTF8_ENCODING_H_

#include <string>

namespace platform {

// A surrogate code point is written as it is (3 bytes); the callers say
// what they make of one.
inline void AppendUtf8(char32_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace platform

#endif  // HOTFIXES_PLATFORM_UTF8_ENCODING_H_
