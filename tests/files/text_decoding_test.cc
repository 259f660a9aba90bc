#include "files/text_decoding.h"

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

}  // namespace
