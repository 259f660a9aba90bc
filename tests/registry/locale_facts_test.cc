#include "registry/locale_facts.h"

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

const std::vector<std::pair<BYTE, BYTE>> kShiftJisLeadBytes = {{0x81, 0x9F},
                                                               {0xE0, 0xFC}};

class LocaleFactsTest : public FakePlatformTest {
 protected:
  void TearDown() override {
    // Leave the process facts as a default platform decides them.
    fake::Reset();
    PrepareProcessFacts();
    FakePlatformTest::TearDown();
  }

  void ArrangeNT(LCID locale) {
    Platform().version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    Platform().threadLocale = locale;
  }
};

TEST_F(LocaleFactsTest, DecidesFromPlatformLocaleAndCodePage) {
  struct Case {
    const char* name;
    DWORD platformId;
    bool versionQuerySucceeds;
    LCID locale;
    std::string localeCodePage;
    UINT ansiCodePage;
    std::vector<std::pair<BYTE, BYTE>> leadBytes;
    int dbcsEnabled;
    bool expected;
    DWORD expectedPlatformId;
    std::vector<UINT> codePagesAsked;
  };
  const Case cases[] = {
      {"NT, Japanese, code page 932",
       2,
       true,
       0x0411,
       "932",
       1252,
       kShiftJisLeadBytes,
       0,
       true,
       2,
       {932}},
      {"NT, Korean with a sort id in the high bits",
       2,
       true,
       0x00010412,
       "949",
       1252,
       {{0x81, 0xFE}},
       0,
       true,
       2,
       {949}},
      {"NT, Greek: a code page without lead bytes",
       2,
       true,
       0x0408,
       "1253",
       1253,
       {},
       1,
       false,
       2,
       {1253}},
      {"NT, locale code page not a number: the ANSI code page",
       2,
       true,
       0x0411,
       "93x",
       932,
       kShiftJisLeadBytes,
       0,
       true,
       2,
       {932}},
      {"NT, locale code page empty: the ANSI code page",
       2,
       true,
       0x0804,
       "",
       936,
       kShiftJisLeadBytes,
       0,
       true,
       2,
       {936}},
      {"NT, locale code page 0 is a number",
       2,
       true,
       0x0404,
       "0",
       950,
       kShiftJisLeadBytes,
       0,
       true,
       2,
       {0}},
      {"NT, English: the code page is not asked",
       2,
       true,
       0x0409,
       "932",
       932,
       kShiftJisLeadBytes,
       1,
       false,
       2,
       {}},
      {"NT, thread locale 0 counts as English",
       2,
       true,
       0,
       "932",
       932,
       kShiftJisLeadBytes,
       1,
       false,
       2,
       {}},
      {"Windows 95 family: the system metric, set",
       1,
       true,
       0x0409,
       "1252",
       1252,
       {},
       1,
       true,
       1,
       {}},
      {"Windows 95 family: the system metric, clear",
       1,
       true,
       0x0411,
       "932",
       932,
       kShiftJisLeadBytes,
       0,
       false,
       1,
       {}},
      {"Win32s: the system metric",
       0,
       true,
       0x0411,
       "932",
       932,
       kShiftJisLeadBytes,
       7,
       true,
       0,
       {}},
      {"version query fails: the system metric",
       2,
       false,
       0x0411,
       "932",
       932,
       kShiftJisLeadBytes,
       0,
       false,
       0,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Platform().version.dwPlatformId = c.platformId;
    Platform().basicQuerySucceeds = c.versionQuerySucceeds;
    Platform().threadLocale = c.locale;
    Platform().localeAnsiCodePage = c.localeCodePage;
    Platform().ansiCodePage = c.ansiCodePage;
    Platform().leadByteRanges = c.leadBytes;
    Platform().dbcsEnabled = c.dbcsEnabled;
    PrepareProcessFacts();
    EXPECT_EQ(DoubleByteLocale(), c.expected);
    EXPECT_EQ(StartupPlatformId(), c.expectedPlatformId);
    EXPECT_EQ(Platform().codePageQueries, c.codePagesAsked);
  }
}

TEST_F(LocaleFactsTest, PrimaryLanguageDecidesWhetherTheCodePageCounts) {
  // The listed languages in some of their sublanguages, then neighbours
  // and a language that shares a low byte with English but not its low
  // 10 bits. Every code page would say double-byte if it were asked.
  const LCID singleByte[] = {0x0400, 0x0406, 0x0407, 0x0807, 0x0409, 0x0809,
                             0x040a, 0x040b, 0x040c, 0x0410, 0x0413, 0x0414,
                             0x0416, 0x0816, 0x041d, 0x081d};
  const LCID others[] = {0x0405, 0x0408, 0x040d, 0x0411,
                         0x0412, 0x0419, 0x0804, 0x0509};
  for (bool listed : {true, false}) {
    for (LCID locale :
         listed
             ? std::vector<LCID>(std::begin(singleByte), std::end(singleByte))
             : std::vector<LCID>(std::begin(others), std::end(others))) {
      SCOPED_TRACE(testing::Message() << std::hex << locale);
      fake::Reset();
      ArrangeNT(locale);
      Platform().leadByteRanges = kShiftJisLeadBytes;
      PrepareProcessFacts();
      EXPECT_EQ(DoubleByteLocale(), !listed);
      EXPECT_EQ(Platform().localeInfoQueries,
                listed ? std::vector<LCID>{} : std::vector<LCID>{locale});
    }
  }
}

}  // namespace
