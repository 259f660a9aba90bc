#include "support/arrange.h"

#include <cstring>
#include <string>

fake::Key& HotFixRoot(fake::State& state) {
  return state.localMachine.Add("Software")
      .Add("Microsoft")
      .Add("Windows NT")
      .Add("CurrentVersion")
      .Add("HotFix");
}

void GiveOwnVersionResource(fake::State& state) {
  state.hasVersionBlock = true;
  state.versionItems["\\VarFileInfo\\Translation"] = {"\x09\x04\xE4\x04", 4};
  state.versionItems["\\StringFileInfo\\040904E4\\FileDescription"] = {
      std::string("Hotfix inventory for Windows NT\0", 32), 32};
  state.versionItems["\\StringFileInfo\\040904E4\\FileVersion"] = {
      std::string("0.6.12.21\0", 10), 10};
}

void GiveWindowsXP(fake::State& state) {
  OSVERSIONINFOEXA& v = state.version;
  v.dwPlatformId = VER_PLATFORM_WIN32_NT;
  v.dwMajorVersion = 5;
  v.dwMinorVersion = 1;
  v.dwBuildNumber = 2600;
  std::strcpy(v.szCSDVersion, "Service Pack 2");
  v.wProductType = 1;
}
