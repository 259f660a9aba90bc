#include "osinfo/os_description_ex.h"

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

struct Record {
  DWORD platformId;
  DWORD major;
  DWORD minor;
  DWORD build;
  const char* servicePack;
  BYTE productType;
  WORD suite;
};

struct TreeCase {
  const char* name;
  Record record;
  const char* expected;
};

class DescribeOSVersionExTest : public FakePlatformTest {
 protected:
  void Arrange(const Record& r) {
    OSVERSIONINFOEXA& v = Platform().version;
    v = OSVERSIONINFOEXA{};
    v.dwPlatformId = r.platformId;
    v.dwMajorVersion = r.major;
    v.dwMinorVersion = r.minor;
    v.dwBuildNumber = r.build;
    std::strncpy(v.szCSDVersion, r.servicePack, sizeof v.szCSDVersion - 1);
    v.wProductType = r.productType;
    v.wSuiteMask = r.suite;
  }
  std::string Describe() {
    std::string result = "left over";
    DescribeOSVersionEx(result);
    EXPECT_EQ(fake::OpenKeyCount(), 0u) << "a registry key was left open";
    return result;
  }
  fake::Key& ProductOptions() {
    return Platform()
        .localMachine.Add("SYSTEM")
        .Add("CurrentControlSet")
        .Add("Control")
        .Add("ProductOptions");
  }
  void AddQ246009() {
    Platform()
        .localMachine.Add("SOFTWARE")
        .Add("Microsoft")
        .Add("Windows NT")
        .Add("CurrentVersion")
        .Add("Hotfix")
        .Add("Q246009");
  }
};

