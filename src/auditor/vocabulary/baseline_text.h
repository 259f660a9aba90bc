// The text of a baseline, which hotfixes-baseline writes and hotfixes-table
// reads. UTF-8; '#' starts a comment line, blank lines are ignored:
//
//   [MS08-067] Server service
//   Windows XP SP0-SP1             no update
//   Windows XP SP2+                KB958644
//
// "[ID] title" starts a requirement (an ID is one word of letters, digits
// and "-_."), its rules follow: a Windows name of WindowsName(), an
// optional service-pack range (SP4, SP2-SP3, SP2+; SP0 is none, SP6a is 6;
// without one: every level) and the outcome: hotfix names (IsHotfixName),
// an entry that satisfies any of which (Satisfies) satisfies the rule, or
// "no update", "not affected" or "in service pack". A rule is read whole or
// refused: a word in the wrong place would otherwise become a fix no machine
// has, or lose the range.
//
// Both sides use the lines' forms from here only: what the converter
// writes is what the table reads.
#ifndef HOTFIXES_AUDITOR_VOCABULARY_BASELINE_TEXT_H_
#define HOTFIXES_AUDITOR_VOCABULARY_BASELINE_TEXT_H_

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/vocabulary/windows_release.h"

// What a baseline says of a level of a Windows.
enum class RuleOutcome {
  kNone,           // no rule for the level: it is not covered
  kFixes,          // any of the rule's hotfixes satisfies it
  kNoUpdate,       // "no update": none was offered for the level
  kNotAffected,    // "not affected": the flaw is not there
  kInServicePack,  // "in service pack": the level holds the fix
};

// The most a baseline may hold: what hotfixes-table reads of one, and so
// what hotfixes-baseline writes. Every bulletin of 2001 to 2017 with every
// component and every level is a few MiB of text; the margin is for a
// catalog of more data than that (more components, longer titles, UTF-16)
// while a file of anything else is still refused before it is decoded.
const std::size_t kLargestBaseline = std::size_t{64} << 20;

// The highest level of "SP2+": every level from the lowest on.
const int kEveryLevel = INT_MAX;

// One word of letters, digits and "-_.".
bool IsRequirementId(std::string_view id);

// "[MS08-067] Server service", without blanks at its end.
std::string RequirementLine(std::string_view id, std::string_view title);

// "Windows XP SP0-SP1 no update", "Windows XP SP3 KB958687 KB971468":
// `fixes` are the hotfix names of a kFixes rule. Not for kNone.
std::string RuleLine(Windows windows, int lowest, int highest,
                     RuleOutcome outcome,
                     const std::vector<std::string>& fixes);

// The ID and title of a requirement's line (which starts with '['); false,
// with `problem` saying why, for a line that is none.
bool ReadRequirementLine(std::string_view line, std::string_view& id,
                         std::string_view& title, std::string& problem);

struct RuleText {
  Windows windows = Windows::kUnknown;
  int lowest = 0;
  int highest = kEveryLevel;
  RuleOutcome outcome = RuleOutcome::kFixes;
  std::vector<std::string_view> fixes;  // as the line names them
};

// A rule's line, without blanks around it; false, with `problem` saying
// what is wrong and what was likely meant, for a line that is no rule.
bool ReadRuleLine(std::string_view line, RuleText& rule, std::string& problem);

#endif  // HOTFIXES_AUDITOR_VOCABULARY_BASELINE_TEXT_H_
