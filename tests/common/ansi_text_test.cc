#include "common/ansi_text.h"

#include <string>

#include "test_support.h"

namespace {

class AnsiTextTest : public FakePlatformTest {
 protected:
  // Shift-JIS: 0x81-0x9F and 0xE0-0xFC start a two-byte character.
  void UseDoubleByteCodePage() {
    Platform().leadByteRanges = {{0x81, 0x9F}, {0xE0, 0xFC}};
  }
};

struct RemoveCase {
  const char* name;
  std::string text;
  std::string expected;
};

TEST_F(AnsiTextTest, RemovesTheFirstMicrosoftWithItsBlank) {
  const RemoveCase cases[] = {
      {"extended description",
       "Microsoft Windows XP Professional Service Pack 2 (Build 2600)",
       "Windows XP Professional Service Pack 2 (Build 2600)"},
      {"fixed fallback text", "Microsoft Windows", "Windows"},
      {"trailing blank kept", "Microsoft Windows 95 ", "Windows 95 "},
      {"only the first of two",
       "Windows NT Version 5.1 (Build 1 : Microsoft Microsoft )",
       "Windows NT Version 5.1 (Build 1 : Microsoft )"},
      {"case matters", "microsoft Windows", "microsoft Windows"},
      {"the blank is part of the match", "MicrosoftWindows",
       "MicrosoftWindows"},
      {"at the very end", "Microsoft ", ""},
      {"absent", "Windows NT product family? ", "Windows NT product family? "},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    RemoveFirstOccurrence(text, "Microsoft ");
    EXPECT_EQ(text, c.expected) << c.name;
  }
}

TEST_F(AnsiTextTest, MatchOnASecondByteIsPassedOver) {
  UseDoubleByteCodePage();
  // 0x82 starts a character whose second byte is the 'M'.
  std::string text = "\x82Microsoft X Microsoft Y";
  RemoveFirstOccurrence(text, "Microsoft ");
  EXPECT_EQ(text, "\x82Microsoft X Y");
  std::string single = "\x82Microsoft X";
  RemoveFirstOccurrence(single, "Microsoft ");
  EXPECT_EQ(single, "\x82Microsoft X");
}

TEST_F(AnsiTextTest, NameBehindTheLastDelimiter) {
  const RemoveCase cases[] = {
      {"folders", "C:\\Tools\\Sub\\hotfixes.exe", "hotfixes.exe"},
      {"drive only", "C:hotfixes.exe", "hotfixes.exe"},
      {"no delimiter", "hotfixes.exe", "hotfixes.exe"},
      {"ends in a delimiter", "C:\\Tools\\", ""},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextBehindLastDelimiter(c.text, "\\:"), c.expected) << c.name;
  }
}

TEST_F(AnsiTextTest, SecondByteThatLooksLikeABackslashIsNoDelimiter) {
  const std::string path = "C:\\Tools\\\x95\x5C.exe";
  EXPECT_EQ(TextBehindLastDelimiter(path, "\\:"), ".exe")
      << "single-byte code page: 0x5C is a backslash";
  UseDoubleByteCodePage();
  EXPECT_EQ(TextBehindLastDelimiter(path, "\\:"), "\x95\x5C.exe");
  // A lead byte as the path's last byte has no second byte to hide.
  EXPECT_EQ(TextBehindLastDelimiter("a\\b\\\x95", "\\"), "\x95");
}

TEST(TextUpToNul, StopsAtTheFirstNulOrTheEnd) {
  EXPECT_EQ(TextUpToNul("abc\0def", 7), "abc");
  EXPECT_EQ(TextUpToNul("abc", 3), "abc");
  EXPECT_EQ(TextUpToNul("abcdef", 2), "ab");
  EXPECT_EQ(TextUpToNul("\0abc", 4), "");
}

}  // namespace
