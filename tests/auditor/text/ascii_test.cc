#include "auditor/text/ascii.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// The bytes next to each range, and bytes above 0x7F (of UTF-8 and of
// code pages whose letters they are), belong to no class.
TEST(AsciiTest, ClassesEndAtTheirRanges) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    SCOPED_TRACE(b);
    EXPECT_EQ(IsDigit(c), b >= '0' && b <= '9');
    EXPECT_EQ(IsLetter(c), (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'));
    EXPECT_EQ(IsSpace(c), b == ' ' || b == '\t' || b == '\r' || b == '\n');
    EXPECT_EQ(AsciiUpper(c),
              b >= 'a' && b <= 'z' ? static_cast<char>(b - 32) : c);
    EXPECT_EQ(AsciiLower(c),
              b >= 'A' && b <= 'Z' ? static_cast<char>(b + 32) : c);
    const int hex = b >= '0' && b <= '9'   ? b - '0'
                    : b >= 'a' && b <= 'f' ? b - 'a' + 10
                    : b >= 'A' && b <= 'F' ? b - 'A' + 10
                                           : -1;
    EXPECT_EQ(HexDigitValue(c), hex);
  }
}

TEST(AsciiTest, ComparesWithoutTheCaseOfAsciiLettersOnly) {
  struct Case {
    std::string_view text;
    std::string_view part;
    bool starts;
    bool ends;
    std::size_t found;
  };
  const std::size_t kNone = std::string_view::npos;
  const Case cases[] = {
      {"Service Pack 3", "service pack ", true, false, 0},
      {"PC042.TXT", ".txt", false, true, 5},
      {"x.txt", "X.TXT", true, true, 0},
      {".tx", ".txt", false, false, kNone},
      {"caf\xC3\xA9", "CAF\xC3\x89", false, false, kNone},  // é is not É
      {"a@b", "A`B", false, false, kNone},  // '@' and '`' are no letters
      {"", "", true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + std::string(c.part));
    EXPECT_EQ(StartsWithNoCase(c.text, c.part), c.starts);
    EXPECT_EQ(EndsWithNoCase(c.text, c.part), c.ends);
    EXPECT_EQ(FindNoCase(c.text, c.part), c.found);
    EXPECT_EQ(EqualsNoCase(c.text, c.part),
              c.starts && c.ends && c.text.size() == c.part.size());
  }
  EXPECT_EQ(UpperAscii("kb958644-v2_\xC3\xA9"), "KB958644-V2_\xC3\xA9");
  EXPECT_EQ(LowerAscii("KB958644-V2_\xC3\x89"), "kb958644-v2_\xC3\x89");
}

TEST(AsciiTest, WordsDigitsAndBlanks) {
  EXPECT_TRUE(IsDigits("0123456789"));
  for (std::string_view text : {"", "12a", "-1", " 1", "\xD9\xA1"}) {
    EXPECT_FALSE(IsDigits(text)) << text;
  }
  EXPECT_TRUE(IsPlainWord("MS08-067_a.b"));
  for (std::string_view text : {"", "MS 08", "A]", "KB1\xE2\x80\x8B"}) {
    EXPECT_FALSE(IsPlainWord(text)) << text;
  }
  EXPECT_EQ(Trimmed(" \t\r\n KB1 KB2 \r\n"), "KB1 KB2");
  EXPECT_EQ(Trimmed(" \t\r\n"), "");
  EXPECT_EQ(BlankSeparatedWords("\tWindows  XP\tSP2 \r"),
            (std::vector<std::string_view>{"Windows", "XP", "SP2", "\r"}));
  std::string_view text = "Windows NT 4.0";
  EXPECT_FALSE(ReadPrefix(text, "windows "));
  EXPECT_TRUE(ReadPrefix(text, "Windows "));
  EXPECT_EQ(text, "NT 4.0");
}

}  // namespace
