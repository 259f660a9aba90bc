// Machines the tests arrange on the fake platform again and again.
#ifndef HOTFIXES_TESTS_SUPPORT_ARRANGE_H_
#define HOTFIXES_TESTS_SUPPORT_ARRANGE_H_

#include "platform/platform-fake.h"

// HKLM\Software\Microsoft\Windows NT\CurrentVersion\HotFix, made if missing.
fake::Key& HotFixRoot(fake::State& state);

// The program's own version block: US English, code page 1252, the real
// description and version.
void GiveOwnVersionResource(fake::State& state);

// Windows XP Professional, Service Pack 2, build 2600, extended record.
void GiveWindowsXP(fake::State& state);

#endif  // HOTFIXES_TESTS_SUPPORT_ARRANGE_H_
