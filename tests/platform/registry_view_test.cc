#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(RegistryViewTest, AsksForThe64BitViewOnlyUnderWow64) {
  struct Case {
    REGSAM requested;
    bool underWow64;
    REGSAM expected;
  };
  const Case cases[] = {
      {0x20019, false, 0x20019},
      {0x20009, false, 0x20009},
      {0x0001, false, 0x0001},
      {0x20019, true, 0x20119},
      {0x20009, true, 0x20109},
      {0x0001, true, 0x0101},
      // Already asking for the 64-bit view: nothing to add.
      {0x0101, true, 0x0101},
      {0x0101, false, 0x0101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << c.requested << " wow64 " << c.underWow64);
    EXPECT_EQ(platform::AccessMaskForView(c.requested, c.underWow64),
              c.expected);
  }
}

}  // namespace
