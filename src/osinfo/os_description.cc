#include "osinfo/os_description.h"

#include <cstring>

#include "common/ansi_text.h"
#include "common/format.h"
#include "osinfo/os_description_ex.h"

void PlatformIdToName(DWORD platformId, std::string& name) {
  switch (platformId) {
    case VER_PLATFORM_WIN32s: name = "Windows 3.1"; break;
    case VER_PLATFORM_WIN32_WINDOWS: name = "Windows 95"; break;
    case VER_PLATFORM_WIN32_NT: name = "Windows NT"; break;
    default: break;
  }
}

void DescribeOSVersionBasic(std::string& result) {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  // A refused query leaves the zeroed record, which still describes
  // something; the summary is built from it either way.
  platform::GetVersionExA(&info);
  std::string platformName;
  PlatformIdToName(info.dwPlatformId, platformName);
  const std::string servicePack =
      TextUpToNul(info.szCSDVersion, sizeof info.szCSDVersion);
  result = Format("%s Version %d.%d (Build %d : %s)",
                  {platformName, info.dwMajorVersion, info.dwMinorVersion,
                   info.dwBuildNumber, servicePack});
}

void GetOSDescription(std::string& result) {
  // Each link may only fail for want of memory; the next, simpler one is
  // tried then, and a fixed text ends the chain.
  try {
    DescribeOSVersionEx(result);
    return;
  } catch (...) {
  }
  try {
    DescribeOSVersionBasic(result);
    return;
  } catch (...) {
  }
  result = "Microsoft Windows";
}
