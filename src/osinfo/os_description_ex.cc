#include "osinfo/os_description_ex.h"

#include <cstring>

#include "common/ansi_text.h"
#include "common/format.h"
#include "platform/owned_handle.h"
#include "platform/platform.h"

namespace {

const WORD kSuiteEnterprise = 0x0002;
const WORD kSuiteDatacenter = 0x0080;
const WORD kSuitePersonal = 0x0200;
const WORD kSuiteBlade = 0x0400;

const BYTE kWorkstation = 1;
const BYTE kServer = 3;

// A key under HKEY_LOCAL_MACHINE opened for reading values; none when it
// cannot be opened.
OwnedKey OpenQueryKey(const char* path) {
  HKEY key = nullptr;
  if (platform::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE,
                              &key) != ERROR_SUCCESS) {
    return OwnedKey();
  }
  return OwnedKey(key);
}

bool HasBit(WORD mask, WORD bit) { return (mask & bit) != 0; }

void AppendWorkstationEdition(const OSVERSIONINFOEXA& info,
                              std::string& result) {
  if (info.dwMajorVersion == 4) {
    result += "Workstation 4.0 ";
  } else if (HasBit(info.wSuiteMask, kSuitePersonal)) {
    result += "Home Edition ";
  } else {
    result += "Professional ";
  }
}

void AppendServerEdition(const OSVERSIONINFOEXA& info, std::string& result) {
  const WORD suite = info.wSuiteMask;
  if (info.dwMajorVersion == 5 && info.dwMinorVersion == 2) {
    if (HasBit(suite, kSuiteDatacenter)) {
      result += "Datacenter Edition ";
    } else if (HasBit(suite, kSuiteEnterprise)) {
      result += "Enterprise Edition ";
    } else if (suite == kSuiteBlade) {
      result += "Web Edition ";
    } else {
      result += "Standard Edition ";
    }
  } else if (info.dwMajorVersion == 5 && info.dwMinorVersion == 0) {
    if (HasBit(suite, kSuiteDatacenter)) {
      result += "Datacenter Server ";
    } else if (HasBit(suite, kSuiteEnterprise)) {
      result += "Advanced Server ";
    } else {
      result += "Server ";
    }
  } else if (HasBit(suite, kSuiteEnterprise)) {
    result += "Server 4.0, Enterprise Edition ";
  } else {
    result += "Server 4.0 ";
  }
}

// The "ProductType" text from ProductOptions, upper-cased; false when it
// cannot be read.
bool ReadProductType(std::string& productType) {
  const OwnedKey key =
      OpenQueryKey("SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
  if (!key.valid()) return false;
  char data[255];
  DWORD size = sizeof data;
  if (platform::RegQueryValueExA(key.get(), "ProductType", nullptr, nullptr,
                                 reinterpret_cast<LPBYTE>(data),
                                 &size) != ERROR_SUCCESS ||
      size > sizeof data) {
    return false;
  }
  productType = TextUpToNul(data, size);
  for (char& c : productType) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return true;
}

// Without the extended record the edition comes from the registry; false
// when it cannot be read, and nothing more is to be appended.
bool AppendEditionFromRegistry(const OSVERSIONINFOEXA& info,
                               std::string& result) {
  std::string productType;
  if (!ReadProductType(productType)) return false;
  if (productType == "WINNT") {
    result += "Workstation ";
  } else if (productType == "LANMANNT") {
    result += "Server ";
  } else if (productType == "SERVERNT") {
    result += "Advanced Server ";
  }
  result += Format("%d.%d", {info.dwMajorVersion, info.dwMinorVersion});
  return true;
}

void AppendServicePack(const OSVERSIONINFOEXA& info, std::string& result) {
  const DWORD build = info.dwBuildNumber & 0xFFFF;
  const std::string servicePack =
      TextUpToNul(info.szCSDVersion, sizeof info.szCSDVersion);
  if (info.dwMajorVersion == 4 &&
      platform::lstrcmpiA(servicePack.c_str(), "Service Pack 6") == 0) {
    const OwnedKey q246009 = OpenQueryKey(
        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
    if (q246009.valid()) {
      result += Format("Service Pack 6a (Build %d)", {build});
      return;
    }
  }
  result += Format("%s (Build %d)", {servicePack, build});
}

void DescribeNT(const OSVERSIONINFOEXA& info, bool extended,
                std::string& result) {
  const DWORD major = info.dwMajorVersion;
  const DWORD minor = info.dwMinorVersion;
  if (major == 5 && minor == 2) {
    result = "Microsoft Windows .NET Server 2003 family, ";
  } else if (major == 5 && minor == 1) {
    result = "Microsoft Windows XP ";
  } else if (major == 5 && minor == 0) {
    result = "Microsoft Windows 2000 ";
  } else if (major <= 4) {
    result = "Microsoft Windows NT ";
  } else {
    result = "Windows NT product family? ";
  }
  if (extended) {
    if (info.wProductType == kWorkstation) {
      AppendWorkstationEdition(info, result);
    } else if (info.wProductType == kServer) {
      AppendServerEdition(info, result);
    }
  } else if (!AppendEditionFromRegistry(info, result)) {
    return;
  }
  AppendServicePack(info, result);
}

void Describe9x(const OSVERSIONINFOEXA& info, std::string& result) {
  const char release = info.szCSDVersion[1];
  if (info.dwMajorVersion != 4) return;
  if (info.dwMinorVersion == 0) {
    result = "Microsoft Windows 95 ";
    if (release == 'C' || release == 'B') result += "OSR2 ";
  } else if (info.dwMinorVersion == 10) {
    result = "Microsoft Windows 98 ";
    if (release == 'A') result += "SE ";
  } else if (info.dwMinorVersion == 90) {
    result = "Microsoft Windows Millennium Edition";
  }
}

}  // namespace

void DescribeOSVersionEx(std::string& result) {
  result = "Unknown";
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  OSVERSIONINFOA* record = reinterpret_cast<OSVERSIONINFOA*>(&info);
  const bool extended = platform::GetVersionExA(record) != FALSE;
  if (!extended) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!platform::GetVersionExA(record)) return;
  }
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: result = "Microsoft Win32s"; break;
    case VER_PLATFORM_WIN32_WINDOWS: Describe9x(info, result); break;
    case VER_PLATFORM_WIN32_NT: DescribeNT(info, extended, result); break;
    default: break;
  }
}
