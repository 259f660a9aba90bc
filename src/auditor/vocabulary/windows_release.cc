#include "auditor/vocabulary/windows_release.h"

#include <cstddef>

#include "auditor/text/ascii.h"

namespace {

const char* const kWindowsNames[kWindowsCount] = {
    "",
    "Windows NT 4.0",
    "Windows 2000",
    "Windows XP",
    "Windows XP x64",
    "Windows Server 2003",
    "Windows 95",
    "Windows 98",
    "Windows Me",
    "Windows Vista or Server 2008",
    "Windows 7 or Server 2008 R2",
    "Windows 8 or Server 2012",
    "Windows 8.1 or Server 2012 R2",
    "Windows 10 or later",
};

// The 95/98/Me family names no service pack and no build; its lines end
// in a blank, which a copy of the report may well have lost.
struct NineXLine {
  const char* text;
  Windows windows;
};
const NineXLine kNineXLines[] = {
    {"Windows 95", Windows::k95},
    {"Windows 95 OSR2", Windows::k95},
    {"Windows 98", Windows::k98},
    {"Windows 98 SE", Windows::k98},
    {"Windows Millennium Edition", Windows::kMe},
};

// How the summary of the basic version record starts.
const std::string_view kNtSummary = "Windows NT Version ";
const std::string_view kNineXSummary = "Windows 95 Version ";

// The product names of the NT family, each with the blank or comma that
// ends it. The one of Vista and later says nothing of the Windows; its
// build number does.
enum class NtProduct { kNt, k2000, kXp, kServer2003Family, kLater };
struct NtProductName {
  const char* text;
  NtProduct product;
};
const NtProductName kNtProducts[] = {
    {"Windows NT product family? ", NtProduct::kLater},
    {"Windows NT ", NtProduct::kNt},
    {"Windows 2000 ", NtProduct::k2000},
    {"Windows XP ", NtProduct::kXp},
    {"Windows .NET Server 2003 family, ", NtProduct::kServer2003Family},
};

// What the words after the product name say of the machine: build 3790
// is XP x64 on a workstation and Server 2003 on a server.
enum class Edition { kNone, kWorkstation, kServer, kNotAnEdition };
struct EditionWords {
  const char* text;
  Edition edition;
};
// From the version record's product type and suites, blank included.
const EditionWords kEditionWords[] = {
    {"", Edition::kNone},
    {"Workstation 4.0 ", Edition::kWorkstation},
    {"Home Edition ", Edition::kWorkstation},
    {"Professional ", Edition::kWorkstation},
    {"Datacenter Edition ", Edition::kServer},
    {"Enterprise Edition ", Edition::kServer},
    {"Web Edition ", Edition::kServer},
    {"Standard Edition ", Edition::kServer},
    {"Datacenter Server ", Edition::kServer},
    {"Advanced Server ", Edition::kServer},
    {"Server ", Edition::kServer},
    {"Server 4.0, Enterprise Edition ", Edition::kServer},
    {"Server 4.0 ", Edition::kServer},
};
// From the registry's product type, when the version record came in its
// basic form: the version numbers follow them, without a blank.
const EditionWords kProductTypeWords[] = {
    {"Workstation ", Edition::kWorkstation},
    {"Server ", Edition::kServer},
    {"Advanced Server ", Edition::kServer},
    {"", Edition::kNone},
};

struct EditionPart {
  Edition edition = Edition::kNotAnEdition;
  std::string_view version;  // "4.0" in the registry's form, else empty
};

struct Level {
  int servicePack = 0;
  bool sp6a = false;
};

// A decimal number as "%d" prints a 32-bit one, taken off `text`.
bool ReadNumber(std::string_view& text, long long& number) {
  const bool negative = ReadPrefix(text, "-");
  std::size_t digits = 0;
  number = 0;
  while (digits < text.size() && IsDigit(text[digits]) && digits < 10) {
    number = number * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || (digits < text.size() && IsDigit(text[digits]))) {
    return false;
  }
  if (negative) number = -number;
  text.remove_prefix(digits);
  return true;
}

// "4.0", "5.2", "3.51".
bool IsVersion(std::string_view text) {
  long long major = 0, minor = 0;
  return ReadNumber(text, major) && major >= 0 && ReadPrefix(text, ".") &&
         ReadNumber(text, minor) && minor >= 0 && text.empty();
}

// "" is no service pack; "Service Pack N" is N. Any other text, a beta's
// or a hand-made one, leaves the level open.
bool ReadServicePack(std::string_view text, Level& level) {
  level = Level();
  if (text.empty()) return true;
  const std::string_view kServicePack = "Service Pack ";
  if (!StartsWithNoCase(text, kServicePack)) return false;
  text.remove_prefix(kServicePack.size());
  long long number = 0;
  if (text.empty() || !IsDigit(text[0]) || !ReadNumber(text, number) ||
      number > 999) {
    return false;
  }
  level.servicePack = static_cast<int>(number);
  level.sp6a = number == 6 && text == "a";
  return text.empty() || level.sp6a;
}

Windows WindowsOfBuild(long long build) {
  if (build >= 6000 && build <= 6003) return Windows::kVistaOrServer2008;
  if (build == 7600 || build == 7601) return Windows::k7OrServer2008R2;
  if (build == 9200) return Windows::k8OrServer2012;
  if (build == 9600) return Windows::k81OrServer2012R2;
  if (build >= 10240) return Windows::k10OrLater;
  return Windows::kUnknown;
}

EditionPart EditionOf(std::string_view text) {
  EditionPart part;
  for (const EditionWords& words : kEditionWords) {
    if (text == words.text) {
      part.edition = words.edition;
      return part;
    }
  }
  for (const EditionWords& words : kProductTypeWords) {
    std::string_view version = text;
    if (ReadPrefix(version, words.text) && IsVersion(version)) {
      part.edition = words.edition;
      part.version = version;
      return part;
    }
  }
  return part;
}

Windows WindowsOfNtProduct(NtProduct product, const EditionPart& part,
                           long long build) {
  switch (product) {
    case NtProduct::kNt:
      // Without version numbers the record came in its extended form,
      // which NT 4.0 is the first to give.
      return part.version.empty() || part.version == "4.0" ? Windows::kNt40
                                                           : Windows::kUnknown;
    case NtProduct::k2000: return Windows::k2000;
    case NtProduct::kXp: return Windows::kXp;
    case NtProduct::kServer2003Family:
      if (part.edition == Edition::kWorkstation) return Windows::kXpX64;
      // No edition word in the extended form: a domain controller.
      if (part.edition == Edition::kServer || part.version.empty()) {
        return Windows::kServer2003;
      }
      return Windows::kUnknown;
    case NtProduct::kLater: return WindowsOfBuild(build);
  }
  return Windows::kUnknown;
}

WindowsRelease ReleaseOf(Windows windows, const Level& level) {
  WindowsRelease release;
  if (windows == Windows::kUnknown) return release;
  release.windows = windows;
  release.servicePack = level.servicePack;
  release.sp6a = level.sp6a;
  return release;
}

// The product name, then an edition, the service-pack text and
// " (Build N)".
WindowsRelease NtReleaseOf(NtProduct product, std::string_view rest) {
  const std::string_view kBuild = " (Build ";
  const std::size_t at = rest.rfind(kBuild);
  if (at == std::string_view::npos) return WindowsRelease();
  std::string_view tail = rest.substr(at + kBuild.size());
  long long build = 0;
  if (!ReadNumber(tail, build) || tail != ")") return WindowsRelease();
  const std::string_view middle = rest.substr(0, at);
  const std::size_t servicePack = FindNoCase(middle, "Service Pack ");
  const EditionPart part = EditionOf(middle.substr(0, servicePack));
  Level level;
  if (part.edition == Edition::kNotAnEdition ||
      (servicePack != std::string_view::npos &&
       !ReadServicePack(middle.substr(servicePack), level))) {
    return WindowsRelease();
  }
  return ReleaseOf(WindowsOfNtProduct(product, part, build), level);
}

Windows WindowsOfNtVersion(long long major, long long minor, long long build) {
  if (major == 4 && minor == 0) return Windows::kNt40;
  if (major == 5 && minor == 0) return Windows::k2000;
  if (major == 5 && minor == 1) return Windows::kXp;
  // 5.2 without the product type: XP x64 or Server 2003, no telling.
  if (major >= 6) return WindowsOfBuild(build);
  return Windows::kUnknown;
}

Windows WindowsOfNineXVersion(long long major, long long minor) {
  if (major != 4) return Windows::kUnknown;
  if (minor == 0) return Windows::k95;
  if (minor == 10) return Windows::k98;
  if (minor == 90) return Windows::kMe;
  return Windows::kUnknown;
}

// "<platform> Version M.m (Build B : <service-pack text>)", the summary
// of the basic version record. The 95/98/Me family keeps a release
// letter where NT keeps its service pack.
WindowsRelease SummaryReleaseOf(std::string_view line) {
  const bool nt = ReadPrefix(line, kNtSummary);
  if (!nt && !ReadPrefix(line, kNineXSummary)) return WindowsRelease();
  long long major = 0, minor = 0, build = 0;
  if (!ReadNumber(line, major) || !ReadPrefix(line, ".") ||
      !ReadNumber(line, minor) || !ReadPrefix(line, " (Build ") ||
      !ReadNumber(line, build) || !ReadPrefix(line, " : ") || line.empty() ||
      line.back() != ')') {
    return WindowsRelease();
  }
  if (!nt) return ReleaseOf(WindowsOfNineXVersion(major, minor), Level());
  Level level;
  if (!ReadServicePack(line.substr(0, line.size() - 1), level)) {
    return WindowsRelease();
  }
  return ReleaseOf(WindowsOfNtVersion(major, minor, build), level);
}

}  // namespace

const char* WindowsName(Windows windows) {
  const int index = static_cast<int>(windows);
  return index >= 0 && index < kWindowsCount ? kWindowsNames[index] : "";
}

std::string WindowsRelease::ServicePackName() const {
  if (!known() || servicePack == 0) return std::string();
  return sp6a ? "SP6a" : "SP" + std::to_string(servicePack);
}

std::string WindowsRelease::Display() const {
  const std::string level = ServicePackName();
  return level.empty() ? name() : name() + " " + level;
}

WindowsRelease WindowsReleaseOf(std::string_view osLine) {
  while (!osLine.empty() && osLine.back() == ' ') osLine.remove_suffix(1);
  for (const NineXLine& nineX : kNineXLines) {
    if (osLine == nineX.text) return ReleaseOf(nineX.windows, Level());
  }
  // "Windows NT Version" starts the summary, not a product and edition.
  if (StartsWith(osLine, kNtSummary) || StartsWith(osLine, kNineXSummary)) {
    return SummaryReleaseOf(osLine);
  }
  for (const NtProductName& name : kNtProducts) {
    std::string_view rest = osLine;
    if (ReadPrefix(rest, name.text)) return NtReleaseOf(name.product, rest);
  }
  return WindowsRelease();
}
