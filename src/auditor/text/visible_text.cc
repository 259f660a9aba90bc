#include "auditor/text/visible_text.h"

#include <cstdint>
#include <cstdio>

#include "auditor/text/utf8.h"

namespace {

bool IsInvisible(std::uint32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
  return c == 0x00AD ||                   // soft hyphen
         c == 0x061C ||                   // Arabic letter mark
         c == 0x180E ||                   // Mongolian vowel separator
         (c >= 0x200B && c <= 0x200F) ||  // zero-width, LRM, RLM
         (c >= 0x2028 && c <= 0x202E) ||  // line breaks, embeddings
         (c >= 0x2060 && c <= 0x206F) ||  // joiners, isolates
         c == 0xFEFF ||                   // zero-width no-break space
         (c >= 0xFFF9 && c <= 0xFFFB);    // interlinear annotation
}

// The code point that starts at text[at] and its length in bytes. The
// text is valid UTF-8 (decoding replaced whatever was not); a byte that
// does not start a sequence counts as itself.
std::uint32_t CodePointAt(const std::string& text, std::size_t at,
                          std::size_t& length) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i]));
  };
  const std::uint32_t first = byte(at);
  length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
  if (first < 0xC0 || at + length > text.size()) {
    length = 1;
    return first;
  }
  std::uint32_t c = first & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(at + i) & 0x3F);
  return c;
}

void AppendCodePoint(std::uint32_t c, std::string& out) {
  char text[16];
  std::snprintf(text, sizeof text, "<U+%04X>", static_cast<unsigned>(c));
  out += text;
}

}  // namespace

bool ShowInvisibleCharacters(std::string& text, LineBreaks lineBreaks) {
  std::size_t at = 0, length = 0;
  // Most texts hold none: they are not copied.
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      ++at;
      continue;
    }
    if (IsInvisible(CodePointAt(text, at, length))) break;
    at += length;
  }
  if (at == text.size()) return false;
  std::string shown(text, 0, at);
  bool replaced = false;
  while (at < text.size()) {
    const std::uint32_t c = CodePointAt(text, at, length);
    if (lineBreaks == LineBreaks::kKept && c == '\r' && at + 1 < text.size() &&
        text[at + 1] == '\n') {
      shown += "\r\n";
      at += 2;
      continue;
    }
    if (IsInvisible(c)) {
      AppendCodePoint(c, shown);
      replaced = true;
    } else {
      shown.append(text, at, length);
    }
    at += length;
  }
  text.swap(shown);
  return replaced;
}

std::string Visible(std::string_view text) {
  std::string shown(text);
  ShowInvisibleCharacters(shown);
  return shown;
}

std::string VisibleExcerpt(std::string_view text, std::size_t most) {
  std::string excerpt;
  std::size_t at = 0;
  while (at < text.size() && at < most) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      excerpt += "\xEF\xBF\xBD";  // U+FFFD
      ++at;
      continue;
    }
    if (at + length > most) break;
    excerpt.append(text, at, length);
    at += length;
  }
  ShowInvisibleCharacters(excerpt);
  if (at < text.size()) excerpt += "...";
  return excerpt;
}
