#include "auditor/text/text_decoding.h"

#include <string>

#include "test_support.h"

namespace {

class TextDecodingTest : public FakePlatformTest {};

TEST_F(TextDecodingTest, ByteOrderMarkOrCodePageDecidesTheEncoding) {
  struct Case {
    const char* name;
    std::string bytes;
    UINT codePage;
    bool decoded;
    std::string text;
  };
  const Case cases[] = {
      {"ASCII needs no conversion", "[KB1] x\r\n", 932, true, "[KB1] x\r\n"},
      {"code page 1252", "caf\xE9\r\n", 1252, true, "caf\xC3\xA9\r\n"},
      {"a code page the system refuses", "caf\xE9", 932, false, ""},
      {"UTF-16LE, a half character cut off",
       std::string("\xFF\xFE"
                   "a\0\xE9\0\x3D\xD8\x00\xDE\x0A",
                   11),
       932, true, "a\xC3\xA9\xF0\x9F\x98\x80"},
      {"UTF-16LE, an unpaired surrogate",
       std::string("\xFF\xFE\x3D\xD8"
                   "b\0",
                   6),
       1252, true,
       "\xEF\xBF\xBD"
       "b"},
      {"UTF-8 mark, malformed bytes replaced",
       "\xEF\xBB\xBF"
       "\xE6\x97\xA5 \xC0\xAF \xE6\x97",
       932, true,
       "\xE6\x97\xA5 \xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "earlier", problem;
    EXPECT_EQ(DecodeFileText(c.bytes, c.codePage, text, problem), c.decoded);
    if (c.decoded) {
      EXPECT_EQ(text, c.text);
    } else {
      EXPECT_EQ(problem, "not decodable in code page 932");
    }
  }
}

// A baseline or list: UTF-8 or UTF-16 only, each fault on its line.
TEST(AuditorTextTest, Utf8OrUtf16AndEveryFaultOnItsLine) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;  // empty: a fault
    std::size_t line;
    const char* what;
  };
  const char kNotUtf8[] =
      "not UTF-8 (save the file as UTF-8, or as UTF-16 with its byte-order "
      "mark)";
  const Case cases[] = {
      {"UTF-8 without a mark", "caf\xC3\xA9\n", "caf\xC3\xA9\n", 0, ""},
      {"UTF-8 with its mark, a Ctrl-Z at the end",
       "\xEF\xBB\xBF"
       "KB1\r\n\x1A\x1A",
       "KB1\r\n", 0, ""},
      {"UTF-16BE", std::string("\xFE\xFF\0K\0\xE9\0\n", 8), "K\xC3\xA9\n", 0,
       ""},
      {"code page 1252", "a\r\nb\r\ncaf\xE9\r\n", "", 3, kNotUtf8},
      {"an overlong form after the mark", "\xEF\xBB\xBF\xC0\xAF", "", 1,
       kNotUtf8},
      {"a NUL", std::string("KB1\nKB\0", 7), "", 2, "a NUL character"},
      {"a Ctrl-Z before the end", "KB1\x1A\nKB2\n", "KB1\x1A\nKB2\n", 0, ""},
      {"UTF-16LE, an unpaired surrogate on line 2",
       std::string("\xFF\xFE"
                   "a\0\n\0\x3D\xD8"
                   "b\0",
                   10),
       "", 2, "not UTF-16: half of a character pair"},
      {"UTF-16LE, a surrogate at the end", std::string("\xFF\xFE\x3D\xD8", 4),
       "", 1, "not UTF-16: half of a character pair"},
      {"UTF-16LE, an odd byte",
       std::string("\xFF\xFE"
                   "a\0b",
                   5),
       "", 1, "not UTF-16: it ends in half a character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "earlier";
    TextFault fault;
    EXPECT_EQ(DecodeAuditorText(c.bytes, text, fault), !c.text.empty());
    if (c.text.empty()) {
      EXPECT_EQ(fault.line, c.line);
      EXPECT_EQ(fault.what, c.what);
    } else {
      EXPECT_EQ(text, c.text);
    }
  }
}

}  // namespace
