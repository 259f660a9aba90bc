// The baseline: the requirements an auditor holds every machine to, each
// with the hotfixes that satisfy it on which Windows and service pack,
// and the verdict of one report on each of them. Its text is
// baseline_text.h's.
#ifndef HOTFIXES_AUDITOR_TABLE_JUDGE_BASELINE_H_
#define HOTFIXES_AUDITOR_TABLE_JUDGE_BASELINE_H_

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "auditor/table/read/machine_report.h"
#include "auditor/vocabulary/baseline_text.h"
#include "auditor/vocabulary/windows_release.h"

enum class VerdictState {
  kInstalled,    // a fix is listed, or the service pack holds it
  kMissing,      // a complete report lists none of the fixes
  kNoUpdate,     // the baseline knows no fix for this level
  kNotAffected,  // the baseline says the flaw is not there
  kNotCovered,   // the baseline has no rule for this Windows and level
  kUnknown,      // the report cannot tell
};

// "installed", "missing", "no update", "not affected", "not covered",
// "unknown".
const char* VerdictStateName(VerdictState state);

// Whether the machine is open to the flaw as far as the report tells:
// missing or no update.
bool IsExposed(VerdictState state);

struct Verdict {
  VerdictState state = VerdictState::kUnknown;
  // Installed: the report's entry as written, or "service pack". Missing:
  // the fixes that would do, as the baseline names them, separated by
  // blanks. Otherwise empty. It points into the report or the baseline
  // and lives as long as both do.
  std::string_view hotfix;
};

struct BaselineRequirement {
  std::string id;     // "MS08-067"
  std::string title;  // the rest of its line
};

class Baseline {
 public:
  // Reads the baseline's text in place of any before. A fault in it
  // returns false, with `error` "<fileName>:<line>: <what>" and the
  // baseline left empty.
  bool Parse(std::string_view text, std::string_view fileName,
             std::string& error);
  // Reads one more file, as Parse does: its requirements follow those of
  // the files before, but one whose ID an earlier file has (the catalog;
  // then the auditor's own file corrects it) replaces that one, title and
  // rules, where the earlier file had it.
  bool Add(std::string_view text, std::string_view fileName,
           std::string& error);
  // What standard error says of the files read, one line each without the
  // program's name: each requirement that a later file replaced, and each
  // file whose titles held characters now shown as <U+code point>.
  std::vector<std::string> ReadingNotes() const;

  const std::vector<BaselineRequirement>& requirements() const {
    return requirements_;
  }
  bool empty() const { return requirements_.empty(); }

  // The report's verdict on every requirement, in the file's order.
  // `release` is WindowsReleaseOf(report.os), which the caller shows too.
  std::vector<Verdict> Judge(const MachineReport& report,
                             const WindowsRelease& release) const;
  // The same into `verdicts`, whose memory a fleet's machines share.
  void Judge(const MachineReport& report, const WindowsRelease& release,
             std::vector<Verdict>& verdicts) const;

 private:
  struct Rule {
    int lowest = 0;
    int highest = 0;
    RuleOutcome outcome = RuleOutcome::kFixes;
    std::vector<std::size_t> fixes;  // into fixKeys_
    std::string fixText;             // the fixes as the file names them
    int line = 0;
  };
  class Reader;

  // A requirement's rules for one Windows.
  const std::vector<Rule>& RulesFor(std::size_t requirement,
                                    Windows windows) const;
  std::vector<Rule>& RulesFor(std::size_t requirement, Windows windows);
  std::size_t FixIndex(const std::string& key);
  // For each of fixKeys_, the entry of the report that names it, or null.
  std::vector<const std::string*> ListedFixes(
      const MachineReport& report) const;
  // The verdict of an outcome that names no fixes (kNone: no rule).
  static Verdict FixedVerdict(RuleOutcome outcome);
  // The verdict of a rule that names fixes, by the report's.
  static Verdict JudgeFixes(const Rule& rule,
                            const std::vector<const std::string*>& listed,
                            bool complete);

  std::vector<BaselineRequirement> requirements_;
  // The files that gave each requirement, the one it was taken from last.
  std::vector<std::vector<std::string>> sources_;
  std::unordered_map<std::string, std::size_t> requirementIndex_;  // by ID
  std::vector<std::string> filesWithHiddenCharacters_;
  // A level's rules, found once: a fleet has few Windows and levels and
  // many machines.
  struct LevelRules {
    // Which of its rules for the Windows holds for the level, for each
    // requirement (-1: none).
    std::vector<int> rule;
    // The verdicts that the report's hotfixes cannot change (no rule, "no
    // update", ...), by requirement; unknown where they decide.
    std::vector<Verdict> fixed;
    std::vector<std::size_t> byFixes;  // the requirements where they decide
  };
  const LevelRules& RulesAt(const WindowsRelease& release) const;

  std::vector<std::vector<Rule>> rules_;  // kWindowsCount per requirement
  mutable std::map<std::pair<int, int>, LevelRules> rulesAt_;
  std::vector<std::string> fixKeys_;  // every fix named, once
  std::unordered_map<std::string, std::size_t> fixIndex_;
};

#endif  // HOTFIXES_AUDITOR_TABLE_JUDGE_BASELINE_H_
