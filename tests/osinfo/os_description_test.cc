#include "osinfo/os_description.h"

#include <cstring>
#include <set>
#include <string>

#include "support/arrange.h"
#include "support/failing_allocator.h"
#include "test_support.h"

namespace {

class OSDescriptionTest : public FakePlatformTest {
 protected:
  void ArrangeXP() { GiveWindowsXP(Platform()); }
};

const char kExtendedXP[] =
    "Microsoft Windows XP Professional Service Pack 2 (Build 2600)";
const char kBasicXP[] = "Windows NT Version 5.1 (Build 2600 : Service Pack 2)";

TEST_F(OSDescriptionTest, ExtendedDescriptionWhenItCompletes) {
  ArrangeXP();
  std::string result;
  GetOSDescription(result);
  EXPECT_EQ(result, kExtendedXP);
}

TEST_F(OSDescriptionTest, UnknownFromTheExtendedLinkIsFinal) {
  ArrangeXP();
  Platform().extendedQuerySucceeds = false;
  Platform().basicQuerySucceeds = false;
  std::string result;
  GetOSDescription(result);
  EXPECT_EQ(result, "Unknown");
}

// Makes each allocation in turn fail once: wherever memory runs out, the
// chain ends in one of its three texts, never in a partial one and never
// with a raised failure.
TEST_F(OSDescriptionTest, OneFailedAllocationFallsBackToTheNextLink) {
  ArrangeXP();
  std::set<std::string> seen;
  for (std::size_t n = 0;; ++n) {
    std::string result;
    std::size_t made = 0;
    {
      failing_allocator::Scope failing(n);
      EXPECT_NO_THROW(GetOSDescription(result));
      made = failing_allocator::Disarm();
    }
    EXPECT_TRUE(result == kExtendedXP || result == kBasicXP ||
                result == "Microsoft Windows")
        << "allocation " << n << ": " << result;
    seen.insert(result);
    if (made <= n) break;  // this run made no allocation numbered n
  }
  EXPECT_TRUE(seen.count(kExtendedXP));
  EXPECT_TRUE(seen.count(kBasicXP)) << "the basic summary never replaced "
                                       "a partial extended text";
}

TEST_F(OSDescriptionTest, BothLinksFailingGiveTheFixedText) {
  ArrangeXP();
  std::string result;
  result.reserve(64);  // room for every text, so that only the links allocate
  {
    failing_allocator::Scope failing(0, /*andAllAfter=*/true);
    EXPECT_NO_THROW(GetOSDescription(result));
  }
  EXPECT_EQ(result, "Microsoft Windows");
}

TEST_F(OSDescriptionTest, BasicSummary) {
  struct Case {
    const char* name;
    bool querySucceeds;
    DWORD platformId, major, minor, build;
    const char* servicePack;
    const char* expected;
  } cases[] = {
      {"NT", true, 2, 5, 1, 2600, "Service Pack 2", kBasicXP},
      {"Win32s", true, 0, 1, 30, 5, "",
       "Windows 3.1 Version 1.30 (Build 5 : )"},
      {"95 family keeps the whole build field", true, 1, 4, 10, 0x040A08AE,
       " A ", "Windows 95 Version 4.10 (Build 67766446 :  A )"},
      {"build field printed signed", true, 2, 5, 0, 0xFFFFFFFF, "",
       "Windows NT Version 5.0 (Build -1 : )"},
      {"unknown platform: empty name", true, 3, 1, 0, 7, "x",
       " Version 1.0 (Build 7 : x)"},
      {"failed query: the zeroed record", false, 2, 5, 1, 2600, "SP",
       "Windows 3.1 Version 0.0 (Build 0 : )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    OSVERSIONINFOEXA& v = Platform().version;
    v.dwPlatformId = c.platformId;
    v.dwMajorVersion = c.major;
    v.dwMinorVersion = c.minor;
    v.dwBuildNumber = c.build;
    std::strcpy(v.szCSDVersion, c.servicePack);
    Platform().basicQuerySucceeds = c.querySucceeds;
    std::string result = "overwritten";
    DescribeOSVersionBasic(result);
    EXPECT_EQ(result, c.expected);
  }
}

TEST(PlatformIdToName, KnownIdsAndOthersLeaveTheTextAlone) {
  const std::pair<DWORD, const char*> cases[] = {{0, "Windows 3.1"},
                                                 {1, "Windows 95"},
                                                 {2, "Windows NT"},
                                                 {3, "untouched"},
                                                 {0xFFFFFFFF, "untouched"}};
  for (const auto& c : cases) {
    std::string name = "untouched";
    PlatformIdToName(c.first, name);
    EXPECT_EQ(name, c.second) << c.first;
  }
}

}  // namespace
