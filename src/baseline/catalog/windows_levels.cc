#include "baseline/catalog/windows_levels.h"

#include <algorithm>

#include "baseline/catalog/bulletin_dates.h"

namespace {

struct LevelFacts {
  Windows windows;
  int level;
  LevelDates dates;  // existedBy is filled in from the later levels
};

// Sources, as named below:
//   lifecycle-xp: learn.microsoft.com/lifecycle/products/windows-xp
//     (releases: Original Release from 12/31/2001 to 08/30/2005, Service
//     Pack 1 from 08/30/2002, 1a from 02/03/2003, both to 10/10/2006,
//     Service Pack 2 from 09/17/2004 to 07/13/2010, Service Pack 3 from
//     04/21/2008 to 04/08/2014; "the start date of Windows XP
//     Professional x64 Edition was 04/24/2005").
//   lifecycle-2003: learn.microsoft.com/lifecycle/products/windows-server-2003-
//     (Original Release from 05/28/2003 to 04/10/2007, Service Pack 1 from
//     03/30/2005 to 04/14/2009, Service Pack 2 from 03/13/2007 to
//     07/14/2015; its editions include the x64 ones).
//   lifecycle-2003-r2:
//   learn.microsoft.com/lifecycle/products/windows-server-2003-r2
//     (Original Release from 03/05/2006 to 04/14/2009, Service Pack 2
//     from 03/13/2007 to 07/14/2015).
//   sp-roadmap: microsoft.com/windows/lifecycle/servicepacks.mspx
//     (NT 4.0 SP6a: November 30, 1999; Windows 2000 SP4: June 26th 2003).
//   ms06-069: the FAQ of bulletin MS06-069 (NT 4.0 Workstation SP6a
//     supported to 2004-06-30, NT 4.0 Server SP6a to 2004-12-31, Windows
//     2000 SP2 to 2004-06-30, SP3 to 2005-06-30; XP SP1 to 2006-10-10).
//   lifean46: support.microsoft.com/gp/lifean46 (Windows 2000 and XP SP2
//     ended on July 13, 2010).
//   ms04-038: the FAQ of bulletin MS04-038 (XP without a service pack
//     supported to 2004-09-30; lifecycle-xp says 2005-08-30).
const LevelFacts kLevels[] = {
    // NT 4.0 SP6a (level 6, as is Terminal Server Edition's SP6): out
    // 1999-11-30 (sp-roadmap); Workstation supported to 2004-06-30,
    // Server and Terminal Server Edition to 2004-12-31 (ms06-069), which
    // a report's Windows does not tell apart.
    {Windows::kNt40,
     6,
     {SerialDay(1999, 11, 30), 0, SerialDay(2004, 6, 30),
      SerialDay(2004, 12, 31)}},
    // Windows 2000 SP2 and SP3: supported to 2004-06-30 and 2005-06-30
    // (ms06-069); SP4: out 2003-06-26 (sp-roadmap), to 2010-07-13
    // (lifean46).
    {Windows::k2000, 2, {0, 0, SerialDay(2004, 6, 30), SerialDay(2004, 6, 30)}},
    {Windows::k2000, 3, {0, 0, SerialDay(2005, 6, 30), SerialDay(2005, 6, 30)}},
    {Windows::k2000,
     4,
     {SerialDay(2003, 6, 26), 0, SerialDay(2010, 7, 13),
      SerialDay(2010, 7, 13)}},
    // Windows XP without a service pack: out by 2001-12-31
    // (lifecycle-xp); its end is 2004-09-30 (ms04-038) or 2005-08-30
    // (lifecycle-xp): between them the sources disagree.
    {Windows::kXp,
     0,
     {SerialDay(2001, 12, 31), 0, SerialDay(2004, 9, 30),
      SerialDay(2005, 8, 30)}},
    // XP SP1 (and SP1a, the same level): lifecycle-xp, ms06-069.
    {Windows::kXp,
     1,
     {SerialDay(2002, 8, 30), 0, SerialDay(2006, 10, 10),
      SerialDay(2006, 10, 10)}},
    // XP SP2 and SP3: lifecycle-xp, lifean46.
    {Windows::kXp,
     2,
     {SerialDay(2004, 9, 17), 0, SerialDay(2010, 7, 13),
      SerialDay(2010, 7, 13)}},
    {Windows::kXp,
     3,
     {SerialDay(2008, 4, 21), 0, SerialDay(2014, 4, 8), SerialDay(2014, 4, 8)}},
    // XP x64 without a service pack, which reports itself as Service Pack
    // 1 (it is built on Server 2003 SP1): out 2005-04-24 (lifecycle-xp);
    // its end, 2009-04-14, the day Server 2003 SP1's ended
    // (lifecycle-2003), is inferred from the bulletins: MS09-010 and
    // MS09-013 of that day list it, MS09-018 and MS09-022 of 2009-06-09
    // list only SP2.
    {Windows::kXpX64,
     0,
     {SerialDay(2005, 4, 24), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)}},
    {Windows::kXpX64,
     1,
     {SerialDay(2005, 4, 24), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)}},
    // XP x64 SP2 is Server 2003 SP2's x64 package: out 2007-03-13
    // (lifecycle-2003); supported to 2014-04-08 (lifecycle-xp).
    {Windows::kXpX64,
     2,
     {SerialDay(2007, 3, 13), 0, SerialDay(2014, 4, 8), SerialDay(2014, 4, 8)}},
    // Server 2003 without a service pack: the x86 release (the x64 and R2
    // releases report Service Pack 1); lifecycle-2003.
    {Windows::kServer2003,
     0,
     {SerialDay(2003, 5, 28), 0, SerialDay(2007, 4, 10),
      SerialDay(2007, 4, 10)}},
    // Server 2003 SP1, the x64 editions and R2 without a service pack:
    // lifecycle-2003, lifecycle-2003-r2.
    {Windows::kServer2003,
     1,
     {SerialDay(2005, 3, 30), 0, SerialDay(2009, 4, 14),
      SerialDay(2009, 4, 14)}},
    // Server 2003 SP2, x86 and x64, R2 alike: lifecycle-2003,
    // lifecycle-2003-r2.
    {Windows::kServer2003,
     2,
     {SerialDay(2007, 3, 13), 0, SerialDay(2015, 7, 14),
      SerialDay(2015, 7, 14)}},
};

LevelDates StatedDates(Windows windows, int level) {
  for (const LevelFacts& facts : kLevels) {
    if (facts.windows == windows && facts.level == level) return facts.dates;
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
