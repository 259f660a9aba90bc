#include "auditor/text/visible_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VisibleTextTest, HiddenAndMovingCharactersAreShownOthersKept) {
  struct Case {
    const char* text;
    LineBreaks lineBreaks;
    const char* shown;
  };
  const Case cases[] = {
      {"PC042", LineBreaks::kShown, "PC042"},
      // Letters of two, three and four bytes, and the replacement character.
      {"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD", LineBreaks::kShown,
       "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD"},
      {"a\x7F\xC2\x9B\xC2\xA0z", LineBreaks::kShown,
       "a<U+007F><U+009B>\xC2\xA0z"},
      {"\xE2\x81\xA6x\xE2\x81\xA9\xEF\xBB\xBF\xE2\x80\x8F", LineBreaks::kShown,
       "<U+2066>x<U+2069><U+FEFF><U+200F>"},
      {"a\r\nb\rc\n", LineBreaks::kKept, "a\r\nb<U+000D>c<U+000A>"},
      {"a\r\nb", LineBreaks::kShown, "a<U+000D><U+000A>b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    EXPECT_EQ(ShowInvisibleCharacters(text, c.lineBreaks),
              std::string(c.text) != c.shown);
    EXPECT_EQ(text, c.shown);
  }
}

}  // namespace
