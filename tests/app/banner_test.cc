// The first two report lines: the program's description, then its file
// name and version.
#include <string>
#include <vector>

#include "app/report.h"
#include "test_support.h"

namespace {

class BannerTest : public FakePlatformTest {
 protected:
  void GiveVersionResource(const std::string& description,
                           const std::string& version) {
    fake::State& s = Platform();
    s.hasVersionBlock = true;
    s.versionItems["\\VarFileInfo\\Translation"] = {
        std::string("\x09\x04\xE4\x04", 4), 4};
    s.versionItems["\\StringFileInfo\\040904E4\\FileDescription"] = {
        description + std::string(1, '\0'),
        static_cast<UINT>(description.size() + 1)};
    s.versionItems["\\StringFileInfo\\040904E4\\FileVersion"] = {
        version + std::string(1, '\0'), static_cast<UINT>(version.size() + 1)};
  }

  // The report's first two lines, without their line ends.
  std::vector<std::string> BannerLines() {
    RunReport();
    FlushReportOutput();
    const std::string& output = Platform().output;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (int i = 0; i < 2; ++i) {
      const std::size_t end = output.find("\r\n", start);
      if (end == std::string::npos) break;
      lines.push_back(output.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
};

TEST_F(BannerTest, DescriptionThenNameAndVersion) {
  GiveVersionResource(" Hotfix inventory for Windows NT\r\n", "0.6.12.21");
  EXPECT_EQ(BannerLines(),
            (std::vector<std::string>{"Hotfix inventory for Windows NT",
                                      "hotfixes.exe Ver.0.6.12.21"}));
}

TEST_F(BannerTest, WithoutVersionResourceBothTextsAreEmpty) {
  EXPECT_EQ(BannerLines(), (std::vector<std::string>{"", "hotfixes.exe Ver."}));
}

struct NameCase {
  const char* name;
  std::string modulePath;
  std::vector<std::pair<BYTE, BYTE>> leadByteRanges;
  std::string expectedLine;
};

TEST_F(BannerTest, NameIsWhatFollowsTheLastBackslashOrColon) {
  const std::vector<std::pair<BYTE, BYTE>> shiftJis = {{0x81, 0x9F},
                                                       {0xE0, 0xFC}};
  const NameCase cases[] = {
      {"backslashes", "C:\\Tools\\Other\\other.exe", {}, "other.exe Ver.1.0"},
      {"colon and no backslash", "C:other.exe", {}, "other.exe Ver.1.0"},
      {"colon behind the last backslash",
       "\\\\server\\share\\x:y.exe",
       {},
       "y.exe Ver.1.0"},
      {"no delimiter at all", "other.exe", {}, "other.exe Ver.1.0"},
      {"POSIX stand-in path", "/opt/tools/hotfixes", {}, "hotfixes Ver.1.0"},
      // 0x95 0x5C is one double-byte character whose second byte is '\'.
      {"double-byte character ending in 0x5C", "C:\\Tools\\\x95\x5C.exe",
       shiftJis, "\x95\x5C.exe Ver.1.0"},
      {"same bytes on a single-byte code page",
       "C:\\Tools\\\x95\x5C.exe",
       {},
       ".exe Ver.1.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    GiveVersionResource("Inventory", "1.0");
    Platform().modulePath = c.modulePath;
    Platform().leadByteRanges = c.leadByteRanges;
    const std::vector<std::string> lines = BannerLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], c.expectedLine);
  }
}

}  // namespace
