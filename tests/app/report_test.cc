// The whole report, top to bottom, as the program writes it.
#include "app/report.h"

#include <string>

#include "support/arrange.h"
#include "test_support.h"

namespace {

class ReportTest : public FakePlatformTest {
 protected:
  void SetUp() override {
    FakePlatformTest::SetUp();
    GiveOwnVersionResource(Platform());
    GiveWindowsXP(Platform());
  }
  fake::Key& HotFixRoot() { return ::HotFixRoot(Platform()); }
};

const char kHead[] =
    "Hotfix inventory for Windows NT\r\n"
    "hotfixes.exe Ver.0.6.12.21\r\n"
    "\r\n"
    "Windows XP Professional Service Pack 2 (Build 2600)\r\n"
    "\r\n";

TEST_F(ReportTest, SectionsInOrderToAFileInWholePieces) {
  Platform().fileType = FILE_TYPE_DISK;
  HotFixRoot().Add("Q828035").SetText("Comments",
                                      "Windows XP Hotfix - KB828035");
  HotFixRoot().Add("KB835732").SetText("Comments", "");
  EXPECT_EQ(RunProgramWith(RunReport), 0u);
  const std::string expected = std::string(kHead) +
                               "[Q828035] Windows XP Hotfix - KB828035\r\n"
                               "[KB835732] \r\n"
                               "\r\n"
                               "Found 2 Hot-Fix\r\n";
  EXPECT_EQ(Platform().output, expected);
  ASSERT_EQ(Platform().writes.size(), 2u);
  EXPECT_EQ(Platform().writes[0].size(), 128u);
  EXPECT_EQ(Platform().writes[1].size(), expected.size() - 128);
}

TEST_F(ReportTest, ConsoleGetsEveryLineAsItEnds) {
  Platform().fileType = FILE_TYPE_CHAR;
  EXPECT_EQ(RunProgramWith(RunReport), 0u);
  EXPECT_EQ(Platform().output, std::string(kHead) + "\r\nFound 0 Hot-Fix\r\n");
  EXPECT_EQ(Platform().writes.size(), 7u);
}

TEST_F(ReportTest, FailureReportComesAfterTheBufferedLines) {
  Platform().fileType = FILE_TYPE_PIPE;
  HotFixRoot().Add("Q1").SetText("Comments", "one");
  HotFixRoot().Add("Q2").SetValue("Comments", REG_MULTI_SZ,
                                  std::string("a\0b\0\0", 5));
  EXPECT_EQ(RunProgramWith(RunReport), 1u);
  EXPECT_EQ(Platform().output,
            std::string(kHead) + "[Q1] one\r\n" +
                "Exception ERegistryException in module hotfixes.exe at "
                "00001234.\r\n'Comments' のデータ型が不正です.\r\n\r\n");
  EXPECT_EQ(fake::OpenKeyCount(), 0u);
}

TEST_F(ReportTest, OSLineLosesOnlyItsFirstMicrosoft) {
  // NT 4 without the extended record and without ProductOptions: the
  // description is the product name alone, trailing blank kept.
  Platform().version.dwMajorVersion = 4;
  Platform().version.dwMinorVersion = 0;
  Platform().extendedQuerySucceeds = false;
  EXPECT_EQ(RunProgramWith(RunReport), 0u);
  const std::string& output = Platform().output;
  const std::size_t line4 = output.find("\r\n\r\n") + 4;
  EXPECT_EQ(output.substr(line4, output.find("\r\n", line4) - line4),
            "Windows NT ");
}

}  // namespace
