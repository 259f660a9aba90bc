#include "auditor/baseline/catalog/windows_levels.h"

#include <algorithm>
#include <iterator>

#include "auditor/baseline/catalog/bulletin_dates.h"

namespace {

// What each source states, by the names the levels below use:
//   lifecycle-xp: Original Release from 12/31/2001 to 08/30/2005, Service
//     Pack 1 from 08/30/2002, 1a from 02/03/2003, both to 10/10/2006,
//     Service Pack 2 from 09/17/2004 to 07/13/2010, Service Pack 3 from
//     04/21/2008 to 04/08/2014; "the start date of Windows XP
//     Professional x64 Edition was 04/24/2005".
//   lifecycle-2003: Original Release from 05/28/2003 to 04/10/2007,
//     Service Pack 1 from 03/30/2005 to 04/14/2009, Service Pack 2 from
//     03/13/2007 to 07/14/2015; its editions include the x64 ones.
//   lifecycle-2003-r2: Original Release from 03/05/2006 to 04/14/2009,
//     Service Pack 2 from 03/13/2007 to 07/14/2015.
//   sp-roadmap: NT 4.0 SP6a: November 30, 1999; Windows 2000 SP4: June
//     26th 2003.
//   ms06-069: its FAQ: NT 4.0 Workstation SP6a supported to 2004-06-30,
//     NT 4.0 Server SP6a to 2004-12-31, Windows 2000 SP2 to 2004-06-30,
//     SP3 to 2005-06-30; XP SP1 to 2006-10-10.
//   lifean46: Windows 2000 and XP SP2 ended on July 13, 2010.
//   ms03-039 (2003-09-10): its FAQ: Windows 2000 SP2 (and NT 4.0
//     Workstation) "reached the end of its life cycle"; its update is
//     offered all the same, as an exception. MS03-026's FAQ (as revised
//     by then) also calls 2000 SP2 unsupported, its update installable
//     there all the same; MS03-023 and MS03-026 of July 2003 list SP3 and
//     SP4, the bulletins from September 2003 to April 2004 list SP2 again.
//   ms04-038 (2004-10-12): its FAQ: NT 4.0 Workstation SP6a and 2000 SP2
//     had reached the end of their life cycle set before, and Microsoft
//     extended their support to 2004-06-30. The original release of XP reached
//     the end of its support for security updates on 2004-09-30; the
//     bulletin's updates still include it, with no promise of more. Of
//     the bulletins after it that the project read (2005 on), none lists
//     it. lifecycle-xp ends the release's support on 08/30/2005, without
//     saying that updates went on to that day.
//   bulletins: MS09-010 and MS09-013 of 2009-04-14 list XP x64 without a
//     service pack, MS09-018 and MS09-022 of 2009-06-09 only its SP2.
const DateSource kSources[] = {
    {"lifecycle-xp", "learn.microsoft.com/lifecycle/products/windows-xp"},
    {"lifecycle-2003",
     "learn.microsoft.com/lifecycle/products/windows-server-2003-"},
    {"lifecycle-2003-r2",
     "learn.microsoft.com/lifecycle/products/windows-server-2003-r2"},
    {"sp-roadmap", "microsoft.com/windows/lifecycle/servicepacks.mspx"},
    {"ms06-069",
     "learn.microsoft.com/en-us/security-updates/securitybulletins/2006/"
     "ms06-069 (FAQ)"},
    {"lifean46", "support.microsoft.com/gp/lifean46"},
    {"ms03-039",
     "learn.microsoft.com/en-us/security-updates/securitybulletins/2003/"
     "ms03-039 (FAQ)"},
    {"ms04-038",
     "learn.microsoft.com/en-us/security-updates/securitybulletins/2004/"
     "ms04-038 (FAQ; lifecycle-xp gives the release's support to "
     "2005-08-30)"},
    {"bulletins",
     "MS09-010 and MS09-013 (2009-04-14) list XP x64 without a service "
     "pack, MS09-018 and MS09-022 (2009-06-09) only its SP2"},
};

// Dates: released, existedBy (filled in), supportedUntil, endedAfter.
const StatedLevel kLevels[] = {
    // NT 4.0 SP6a is level 6, as is Terminal Server Edition's SP6; a
    // report's Windows does not tell Workstation from Server.
    {Windows::kNt40,
     6,
     {SerialDay(1999, 11, 30), 0, SerialDay(2004, 6, 30),
      SerialDay(2004, 12, 31)},
     "sp-roadmap, ms06-069",
     "Workstation to the first, Server and Terminal Server Edition to the "
     "second"},
    // Windows 2000 SP2: past its support in the bulletins of mid-2003,
    // extended to 2004-06-30 in later ones; before that day no day of
    // support is certain.
    {Windows::k2000,
     2,
     {0, 0, 0, SerialDay(2004, 6, 30)},
     "ms03-039, ms04-038, ms06-069",
     "called past its support in 2003, then extended"},
    {Windows::k2000,
     3,
     {0, 0, SerialDay(2005, 6, 30), SerialDay(2005, 6, 30)},
     "ms06-069",
     nullptr},
    {Windows::k2000,
     4,
     {SerialDay(2003, 6, 26), 0, SerialDay(2010, 7, 13),
      SerialDay(2010, 7, 13)},
     "sp-roadmap, lifean46",
     nullptr},
    {Windows::kXp,
     0,
     {SerialDay(2001, 12, 31), 0, SerialDay(2004, 9, 30),
      SerialDay(2004, 10, 12)},
     "lifecycle-xp, ms04-038",
     "security updates to the first day; the second's bulletins still had "
     "some"},
    // SP1a is the same level.
    {Windows::kXp,
     1,
     {SerialDay(2002, 8, 30), 0, SerialDay(2006, 10, 10),
      SerialDay(2006, 10, 10)},
     "lifecycle-xp, ms06-069",
     nullptr},
    {Windows::kXp,
     2,
     {SerialDay(2004, 9, 17), 0, SerialDay(2010, 7, 13),
      SerialDay(2010, 7, 13)},
     "lifecycle-xp, lifean46",
     nullptr},
    {Windows::kXp,
     3,
     {SerialDay(2008, 4, 21), 0, SerialDay(2014, 4, 8), SerialDay(2014, 4, 8)},
     "lifecycle-xp",
     nullptr},
    // XP x64 without a service pack reports itself as Service Pack 1 (it
    // is built on Server 2003 SP1); its end is the day Server 2003 SP1's
    // ended, inferred from the bulletins.
    {Windows::kXpX64,
     0,
     {SerialDay(2005, 4, 24), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)},
     "lifecycle-xp, lifecycle-2003, bulletins",
     nullptr},
    {Windows::kXpX64,
     1,
     {SerialDay(2005, 4, 24), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)},
     "lifecycle-xp, lifecycle-2003, bulletins",
     nullptr},
    // XP x64 SP2 is Server 2003 SP2's x64 package.
    {Windows::kXpX64,
     2,
     {SerialDay(2007, 3, 13), 0, SerialDay(2014, 4, 8), SerialDay(2014, 4, 8)},
     "lifecycle-2003, lifecycle-xp",
     nullptr},
    // Server 2003 without a service pack: the x86 release (the x64 and R2
    // releases report Service Pack 1).
    {Windows::kServer2003,
     0,
     {SerialDay(2003, 5, 28), 0, SerialDay(2007, 4, 10),
      SerialDay(2007, 4, 10)},
     "lifecycle-2003",
     nullptr},
    // Server 2003 SP1, the x64 editions and R2 without a service pack.
    {Windows::kServer2003,
     1,
     {SerialDay(2005, 3, 30), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)},
     "lifecycle-2003, lifecycle-2003-r2",
     nullptr},
    // x86 and x64, R2 alike.
    {Windows::kServer2003,
     2,
     {SerialDay(2007, 3, 13), 0, SerialDay(2015, 7, 14),
      SerialDay(2015, 7, 14)},
     "lifecycle-2003, lifecycle-2003-r2",
     nullptr},
};

