// A requirement's rules for one Windows: what its rows say of each
// service-pack level, and for the levels they do not name, what the
// bulletin's date and the levels' support dates tell.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_LEVEL_RULES_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_LEVEL_RULES_H_

#include <string>
#include <vector>

#include "auditor/baseline/catalog/bulletin_dates.h"
#include "auditor/vocabulary/baseline_text.h"
#include "auditor/vocabulary/windows_release.h"

// Bulletins before this day list products, not service packs: a level
// they do not name may or may not be affected, unless their rows name the
// service packs (as the project's own files of those years do, one row
// per level the bulletin's page lists).
constexpr int kFirstDayOfLevelLists = SerialDay(2004, 1, 1);

// What a requirement's rows say of one level.
struct LevelListing {
  // The update's KB numbers and those of the updates that replace it,
  // any of which satisfies the requirement there; empty: none.
  std::vector<std::string> fixes;
  // The bulletin's rows in use name the level, if for other updates.
  bool named = false;
  // Rows left out (of a component not asked for, or an edition the
  // report does not tell apart) name it: the bulletin speaks of it, but
  // not in a way the catalog can judge.
  bool unjudged = false;
};

struct LevelRule {
  RuleOutcome outcome = RuleOutcome::kNone;
  std::vector<std::string> fixes;  // KB numbers' digits, for kFixes
};

// One rule per level from 0 to HighestLevel(windows); `listings` has one
// entry per level, `bulletinDate` is a serial day (0: unknown);
// `levelsNamed`: the bulletin's rows name service packs.
std::vector<LevelRule> DecideLevels(Windows windows,
                                    const std::vector<LevelListing>& listings,
                                    int bulletinDate, bool levelsNamed);

// The rule lines, without line ends, neighbouring levels of one outcome
// joined: "Windows XP SP0-SP1 no update", "Windows XP SP3 KB958687
// KB971468".
std::vector<std::string> RuleLines(Windows windows,
                                   const std::vector<LevelRule>& levels);

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_LEVEL_RULES_H_
