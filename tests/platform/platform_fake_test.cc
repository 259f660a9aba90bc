// The fake's registry finds subkeys through an index and a guess at the
// next key; both must answer as a walk over `subkeys` would.
#include <memory>
#include <string>

#include "test_support.h"

namespace {

class PlatformFakeTest : public FakePlatformTest {};

TEST_F(PlatformFakeTest, FindsEverySubkeyInAnyOrderWithoutCase) {
  fake::Key& root = Platform().localMachine.Add("Root");
  for (int i = 0; i < 50; ++i) root.Add("Key" + std::to_string(i));
  // In order (the guess), backwards and by stride (the index), any case.
  for (int step : {1, -1, 7}) {
    SCOPED_TRACE(step);
    for (int n = 0, i = step > 0 ? 0 : 49; n < 50; ++n) {
      const std::string name = "Key" + std::to_string(i);
      fake::Key* found =
          Platform().localMachine.Find("ROOT\\kEY" + std::to_string(i));
      ASSERT_NE(found, nullptr) << name;
      EXPECT_EQ(found->name, name);
      EXPECT_EQ(&root.Add("KEY" + std::to_string(i)), found);
      i = ((i + step) % 50 + 50) % 50;
    }
  }
  EXPECT_EQ(root.subkeys.size(), 50u);
  EXPECT_EQ(root.Find("Key50"), nullptr);
  EXPECT_EQ(Platform().localMachine.Find("Root\\\\Key1"), nullptr);
  // A name with a NUL inside is whole: the part before the NUL names no key,
  // not even beside the one found last, where the guess looks first.
  root.Add(std::string("Key50\0x", 7));
  ASSERT_NE(root.Find("Key49"), nullptr);
  EXPECT_EQ(root.Find("Key50"), nullptr);
}

TEST_F(PlatformFakeTest, KeepsUpWithSubkeysChangedBehindItsBack) {
  fake::Key& root = Platform().localMachine.Add("Root");
  fake::Key& first = root.Add("Twice");
  root.Add("Other");
  // Appended directly, as a platform may list one name twice: Add finds
  // the first, a path walks into the last.
  root.subkeys.push_back(std::make_unique<fake::Key>());
  root.subkeys.back()->name = "TWICE";
  EXPECT_EQ(&root.Add("twice"), &first);
  EXPECT_EQ(root.Find("twice"), root.subkeys.back().get());

  root.RemoveSubkey("twice");
  EXPECT_EQ(root.Find("Twice"), nullptr);
  ASSERT_NE(root.Find("Other"), nullptr);
  root.Add("Twice");
  EXPECT_EQ(root.Find("Twice"), root.subkeys.back().get());
  EXPECT_EQ(root.subkeys.size(), 2u);
}

TEST_F(PlatformFakeTest, CountsWritesWithoutRecordingThem) {
  for (bool record : {true, false}) {
    SCOPED_TRACE(record);
    fake::Reset();
    Platform().recordCalls = record;
    Platform().failingWrites = {1};
    DWORD written = 0;
    EXPECT_TRUE(platform::WriteFile(nullptr, "abc", 3, &written, nullptr));
    EXPECT_FALSE(platform::WriteFile(nullptr, "de", 2, &written, nullptr));
    EXPECT_TRUE(platform::WriteFile(nullptr, "f", 1, &written, nullptr));
    EXPECT_EQ(Platform().writeCalls, 3u);
    EXPECT_EQ(Platform().bytesWritten, 4u);
    EXPECT_EQ(Platform().output, record ? "abcf" : "");
    EXPECT_EQ(Platform().writes.size(), record ? 3u : 0u);
  }
}

}  // namespace
