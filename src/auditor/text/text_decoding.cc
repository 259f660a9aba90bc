#include "auditor/text/text_decoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "auditor/text/ascii.h"
#include "auditor/text/utf8.h"

namespace {

const char32_t kReplacement = 0xFFFD;

// How many bytes of plain ASCII `bytes` starts with, read eight at a time:
// most reports are ASCII throughout and need no conversion at all.
std::size_t AsciiPrefixLength(const char* bytes, std::size_t size) {
  const std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + at, 8);
    if (word & kHighBits) break;
  }
  while (at < size && static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
  return at;
}

void AppendRepairedUtf8(const char* bytes, std::size_t size, std::string& out) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t ascii = AsciiPrefixLength(bytes + done, size - done);
    out.append(bytes + done, ascii);
    done += ascii;
    if (done == size) break;
    const std::size_t length =
        Utf8SequenceLength(std::string_view(bytes, size), done);
    if (length == 0) {
      AppendUtf8(kReplacement, out);
      ++done;
    } else {
      out.append(bytes + done, length);
      done += length;
    }
  }
}

void AppendUtf16LeBytesAsUtf8(const char* bytes, std::size_t size,
                              std::string& out) {
  // A byte left over is half a character, cut off with the rest of the file.
  std::vector<WCHAR> units(size / 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] =
        static_cast<WCHAR>(static_cast<unsigned char>(bytes[2 * i]) |
                           static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  AppendUtf16AsUtf8(units.data(), units.size(), out);
}

std::size_t LineAt(const char* text, std::size_t at) {
  return 1 + static_cast<std::size_t>(std::count(text, text + at, '\n'));
}

bool Fail(TextFault& fault, std::size_t line, const char* what) {
  fault.line = line;
  fault.what = what;
  return false;
}

// Checks UTF-8 (after its mark, if any) and copies it.
bool CopyValidUtf8(const char* bytes, std::size_t size, std::string& out,
                   TextFault& fault) {
  std::size_t done = 0;
  while (done < size) {
    done += AsciiPrefixLength(bytes + done, size - done);
    if (done == size) break;
    const std::size_t length =
        Utf8SequenceLength(std::string_view(bytes, size), done);
    if (length == 0) {
      return Fail(fault, LineAt(bytes, done),
                  "not UTF-8 (save the file as UTF-8, or as UTF-16 with its "
                  "byte-order mark)");
    }
    done += length;
  }
  out.assign(bytes, size);
  return true;
}

// UTF-16 after its mark, little or big end first; an unpaired surrogate
// or a byte left over is a fault, not a replacement character.
bool DecodeValidUtf16(const char* bytes, std::size_t size, bool bigEndian,
                      std::string& out, TextFault& fault) {
  std::vector<WCHAR> units(size / 2);
  std::size_t line = 1;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<WCHAR>(bigEndian ? first << 8 | second
                                            : second << 8 | first);
    if (units[i] == '\n') ++line;
    const bool high = units[i] >= 0xD800 && units[i] < 0xDC00;
    const bool low = units[i] >= 0xDC00 && units[i] < 0xE000;
    const bool afterHigh =
        i > 0 && units[i - 1] >= 0xD800 && units[i - 1] < 0xDC00;
    if ((low && !afterHigh) || (afterHigh && !low) ||
        (high && i + 1 == units.size())) {
      return Fail(fault, line, "not UTF-16: half of a character pair");
    }
  }
  if (size % 2 != 0) {
    return Fail(fault, line, "not UTF-16: it ends in half a character");
  }
  AppendUtf16AsUtf8(units.data(), units.size(), out);
  return true;
}

}  // namespace

void AppendUtf16AsUtf8(const WCHAR* units, std::size_t count,
                       std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    char32_t c = static_cast<char32_t>(units[i]);
    if (c >= 0xD800 && c < 0xE000) {
      const char32_t next =
          i + 1 < count ? static_cast<char32_t>(units[i + 1]) : 0;
      if (c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      } else {
        c = kReplacement;
      }
    }
    AppendUtf8(c, out);
  }
}

bool AppendAnsiAsUtf8(const char* bytes, std::size_t size, UINT codePage,
                      std::string& out) {
  const std::size_t ascii = AsciiPrefixLength(bytes, size);
  out.append(bytes, ascii);
  if (ascii == size) return true;
  // A byte below 0x80 that follows none above it is a character of its own
  // in every ANSI code page: the system converts from the first other one.
  const std::size_t start = ascii;
  const std::size_t rest = size - start;
  if (rest > 0x7FFFFFFF) return false;
  // No code page makes more UTF-16 units of a text than it has bytes.
  std::vector<WCHAR> wide(rest);
  const int converted = platform::MultiByteToWideChar(
      codePage, 0, bytes + start, static_cast<int>(rest), wide.data(),
      static_cast<int>(rest));
  if (converted <= 0) return false;
  AppendUtf16AsUtf8(wide.data(), static_cast<std::size_t>(converted), out);
  return true;
}

std::string AnsiAsUtf8(const std::string& text) {
  std::string utf8;
  if (!AppendAnsiAsUtf8(text.data(), text.size(), CP_ACP, utf8)) return text;
  return utf8;
}

bool DecodeFileText(const std::string& bytes, UINT codePage, std::string& text,
                    std::string& problem) {
  static const char kUtf16LeMark[] = "\xFF\xFE";
  static const char kUtf8Mark[] = "\xEF\xBB\xBF";
  text.clear();
  if (StartsWith(bytes, kUtf16LeMark)) {
    AppendUtf16LeBytesAsUtf8(bytes.data() + 2, bytes.size() - 2, text);
    return true;
  }
  if (StartsWith(bytes, kUtf8Mark)) {
    AppendRepairedUtf8(bytes.data() + 3, bytes.size() - 3, text);
    return true;
  }
  if (!AppendAnsiAsUtf8(bytes.data(), bytes.size(), codePage, text)) {
    problem = "not decodable in code page " + std::to_string(codePage);
    return false;
  }
  return true;
}

bool DecodeAuditorText(const std::string& bytes, std::string& text,
                       TextFault& fault) {
  text.clear();
  bool decoded;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    decoded = DecodeValidUtf16(bytes.data() + 2, bytes.size() - 2,
                               bytes[0] == '\xFE', text, fault);
  } else {
    const std::size_t mark = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    decoded =
        CopyValidUtf8(bytes.data() + mark, bytes.size() - mark, text, fault);
  }
  if (!decoded) return false;
  while (!text.empty() && text.back() == '\x1A') text.pop_back();
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    return Fail(fault, LineAt(text.data(), nul), "a NUL character");
  }
  return true;
}