TEST_F(DescribeOSVersionExTest, ExtendedRecordDecisionTree) {
  const TreeCase cases[] = {
      {"XP Professional",
       {2, 5, 1, 2600, "Service Pack 2", 1, 0x0100},
       "Microsoft Windows XP Professional Service Pack 2 (Build 2600)"},
      {"XP Home",
       {2, 5, 1, 2600, "Service Pack 2", 1, 0x0300},
       "Microsoft Windows XP Home Edition Service Pack 2 (Build 2600)"},
      {"no service pack: two blanks",
       {2, 5, 1, 2600, "", 1, 0},
       "Microsoft Windows XP Professional  (Build 2600)"},
      {"2003 Web",
       {2, 5, 2, 3790, "", 3, 0x0400},
       "Microsoft Windows .NET Server 2003 family, Web Edition  (Build 3790)"},
      {"2003 web bit among others",
       {2, 5, 2, 3790, "", 3, 0x0410},
       "Microsoft Windows .NET Server 2003 family, Standard Edition  (Build "
       "3790)"},
      {"2003 Datacenter",
       {2, 5, 2, 3790, "", 3, 0x0482},
       "Microsoft Windows .NET Server 2003 family, Datacenter Edition  (Build "
       "3790)"},
      {"2003 Enterprise",
       {2, 5, 2, 3790, "Service Pack 1", 3, 0x0002},
       "Microsoft Windows .NET Server 2003 family, Enterprise Edition Service "
       "Pack 1 (Build 3790)"},
      {"2000 Datacenter",
       {2, 5, 0, 2195, "", 3, 0x0080},
       "Microsoft Windows 2000 Datacenter Server  (Build 2195)"},
      {"2000 Advanced",
       {2, 5, 0, 2195, "", 3, 0x0002},
       "Microsoft Windows 2000 Advanced Server  (Build 2195)"},
      {"2000 Server",
       {2, 5, 0, 2195, "Service Pack 4", 3, 0},
       "Microsoft Windows 2000 Server Service Pack 4 (Build 2195)"},
      {"2000 domain controller: no edition",
       {2, 5, 0, 2195, "Service Pack 4", 2, 0},
       "Microsoft Windows 2000 Service Pack 4 (Build 2195)"},
      {"6.0 workstation",
       {2, 6, 0, 6002, "Service Pack 2", 1, 0},
       "Windows NT product family? Professional Service Pack 2 (Build 6002)"},
      {"6.1 server",
       {2, 6, 1, 7601, "Service Pack 1", 3, 0},
       "Windows NT product family? Server 4.0 Service Pack 1 (Build 7601)"},
      {"10.0 server enterprise",
       {2, 10, 0, 17763, "", 3, 0x0002},
       "Windows NT product family? Server 4.0, Enterprise Edition  (Build "
       "17763)"},
      {"NT 4 workstation",
       {2, 4, 0, 1381, "Service Pack 5", 1, 0},
       "Microsoft Windows NT Workstation 4.0 Service Pack 5 (Build 1381)"},
      {"NT 3.51 counts as NT",
       {2, 3, 51, 1057, "", 1, 0x0200},
       "Microsoft Windows NT Home Edition  (Build 1057)"},
      {"build keeps its low 16 bits",
       {2, 5, 1, 0x12340A28, "", 1, 0},
       "Microsoft Windows XP Professional  (Build 2600)"},
      {"Win32s", {0, 1, 30, 0, "", 0, 0}, "Microsoft Win32s"},
      {"95", {1, 4, 0, 0x04000395, " A", 0, 0}, "Microsoft Windows 95 "},
      {"95 OSR2 (C)", {1, 4, 0, 0, " C", 0, 0}, "Microsoft Windows 95 OSR2 "},
      {"95 OSR2 (B)", {1, 4, 0, 0, " B", 0, 0}, "Microsoft Windows 95 OSR2 "},
      {"98", {1, 4, 10, 0, " ", 0, 0}, "Microsoft Windows 98 "},
      {"98 SE", {1, 4, 10, 0, " A ", 0, 0}, "Microsoft Windows 98 SE "},
      {"Me", {1, 4, 90, 0, " ", 0, 0}, "Microsoft Windows Millennium Edition"},
      {"unknown 9x version", {1, 4, 3, 0, "", 0, 0}, "Unknown"},
      {"unknown platform", {3, 5, 1, 0, "", 1, 0}, "Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange(c.record);
    EXPECT_EQ(Describe(), c.expected);
  }
}

TEST_F(DescribeOSVersionExTest, ServicePack6aNeedsTheQ246009Key) {
  struct Case {
    const char* servicePack;
    bool keyPresent;
    const char* expected;
  } cases[] = {
      {"Service Pack 6", true,
       "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)"},
      {"service pack 6", true,
       "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)"},
      {"Service Pack 6", false,
       "Microsoft Windows NT Workstation 4.0 Service Pack 6 (Build 1381)"},
      {"Service Pack 5", true,
       "Microsoft Windows NT Workstation 4.0 Service Pack 5 (Build 1381)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.servicePack) + (c.keyPresent ? " +key" : ""));
    fake::Reset();
    Arrange({2, 4, 0, 1381, c.servicePack, 1, 0});
    if (c.keyPresent) AddQ246009();
    EXPECT_EQ(Describe(), c.expected);
  }
}

TEST_F(DescribeOSVersionExTest, BasicRecordTakesTheEditionFromTheRegistry) {
  struct Case {
    const char* name;
    bool keyPresent;
    DWORD valueType;
    std::string data;
    const char* expected;
  } cases[] = {
      {"WinNT", true, REG_SZ, std::string("WinNT\0", 6),
       "Microsoft Windows NT Workstation 4.0Service Pack 5 (Build 1381)"},
      {"LanmanNT", true, REG_SZ, std::string("LanmanNT\0", 9),
       "Microsoft Windows NT Server 4.0Service Pack 5 (Build 1381)"},
      {"ServerNT", true, REG_SZ, std::string("SERVERNT\0", 9),
       "Microsoft Windows NT Advanced Server 4.0Service Pack 5 (Build 1381)"},
      {"other product type", true, REG_SZ, std::string("Terminal\0", 9),
       "Microsoft Windows NT 4.0Service Pack 5 (Build 1381)"},
      {"longer text with the same start", true, REG_SZ,
       std::string("WINNTX\0", 7),
       "Microsoft Windows NT 4.0Service Pack 5 (Build 1381)"},
      {"data without NUL", true, REG_SZ, "winnt",
       "Microsoft Windows NT Workstation 4.0Service Pack 5 (Build 1381)"},
      {"no ProductOptions key", false, REG_SZ, "", "Microsoft Windows NT "},
      {"value too long for 255 bytes", true, REG_SZ, std::string(300, 'W'),
       "Microsoft Windows NT "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    Arrange({2, 4, 0, 1381, "Service Pack 5", 1, 0});
    Platform().extendedQuerySucceeds = false;
    if (c.keyPresent)
      ProductOptions().SetValue("ProductType", c.valueType, c.data);
    EXPECT_EQ(Describe(), c.expected);
  }
}

TEST_F(DescribeOSVersionExTest, BothQueriesRefusedGiveUnknown) {
  Arrange({2, 5, 1, 2600, "Service Pack 2", 1, 0});
  Platform().extendedQuerySucceeds = false;
  Platform().basicQuerySucceeds = false;
  EXPECT_EQ(Describe(), "Unknown");
  EXPECT_EQ(Platform().versionQueries, 2);
}

TEST_F(DescribeOSVersionExTest, ServicePackFieldWithoutNulStopsAtItsEnd) {
  Arrange({2, 5, 1, 2600, "", 1, 0});
  std::memset(Platform().version.szCSDVersion, 'S', 128);
  Platform().version.wServicePackMajor = 0x4141;
  EXPECT_EQ(Describe(), "Microsoft Windows XP Professional " +
                            std::string(128, 'S') + " (Build 2600)");
}

}  // namespace
