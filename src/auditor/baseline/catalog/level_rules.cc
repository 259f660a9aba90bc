#include "auditor/baseline/catalog/level_rules.h"

#include <cstddef>

#include "auditor/baseline/catalog/windows_levels.h"

namespace {

bool AnyLowerIs(const std::vector<LevelRule>& decided, RuleOutcome outcome) {
  for (const LevelRule& rule : decided) {
    if (rule.outcome == outcome) return true;
  }
  return false;
}

// A level the bulletin does not name. One that came out after it holds
// the fix if a level before it needed one, and is unaffected if one
// before it was. Of the others, from 2004 on, Microsoft's bulletins say
// that unlisted versions "are either past their support life cycle or
// are not affected"; before, where the rows name the service packs of
// each Windows, the same holds of the levels.
RuleOutcome ByDate(Windows windows, int level, int date, bool levelsNamed,
                   const std::vector<LevelRule>& lower) {
  const LevelDates dates = DatesOf(windows, level);
  if (dates.released > date) {
    if (AnyLowerIs(lower, RuleOutcome::kFixes)) {
      return RuleOutcome::kInServicePack;
    }
    if (AnyLowerIs(lower, RuleOutcome::kNotAffected)) {
      return RuleOutcome::kNotAffected;
    }
    return RuleOutcome::kNone;
  }
  if (date < kFirstDayOfLevelLists && !levelsNamed) {
    return RuleOutcome::kNone;
  }
  if (dates.endedAfter > 0 && date > dates.endedAfter) {
    return RuleOutcome::kNoUpdate;
  }
  if (dates.existedBy > 0 && dates.existedBy <= date &&
      date <= dates.supportedUntil) {
    return RuleOutcome::kNotAffected;
  }
  return RuleOutcome::kNone;
}

// The rule's hotfix names: "KB958687".
std::vector<std::string> FixNames(const LevelRule& rule) {
  std::vector<std::string> names;
  names.reserve(rule.fixes.size());
  for (const std::string& kb : rule.fixes) names.push_back("KB" + kb);
  return names;
}

bool SameRule(const LevelRule& a, const LevelRule& b) {
  return a.outcome == b.outcome && a.fixes == b.fixes;
}

}  // namespace

std::vector<LevelRule> DecideLevels(Windows windows,
                                    const std::vector<LevelListing>& listings,
                                    int bulletinDate, bool levelsNamed) {
  std::vector<LevelRule> decided;
  for (std::size_t level = 0; level < listings.size(); ++level) {
    const LevelListing& listing = listings[level];
    LevelRule rule;
    if (!listing.fixes.empty()) {
      rule.outcome = RuleOutcome::kFixes;
      rule.fixes = listing.fixes;
    } else if (listing.named) {
      rule.outcome = RuleOutcome::kNotAffected;
    } else if (!listing.unjudged && bulletinDate > 0) {
      rule.outcome = ByDate(windows, static_cast<int>(level), bulletinDate,
                            levelsNamed, decided);
    }
    decided.push_back(rule);
  }
  return decided;
}

std::vector<std::string> RuleLines(Windows windows,
                                   const std::vector<LevelRule>& levels) {
  std::vector<std::string> lines;
  std::size_t first = 0;
  while (first < levels.size()) {
    std::size_t last = first;
    while (last + 1 < levels.size() &&
           SameRule(levels[first], levels[last + 1])) {
      ++last;
    }
    if (levels[first].outcome != RuleOutcome::kNone) {
      lines.push_back(RuleLine(windows, static_cast<int>(first),
                               static_cast<int>(last), levels[first].outcome,
                               FixNames(levels[first])));
    }
    first = last + 1;
  }
  return lines;
}
