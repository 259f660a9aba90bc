#include "auditor/table/judge/baseline.h"

#include <algorithm>

#include "auditor/text/ascii.h"
#include "auditor/text/list_lines.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/baseline_text.h"
#include "auditor/vocabulary/hotfix_names.h"

namespace {

const std::string_view kServicePackHotfix = "service pack";

}  // namespace

const char* VerdictStateName(VerdictState state) {
  switch (state) {
    case VerdictState::kInstalled: return "installed";
    case VerdictState::kMissing: return "missing";
    case VerdictState::kNoUpdate: return "no update";
    case VerdictState::kNotAffected: return "not affected";
    case VerdictState::kNotCovered: return "not covered";
    case VerdictState::kUnknown: return "unknown";
  }
  return "unknown";
}

bool IsExposed(VerdictState state) {
  return state == VerdictState::kMissing || state == VerdictState::kNoUpdate;
}

// Reads one file line by line into a baseline, stopping at its first
// fault.
class Baseline::Reader {
 public:
  Reader(Baseline& baseline, std::string_view fileName)
      : baseline_(baseline), fileName_(fileName) {}

  bool Read(std::string_view text) {
    const bool read =
        ForEachListLine(text, [this](std::string_view line, int number) {
          lineNumber_ = number;
          return line[0] == '[' ? ReadRequirement(line) : ReadRule(line);
        });
    if (!read || !EndRequirement()) return false;
    if (idLines_.empty()) {
      error_ = std::string(fileName_) + ": holds no requirement";
      return false;
    }
    if (hiddenCharacters_) {
      baseline_.filesWithHiddenCharacters_.emplace_back(fileName_);
    }
    return true;
  }

  const std::string& error() const { return error_; }

 private:
  bool Fail(int line, const std::string& what) {
    error_ = ListFault(fileName_, line, what);
    return false;
  }

  bool EndRequirement() {
    if (idLines_.empty() || rulesOfRequirement_ > 0) return true;
    return Fail(requirementLine_, "requirement " +
                                      baseline_.requirements_[current_].id +
                                      " has no rules");
  }

  // "[ID] title"
  bool ReadRequirement(std::string_view line) {
    if (!EndRequirement()) return false;
    std::string_view id, titleText;
    std::string problem;
    if (!ReadRequirementLine(line, id, titleText, problem)) {
      return Fail(lineNumber_, problem);
    }
    const std::string key = UpperAscii(id);
    const auto first = idLines_.emplace(key, lineNumber_);
    if (!first.second) {
      return Fail(lineNumber_, "requirement " + std::string(id) +
                                   " given twice (first on line " +
                                   std::to_string(first.first->second) + ")");
    }
    std::string title(titleText);
    hiddenCharacters_ = ShowInvisibleCharacters(title) || hiddenCharacters_;
    StartRequirement(key, id, std::move(title));
    requirementLine_ = lineNumber_;
    rulesOfRequirement_ = 0;
    return true;
  }

  // A new requirement, or an earlier file's taken over in its place.
  void StartRequirement(const std::string& key, std::string_view id,
                        std::string title) {
    const auto found = baseline_.requirementIndex_.emplace(
        key, baseline_.requirements_.size());
    current_ = found.first->second;
    if (found.second) {
      baseline_.requirements_.push_back({std::string(id), std::move(title)});
      baseline_.rules_.resize(baseline_.rules_.size() + kWindowsCount);
      baseline_.sources_.emplace_back();
    } else {
      baseline_.requirements_[current_] = {std::string(id), std::move(title)};
      for (int i = 0; i < kWindowsCount; ++i) {
        baseline_.RulesFor(current_, static_cast<Windows>(i)).clear();
      }
    }
    baseline_.sources_[current_].emplace_back(fileName_);
  }

  // "Windows NAME [RANGE] OUTCOME"
  bool ReadRule(std::string_view line) {
    if (idLines_.empty()) {
      return Fail(lineNumber_, "rule before any requirement");
    }
    RuleText text;
    std::string problem;
    if (!ReadRuleLine(line, text, problem)) return Fail(lineNumber_, problem);
    Rule rule;
    rule.line = lineNumber_;
    rule.lowest = text.lowest;
    rule.highest = text.highest;
    rule.outcome = text.outcome;
    for (std::string_view fix : text.fixes) {
      rule.fixes.push_back(baseline_.FixIndex(HotfixKey(fix)));
      if (!rule.fixText.empty()) rule.fixText += ' ';
      rule.fixText.append(fix);
    }
    return AddRule(text.windows, std::move(rule));
  }

  bool AddRule(Windows windows, Rule rule) {
    std::vector<Rule>& rules = baseline_.RulesFor(current_, windows);
    for (const Rule& other : rules) {
      if (rule.lowest <= other.highest && other.lowest <= rule.highest) {
        return Fail(lineNumber_, "overlaps the rule for " +
                                     std::string(WindowsName(windows)) +
                                     " on line " + std::to_string(other.line));
      }
    }
    rules.push_back(std::move(rule));
    ++rulesOfRequirement_;
    return true;
  }

  Baseline& baseline_;
  const std::string_view fileName_;
  int lineNumber_ = 0;
  int requirementLine_ = 0;
  int rulesOfRequirement_ = 0;
  std::size_t current_ = 0;  // the requirement whose rules are read
  bool hiddenCharacters_ = false;
  std::unordered_map<std::string, int> idLines_;  // of this file, by key
  std::string error_;
};

bool Baseline::Parse(std::string_view text, std::string_view fileName,
                     std::string& error) {
  *this = Baseline();
  return Add(text, fileName, error);
}

