// Facts about the process that the registry reader depends on, fixed once
// at start-up, before the report runs.
#ifndef HOTFIXES_REGISTRY_LOCALE_FACTS_H_
#define HOTFIXES_REGISTRY_LOCALE_FACTS_H_

#include "platform/platform.h"

// Reads the platform id and decides DoubleByteLocale. Called once by the
// program's start-up; calling it again (tests do) decides afresh.
void PrepareProcessFacts();

// Whether the thread's locale writes with a double-byte code page; false
// until PrepareProcessFacts has run.
bool DoubleByteLocale();

// The platform id the version query gave at start-up (VER_PLATFORM_WIN32_NT
// on the NT family); 0 until PrepareProcessFacts has run, or when the query
// failed.
DWORD StartupPlatformId();

#endif  // HOTFIXES_REGISTRY_LOCALE_FACTS_H_
