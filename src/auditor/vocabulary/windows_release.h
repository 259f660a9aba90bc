// Which Windows, and which of its service packs, a report comes from, as
// far as its OS line tells.
#ifndef HOTFIXES_AUDITOR_VOCABULARY_WINDOWS_RELEASE_H_
#define HOTFIXES_AUDITOR_VOCABULARY_WINDOWS_RELEASE_H_

#include <string>
#include <string_view>

// The Windows the table tells apart. Those from Vista on are known by
// their build number alone, which a workstation shares with its server.
enum class Windows {
  kUnknown,
  kNt40,
  k2000,
  kXp,
  kXpX64,
  kServer2003,
  k95,
  k98,
  kMe,
  kVistaOrServer2008,
  k7OrServer2008R2,
  k8OrServer2012,
  k81OrServer2012R2,
  k10OrLater,
};
constexpr int kWindowsCount = static_cast<int>(Windows::k10OrLater) + 1;

// "Windows NT 4.0", "Windows XP x64", "Windows 7 or Server 2008 R2", ...;
// empty for kUnknown.
const char* WindowsName(Windows windows);

struct WindowsRelease {
  Windows windows = Windows::kUnknown;
  int servicePack = 0;  // N of "Service Pack N"; 0 for none
  bool sp6a = false;    // NT 4.0's "Service Pack 6a" (servicePack is 6)

  bool known() const { return windows != Windows::kUnknown; }
  std::string name() const { return WindowsName(windows); }
  // "SP3", "SP6a"; empty without a service pack or when unknown.
  std::string ServicePackName() const;
  // "Windows XP SP3", "Windows NT 4.0 SP6a", "Windows XP" without a
  // service pack; empty when unknown.
  std::string Display() const;
};

// The release an OS line names: the line of a report that describes the
// system, in any of the forms the report program writes. A line of no
// such form, or one that leaves the Windows or its service pack open, is
// an unknown Windows.
WindowsRelease WindowsReleaseOf(std::string_view osLine);

#endif  // HOTFIXES_AUDITOR_VOCABULARY_WINDOWS_RELEASE_H_
