#include "auditor/vocabulary/windows_release.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WindowsReleaseTest, EveryFormOfTheOsLine) {
  struct Case {
    const char* osLine;
    const char* display;  // empty: an unknown Windows
  };
  const Case cases[] = {
      // The extended description: product, edition, service pack, build.
      {"Windows XP Professional Service Pack 3 (Build 2600)", "Windows XP SP3"},
      {"Windows XP Home Edition Service Pack 2 (Build 2600)", "Windows XP SP2"},
      {"Windows XP Professional  (Build 2600)", "Windows XP"},
      {"Windows 2000 Professional Service Pack 4 (Build 2195)",
       "Windows 2000 SP4"},
      {"Windows 2000 Server Service Pack 4 (Build 2195)", "Windows 2000 SP4"},
      {"Windows 2000 Advanced Server Service Pack 3 (Build 2195)",
       "Windows 2000 SP3"},
      {"Windows 2000 Datacenter Server  (Build 2195)", "Windows 2000"},
      {"Windows 2000 Service Pack 4 (Build 2195)", "Windows 2000 SP4"},
      {"Windows NT Workstation 4.0 Service Pack 6a (Build 1381)",
       "Windows NT 4.0 SP6a"},
      {"Windows NT Workstation 4.0 Service Pack 6 (Build 1381)",
       "Windows NT 4.0 SP6"},
      {"Windows NT Workstation 4.0 service pack 6 (Build 1381)",
       "Windows NT 4.0 SP6"},
      {"Windows NT Server 4.0 Service Pack 5 (Build 1381)",
       "Windows NT 4.0 SP5"},
      {"Windows NT Server 4.0, Enterprise Edition Service Pack 6a (Build 1381)",
       "Windows NT 4.0 SP6a"},
      {"Windows NT Service Pack 6a (Build 1381)", "Windows NT 4.0 SP6a"},
      {"Windows .NET Server 2003 family, Standard Edition Service Pack 2 "
       "(Build 3790)",
       "Windows Server 2003 SP2"},
      {"Windows .NET Server 2003 family, Enterprise Edition Service Pack 1 "
       "(Build 3790)",
       "Windows Server 2003 SP1"},
      {"Windows .NET Server 2003 family, Datacenter Edition  (Build 3790)",
       "Windows Server 2003"},
      {"Windows .NET Server 2003 family, Web Edition Service Pack 2 (Build "
       "3790)",
       "Windows Server 2003 SP2"},
      {"Windows .NET Server 2003 family, Service Pack 2 (Build 3790)",
       "Windows Server 2003 SP2"},
      {"Windows .NET Server 2003 family, Professional Service Pack 2 (Build "
       "3790)",
       "Windows XP x64 SP2"},
      {"Windows .NET Server 2003 family, Home Edition  (Build 3790)",
       "Windows XP x64"},
      {"Windows NT product family? Professional  (Build 6000)",
       "Windows Vista or Server 2008"},
      {"Windows NT product family? Server 4.0 Service Pack 2 (Build 6002)",
       "Windows Vista or Server 2008 SP2"},
      {"Windows NT product family? Professional Service Pack 1 (Build 7601)",
       "Windows 7 or Server 2008 R2 SP1"},
      {"Windows NT product family? Service Pack 1 (Build 7601)",
       "Windows 7 or Server 2008 R2 SP1"},
      {"Windows NT product family? Professional  (Build 9200)",
       "Windows 8 or Server 2012"},
      {"Windows NT product family? Server 4.0, Enterprise Edition  (Build "
       "9600)",
       "Windows 8.1 or Server 2012 R2"},
      {"Windows NT product family? Professional  (Build 18362)",
       "Windows 10 or later"},
      {"Windows 95 ", "Windows 95"},
      {"Windows 95 OSR2 ", "Windows 95"},
      {"Windows 98 ", "Windows 98"},
      {"Windows 98 SE ", "Windows 98"},
      {"Windows 98 SE", "Windows 98"},
      {"Windows Millennium Edition", "Windows Me"},
      // The product type from the registry, the version numbers right
      // before the service pack.
      {"Windows NT Workstation 4.0Service Pack 5 (Build 1381)",
       "Windows NT 4.0 SP5"},
      {"Windows NT Advanced Server 4.0 (Build 1381)", "Windows NT 4.0"},
      {"Windows NT 4.0Service Pack 4 (Build 1381)", "Windows NT 4.0 SP4"},
      {"Windows XP Workstation 5.1Service Pack 1 (Build 2600)",
       "Windows XP SP1"},
      {"Windows .NET Server 2003 family, Server 5.2Service Pack 1 (Build "
       "3790)",
       "Windows Server 2003 SP1"},
      {"Windows .NET Server 2003 family, Workstation 5.2Service Pack 2 "
       "(Build 3790)",
       "Windows XP x64 SP2"},
      // The summary of the basic version record.
      {"Windows NT Version 5.1 (Build 2600 : Service Pack 2)",
       "Windows XP SP2"},
      {"Windows NT Version 4.0 (Build 1381 : Service Pack 6)",
       "Windows NT 4.0 SP6"},
      {"Windows NT Version 5.0 (Build 2195 : )", "Windows 2000"},
      {"Windows NT Version 6.1 (Build 7601 : Service Pack 1)",
       "Windows 7 or Server 2008 R2 SP1"},
      {"Windows 95 Version 4.0 (Build 67109814 : C )", "Windows 95"},
      {"Windows 95 Version 4.10 (Build 67766446 :  A )", "Windows 98"},
      {"Windows 95 Version 4.90 (Build 73010104 :  )", "Windows Me"},
      // Unknown: nothing names the Windows, or its service pack is open.
      {"Windows NT Version 5.2 (Build 3790 : Service Pack 2)", ""},
      {"Windows .NET Server 2003 family, 5.2Service Pack 2 (Build 3790)", ""},
      {"Windows NT Workstation 3.51Service Pack 5 (Build 1057)", ""},
      {"Windows NT product family? Professional  (Build 7000)", ""},
      {"Windows XP Professional Service Pack 2, v.2096 (Build 2600)", ""},
      {"Windows XP Professional Update Rollup (Build 2600)", ""},
      {"Windows XP Professional Service Pack 3 (Build 2600", ""},
      {"Windows XP Professional Service Pack 3", ""},
      {"Windows NT ", ""},
      {"Windows XP ", ""},
      {"Windows 3.1 Version 0.0 (Build 0 : )", ""},
      {" Version 5.1 (Build 2600 : Service Pack 2)", ""},
      {"Windows 95 Version 4.3 (Build 67305472 : )", ""},
      {"Windows", ""},
      {"Win32s", ""},
      {"Unknown", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.osLine);
    const WindowsRelease release = WindowsReleaseOf(c.osLine);
    EXPECT_EQ(release.Display(), c.display);
    EXPECT_EQ(release.known(), *c.display != '\0');
  }
}

}  // namespace
