#include "hotfix/hotfix_list.h"

#include <string>

#include "support/arrange.h"
#include "test_support.h"

namespace {

class HotFixListTest : public FakePlatformTest {
 public:
  fake::Key& HotFixRoot() { return ::HotFixRoot(Platform()); }
  fake::Key& AddHotFix(const std::string& name, const std::string& comment) {
    fake::Key& key = HotFixRoot().Add(name);
    key.SetText("Comments", comment);
    return key;
  }
  // Runs the listing as the whole program; the exit code.
  UINT List() {
    const UINT code = RunProgramWith(ListHotFixes);
    EXPECT_EQ(fake::OpenKeyCount(), 0u) << "a registry key was left open";
    return code;
  }
};

TEST_F(HotFixListTest, OneLinePerHotFixInEnumerationOrder) {
  AddHotFix("Q823980", "Windows XP Hotfix - KB823980");
  AddHotFix("KB835732-v2", "Security Update \xE9\xFC\x80");
  AddHotFix("kb000001", "first by name, last by order");
  EXPECT_EQ(List(), 0u);
  EXPECT_EQ(Platform().output,
            "[Q823980] Windows XP Hotfix - KB823980\r\n"
            "[KB835732-v2] Security Update \xE9\xFC\x80\r\n"
            "[kb000001] first by name, last by order\r\n"
            "\r\n"
            "Found 3 Hot-Fix\r\n");
}

TEST_F(HotFixListTest, CommentsAsStored) {
  HotFixRoot().Add("NoComment");
  AddHotFix("MultiLine", "line one\r\nline two");
  HotFixRoot().Add("Expand").SetValue("Comments", REG_EXPAND_SZ,
                                      std::string("%SystemRoot%\\x\0", 15));
  HotFixRoot().Add("EmptyDword").SetValue("Comments", REG_DWORD, "");
  EXPECT_EQ(List(), 0u);
  EXPECT_EQ(Platform().output,
            "[NoComment] \r\n"
            "[MultiLine] line one\r\nline two\r\n"
            "[Expand] %SystemRoot%\\x\r\n"
            "[EmptyDword] \r\n"
            "\r\n"
            "Found 4 Hot-Fix\r\n");
}

TEST_F(HotFixListTest, KeysThatDoNotOpenAreSkippedButCounted) {
  AddHotFix("Q1", "one");
  AddHotFix("Q2", "two").openable = false;
  AddHotFix("Q3", "three");
  EXPECT_EQ(List(), 0u);
  EXPECT_EQ(Platform().output,
            "[Q1] one\r\n[Q3] three\r\n\r\nFound 3 Hot-Fix\r\n");
}

TEST_F(HotFixListTest, NoHotFixes) {
  struct Case {
    const char* name;
    void (*arrange)(HotFixListTest&);
  } cases[] = {
      {"empty root", [](HotFixListTest& t) { t.HotFixRoot(); }},
      {"missing root", [](HotFixListTest&) {}},
      {"root that does not open",
       [](HotFixListTest& t) {
         t.AddHotFix("Q1", "x");
         t.HotFixRoot().openable = false;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    c.arrange(*this);
    EXPECT_EQ(List(), 0u);
    EXPECT_EQ(Platform().output, "\r\nFound 0 Hot-Fix\r\n");
  }
}

TEST_F(HotFixListTest, RootThatOpensOnlyForValuesCountsButPrintsNothing) {
  // The statistics count the subkey, but its name cannot be enumerated:
  // the entry is counted and no line is written for it.
  AddHotFix("Q1", "one");
  HotFixRoot().deniedMasks = {0x20019, 0x20009};
  EXPECT_EQ(List(), 0u);
  EXPECT_EQ(Platform().output, "\r\nFound 1 Hot-Fix\r\n");
  EXPECT_EQ(Platform().openAttempts.size(), 3u) << "the empty name was opened";
}

TEST_F(HotFixListTest, NonTextCommentEndsTheProgramAfterTheLinesBefore) {
  AddHotFix("Q1", "one");
  HotFixRoot().Add("Q2").SetValue("Comments", REG_DWORD,
                                  std::string("\x01\0\0\0", 4));
  AddHotFix("Q3", "three");
  EXPECT_EQ(List(), 1u);
  EXPECT_EQ(
      Platform().output,
      "[Q1] one\r\n"
      "Exception ERegistryException in module hotfixes.exe at 00001234.\r\n"
      "'Comments' のデータ型が不正です.\r\n"
      "\r\n");
}

TEST_F(HotFixListTest, FailedWriteEndsTheListing) {
  AddHotFix("Q1", "one");
  AddHotFix("Q2", "two");
  Platform().failingWrites = {1};
  Platform().writeError = 232;
  EXPECT_EQ(List(), 1u);
  EXPECT_EQ(Platform().output,
            "[Q1] one\r\n"
            "Exception EInOutError in module hotfixes.exe at 00001234.\r\n"
            "I/O error 232.\r\n\r\n");
}

TEST_F(HotFixListTest, ReadsOnlyHotFixKeysFromTheRoot) {
  AddHotFix("Q1", "one");
  EXPECT_EQ(List(), 0u);
  for (const auto& attempt : Platform().openAttempts) {
    EXPECT_EQ(attempt.base, HKEY_LOCAL_MACHINE) << attempt.path;
    EXPECT_EQ(attempt.path.rfind(
                  "Software\\Microsoft\\Windows NT\\CurrentVersion\\HotFix", 0),
              0u)
        << attempt.path;
  }
  EXPECT_EQ(Platform().openAttempts.size(), 2u);
}

}  // namespace
