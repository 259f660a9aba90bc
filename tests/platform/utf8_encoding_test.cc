#include "platform/utf8_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/ascii.h"

namespace {

// Each length's first and last code point, and a surrogate, which is
// written as it is: the callers decide what an unpaired one becomes.
TEST(Utf8EncodingTest, EachLengthFromItsFirstToItsLastCodePoint) {
  struct Case {
    char32_t codePoint;
    std::string bytes;
  };
  const Case cases[] = {
      {0x00, std::string(1, '\0')},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xD800, "\xED\xA0\x80"},
      {0xFFFD, "\xEF\xBF\xBD"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<unsigned>(c.codePoint));
    std::string out;
    platform::AppendUtf8(c.codePoint, out);
    EXPECT_EQ(out, c.bytes);
  }
}

TEST(Utf8EncodingTest, Utf16PairsBecomeOneCodePoint) {
  EXPECT_EQ(platform_detail::Utf16ToUtf8(u"a\u00E9\U0001F600"),
            "a\xC3\xA9\xF0\x9F\x98\x80");
  const char16_t unpaired[] = {0xDC00, 0xD800, 'x', 0};
  EXPECT_EQ(platform_detail::Utf16ToUtf8(unpaired),
            "\xED\xB0\x80\xED\xA0\x80x");
}

}  // namespace
