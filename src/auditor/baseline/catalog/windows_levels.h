// The service-pack levels of the Windows whose updates a report shows,
// and when each came out and stopped getting security updates, as
// Microsoft's pages state them. A verdict for a level that a bulletin does
// not name rests on these dates.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_LEVELS_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_LEVELS_H_

#include <vector>

#include "auditor/vocabulary/windows_release.h"

// Serial days (see bulletin_dates.h); 0 where no source gives the date.
struct LevelDates {
  int released = 0;        // the level came out on this day
  int existedBy = 0;       // it existed on this day (a later level had)
  int supportedUntil = 0;  // updates were offered up to this day
  int endedAfter = 0;      // no updates were offered after this day
};

// A level whose dates a source states, and which sources state them, as
// the baseline's head lists them.
struct StatedLevel {
  Windows windows;
  int level;
  LevelDates dates;     // existedBy is filled in from the later levels
  const char* sources;  // names of DateSources(), separated by ", "
  const char* note;     // why two end dates, or null
};

// The levels in the order of CatalogWindows() and their levels.
const std::vector<StatedLevel>& StatedLevels();

// Each source a StatedLevel names: its name and Microsoft's address.
struct DateSource {
  const char* name;
  const char* address;
};
const std::vector<DateSource>& DateSources();

// The Windows the catalog writes rules for, in the order it writes them.
const std::vector<Windows>& CatalogWindows();

// The highest service-pack level a Windows had: NT 4.0 6, 2000 4, XP 3,
// XP x64 2, Server 2003 2; -1 for any other.
int HighestLevel(Windows windows);

// The dates of a level from 0 to HighestLevel(). Where a source gives
// none, what the order of service packs tells is filled in: a level
// existed by the day a later one did, and its support never outlasted a
// later one's.
LevelDates DatesOf(Windows windows, int level);

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_WINDOWS_LEVELS_H_