bool Baseline::Add(std::string_view text, std::string_view fileName,
                   std::string& error) {
  rulesAt_.clear();
  Reader reader(*this, fileName);
  if (reader.Read(text)) return true;
  error = reader.error();
  *this = Baseline();
  return false;
}

std::vector<std::string> Baseline::ReadingNotes() const {
  std::vector<std::string> notes;
  for (const std::string& file : filesWithHiddenCharacters_) {
    notes.push_back(file +
                    ": characters that cannot be seen or that move text, "
                    "shown as <U+code point>");
  }
  for (std::size_t i = 0; i < sources_.size(); ++i) {
    const std::vector<std::string>& files = sources_[i];
    if (files.size() < 2) continue;
    std::string note = files.back() + ": requirement " + requirements_[i].id +
                       " replaces the one in " + files[0];
    for (std::size_t f = 1; f + 1 < files.size(); ++f) note += ", " + files[f];
    notes.push_back(std::move(note));
  }
  return notes;
}

const std::vector<Baseline::Rule>& Baseline::RulesFor(std::size_t requirement,
                                                      Windows windows) const {
  return rules_[requirement * kWindowsCount + static_cast<int>(windows)];
}

std::vector<Baseline::Rule>& Baseline::RulesFor(std::size_t requirement,
                                                Windows windows) {
  return rules_[requirement * kWindowsCount + static_cast<int>(windows)];
}

std::size_t Baseline::FixIndex(const std::string& key) {
  const auto found = fixIndex_.emplace(key, fixKeys_.size());
  if (found.second) fixKeys_.push_back(key);
  return found.first->second;
}

// An entry satisfies the fixes the rule of hotfix_names.h says: its own
// key, and that key cut before a part written on ("KB975558_WM8" for
// KB975558). Of the entries that satisfy a fix, the one that is its very
// name wins, then the first listed.
std::vector<const std::string*> Baseline::ListedFixes(
    const MachineReport& report) const {
  std::vector<const std::string*> listed(fixKeys_.size(), nullptr);
  std::vector<char> exact(fixKeys_.size(), 0);
  std::string cut;
  for (const HotfixEntry& entry : report.entries) {
    const std::string key = HotfixKey(entry.name);
    ForEachKeySatisfied(key, [&](std::size_t length) {
      cut.assign(key, 0, length);
      const auto found = fixIndex_.find(cut);
      if (found == fixIndex_.end() || exact[found->second]) return;
      if (length == key.size()) {
        listed[found->second] = &entry.name;
        exact[found->second] = 1;
      } else if (!listed[found->second]) {
        listed[found->second] = &entry.name;
      }
    });
  }
  return listed;
}

Verdict Baseline::FixedVerdict(RuleOutcome outcome) {
  switch (outcome) {
    case RuleOutcome::kNone:
      return Verdict{VerdictState::kNotCovered, std::string_view()};
    case RuleOutcome::kNoUpdate:
      return Verdict{VerdictState::kNoUpdate, std::string_view()};
    case RuleOutcome::kNotAffected:
      return Verdict{VerdictState::kNotAffected, std::string_view()};
    case RuleOutcome::kInServicePack:
      return Verdict{VerdictState::kInstalled, kServicePackHotfix};
    case RuleOutcome::kFixes: break;
  }
  return Verdict();
}

Verdict Baseline::JudgeFixes(const Rule& rule,
                             const std::vector<const std::string*>& listed,
                             bool complete) {
  for (std::size_t fix : rule.fixes) {
    if (listed[fix]) return Verdict{VerdictState::kInstalled, *listed[fix]};
  }
  // A report cut short may have stopped before the fix.
  if (!complete) return Verdict{VerdictState::kUnknown, std::string_view()};
  return Verdict{VerdictState::kMissing, rule.fixText};
}

std::vector<Verdict> Baseline::Judge(const MachineReport& report,
                                     const WindowsRelease& release) const {
  std::vector<Verdict> verdicts;
  Judge(report, release, verdicts);
  return verdicts;
}

void Baseline::Judge(const MachineReport& report, const WindowsRelease& release,
                     std::vector<Verdict>& verdicts) const {
  if (report.status == ReportStatus::kUnreadable || !release.known()) {
    verdicts.assign(requirements_.size(), Verdict());
    return;
  }
  const LevelRules& level = RulesAt(release);
  verdicts.assign(level.fixed.begin(), level.fixed.end());
  if (level.byFixes.empty()) return;
  const std::vector<const std::string*> listed = ListedFixes(report);
  const bool complete = report.status == ReportStatus::kComplete;
  for (std::size_t i : level.byFixes) {
    verdicts[i] = JudgeFixes(RulesFor(i, release.windows)[level.rule[i]],
                             listed, complete);
  }
}

const Baseline::LevelRules& Baseline::RulesAt(
    const WindowsRelease& release) const {
  const auto key =
      std::make_pair(static_cast<int>(release.windows), release.servicePack);
  const auto found = rulesAt_.find(key);
  if (found != rulesAt_.end()) return found->second;
  LevelRules& level = rulesAt_[key];
  level.rule.assign(requirements_.size(), -1);
  level.fixed.assign(requirements_.size(), FixedVerdict(RuleOutcome::kNone));
  for (std::size_t i = 0; i < requirements_.size(); ++i) {
    const std::vector<Rule>& candidates = RulesFor(i, release.windows);
    for (std::size_t r = 0; r < candidates.size(); ++r) {
      if (release.servicePack >= candidates[r].lowest &&
          release.servicePack <= candidates[r].highest) {
        level.rule[i] = static_cast<int>(r);
        level.fixed[i] = FixedVerdict(candidates[r].outcome);
        if (candidates[r].outcome == RuleOutcome::kFixes) {
          level.byFixes.push_back(i);
        }
        break;
      }
    }
  }
  return level;
}
