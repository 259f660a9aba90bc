#include "registry/locale_facts.h"

namespace {

const LCID kEnglishUnitedStates = 0x0409;

bool doubleByteLocale = false;
DWORD startupPlatformId = 0;

DWORD QueryPlatformId() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  // A failed query leaves the id unknown (0); the decision below then asks
  // the system metric, which every Windows platform answers.
  return platform::GetVersionExA(&info) ? info.dwPlatformId : 0;
}

// Languages whose locales all write with a single-byte code page, so that
// the code page need not be asked.
bool IsSingleByteLanguage(LCID locale) {
  switch (locale & 0x3FF) {
    case 0x00:  // neutral
    case 0x06:  // Danish
    case 0x07:  // German
    case 0x09:  // English
    case 0x0a:  // Spanish
    case 0x0b:  // Finnish
    case 0x0c:  // French
    case 0x10:  // Italian
    case 0x13:  // Dutch
    case 0x14:  // Norwegian
    case 0x16:  // Portuguese
    case 0x1d:  // Swedish
      return true;
    default: return false;
  }
}

// The decimal number `text` holds, if it holds nothing else.
bool ParseCodePage(const char* text, UINT& codePage) {
  const int kMaxDigits = 9;  // keeps the value within a UINT
  UINT value = 0;
  int digits = 0;
  for (; *text != '\0'; ++text, ++digits) {
    if (*text < '0' || *text > '9' || digits == kMaxDigits) return false;
    value = value * 10 + static_cast<UINT>(*text - '0');
  }
  if (digits == 0) return false;
  codePage = value;
  return true;
}

UINT DefaultAnsiCodePage(LCID locale) {
  char answer[16] = {};
  UINT codePage = 0;
  if (platform::GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, answer,
                               sizeof answer) > 0 &&
      ParseCodePage(answer, codePage)) {
    return codePage;
  }
  return platform::GetACP();
}

bool HasLeadByteRange(UINT codePage) {
  CPINFO info{};
  if (!platform::GetCPInfo(codePage, &info)) return false;
  // The ranges are pairs of bytes, ended by a pair of zeros.
  return info.LeadByte[0] != 0 || info.LeadByte[1] != 0;
}

bool DecideDoubleByteLocale(DWORD platformId) {
  if (platformId != VER_PLATFORM_WIN32_NT) {
    return platform::GetSystemMetrics(SM_DBCSENABLED) != 0;
  }
  LCID locale = platform::GetThreadLocale();
  if (locale == 0) locale = kEnglishUnitedStates;
  if (IsSingleByteLanguage(locale)) return false;
  return HasLeadByteRange(DefaultAnsiCodePage(locale));
}

}  // namespace

void PrepareProcessFacts() {
  startupPlatformId = QueryPlatformId();
  doubleByteLocale = DecideDoubleByteLocale(startupPlatformId);
}

bool DoubleByteLocale() { return doubleByteLocale; }

DWORD StartupPlatformId() { return startupPlatformId; }