LevelDates StatedDates(Windows windows, int level) {
  for (const StatedLevel& stated : kLevels) {
    if (stated.windows == windows && stated.level == level) {
      return stated.dates;
    }
  }
  return LevelDates();
}

// The earlier of two days, 0 being unknown.
int Earlier(int a, int b) {
  if (a == 0) return b;
  if (b == 0) return a;
  return std::min(a, b);
}

}  // namespace

const std::vector<StatedLevel>& StatedLevels() {
  static const std::vector<StatedLevel> levels(std::begin(kLevels),
                                               std::end(kLevels));
  return levels;
}

const std::vector<DateSource>& DateSources() {
  static const std::vector<DateSource> sources(std::begin(kSources),
                                               std::end(kSources));
  return sources;
}

const std::vector<Windows>& CatalogWindows() {
  static const std::vector<Windows> windows = {Windows::kNt40, Windows::k2000,
                                               Windows::kXp, Windows::kXpX64,
                                               Windows::kServer2003};
  return windows;
}

int HighestLevel(Windows windows) {
  switch (windows) {
    case Windows::kNt40: return 6;
    case Windows::k2000: return 4;
    case Windows::kXp: return 3;
    case Windows::kXpX64:
    case Windows::kServer2003: return 2;
    default: return -1;
  }
}

LevelDates DatesOf(Windows windows, int level) {
  LevelDates dates = StatedDates(windows, level);
  dates.existedBy = dates.released;
  for (int later = level + 1; later <= HighestLevel(windows); ++later) {
    const LevelDates next = StatedDates(windows, later);
    dates.existedBy = Earlier(dates.existedBy, next.released);
    dates.endedAfter = Earlier(dates.endedAfter, next.endedAfter);
  }
  // Ended before a later level did: then it was supported no longer.
  if (dates.supportedUntil > dates.endedAfter) {
    dates.supportedUntil = dates.endedAfter;
  }
  return dates;
}
