#include "versioninfo/version_info.h"

#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

const char kFile[] = "C:\\Tools\\hotfixes.exe";
const char kTranslation[] = "\\VarFileInfo\\Translation";
const char kUsEnglishVersion[] = "\\StringFileInfo\\040904E4\\FileVersion";

// Translation entries as the block stores them: 32-bit little-endian
// words, language in the low half, code page in the high half.
std::string Translations(
    const std::vector<std::pair<WORD, WORD>>& languageAndCodePage) {
  std::string bytes;
  for (const auto& entry : languageAndCodePage) {
    const WORD halves[] = {entry.first, entry.second};
    for (WORD half : halves) {
      bytes += static_cast<char>(half & 0xFF);
      bytes += static_cast<char>(half >> 8);
    }
  }
  return bytes;
}

class VersionInfoTest : public FakePlatformTest {
 protected:
  // A block with the translation 0x0409, 0x04E4.
  void GiveUsEnglishBlock() {
    Platform().hasVersionBlock = true;
    SetItem(kTranslation, Translations({{0x0409, 0x04E4}}), 4);
  }
  void SetItem(const std::string& path, const std::string& bytes, UINT length) {
    Platform().versionItems[path] = {bytes, length};
  }
  // A text item with its NUL, reporting its length in characters.
  void SetText(const std::string& path, const std::string& text) {
    SetItem(path, text + std::string(1, '\0'),
            static_cast<UINT>(text.size() + 1));
  }
  std::string Read(const std::string& valueName,
                   const std::string& before = std::string()) {
    std::string text = before;
    ReadVersionInfoString(valueName, kFile, text);
    return text;
  }
};

TEST_F(VersionInfoTest, FileWithoutBlockLeavesTextAsPassed) {
  EXPECT_EQ(Read("FileVersion"), "");
  EXPECT_EQ(Read("FileVersion", "kept"), "kept");
}

TEST_F(VersionInfoTest, ReadsTheNamedValueOfTheFirstTranslation) {
  GiveUsEnglishBlock();
  SetText("\\StringFileInfo\\040904E4\\FileDescription", "Inventory");
  SetText(kUsEnglishVersion, "0.6.12.21");
  EXPECT_EQ(Read("FileDescription"), "Inventory");
  EXPECT_EQ(Read("FileVersion", "replaced"), "0.6.12.21");
}

struct StoredValueCase {
  const char* name;
  std::string bytes;
  UINT length;
  std::string expected;
};

TEST_F(VersionInfoTest, CutsAndTrimsTheStoredValue) {
  const StoredValueCase cases[] = {
      {"leading and trailing blanks", std::string("  0.6.12.21  \0", 14), 14,
       "0.6.12.21"},
      {"trailing line break", std::string("0.6.12.21\r\n\0", 12), 12,
       "0.6.12.21"},
      {"tabs and controls around inner blanks",
       std::string("\t\x01Hotfix inventory\x1F\t\0", 21), 21,
       "Hotfix inventory"},
      {"NUL alone", std::string("\0", 1), 1, ""},
      {"blanks alone", std::string("   \0", 4), 4, ""},
      {"stops at the first NUL", std::string("0.6\0junk\0", 9), 9, "0.6"},
      {"NULs padding the reported length", std::string("0.6\0\0\0", 6), 6,
       "0.6"},
      {"longer than its reported length", std::string("0.6.12.21\0", 10), 4,
       "0.6."},
      {"no NUL within its reported length", std::string("0.6.12", 6), 3, "0.6"},
      {"bytes above 127 are characters, not controls",
       std::string("\x82\xA0 text \x81\x40\0", 11), 11,
       "\x82\xA0 text \x81\x40"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    GiveUsEnglishBlock();
    SetItem(kUsEnglishVersion, c.bytes, c.length);
    EXPECT_EQ(Read("FileVersion", "before"), c.expected);
  }
}

TEST_F(VersionInfoTest, LooksUpTheFirstTranslationInUpperCaseHex) {
  Platform().hasVersionBlock = true;
  SetItem(kTranslation, Translations({{0x0411, 0x03A4}, {0x0409, 0x04E4}}), 8);
  SetText(kUsEnglishVersion, "English");
  SetText("\\StringFileInfo\\041103A4\\FileVersion", "Japanese");
  EXPECT_EQ(Read("FileVersion"), "Japanese");
}

TEST_F(VersionInfoTest, HexKeyKeepsLeadingZerosAndAllDigits) {
  Platform().hasVersionBlock = true;
  SetItem(kTranslation, Translations({{0x000A, 0xFFFF}}), 4);
  SetText("\\StringFileInfo\\000AFFFF\\FileVersion", "found");
  EXPECT_EQ(Read("FileVersion"), "found");
}

struct MissingPieceCase {
  const char* name;
  void (*arrange)(fake::State&);
};

TEST_F(VersionInfoTest, LeavesTextUntouchedWhenAPieceIsMissing) {
  const MissingPieceCase cases[] = {
      {"no translation",
       [](fake::State& s) { s.versionItems.erase(kTranslation); }},
      {"translation of length 0",
       [](fake::State& s) { s.versionItems[kTranslation].length = 0; }},
      {"translation shorter than one entry",
       [](fake::State& s) { s.versionItems[kTranslation].length = 2; }},
      {"no such value",
       [](fake::State& s) { s.versionItems.erase(kUsEnglishVersion); }},
      {"value of length 0",
       [](fake::State& s) { s.versionItems[kUsEnglishVersion].length = 0; }},
      {"value under another translation only",
       [](fake::State& s) {
         s.versionItems["\\StringFileInfo\\040704E4\\FileVersion"] =
             s.versionItems[kUsEnglishVersion];
         s.versionItems.erase(kUsEnglishVersion);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    GiveUsEnglishBlock();
    SetText(kUsEnglishVersion, "0.6.12.21");
    c.arrange(Platform());
    EXPECT_EQ(Read("FileVersion", "kept"), "kept");
  }
}

TEST_F(VersionInfoTest, BlockThatCouldNotBeReadIsNeverQueried) {
  GiveUsEnglishBlock();
  SetText(kUsEnglishVersion, "0.6.12.21");
  Platform().versionBlockReadFails = true;
  EXPECT_EQ(Read("FileVersion", "kept"), "kept");
  EXPECT_FALSE(Platform().queriedUnreadBlock);
}

}  // namespace
