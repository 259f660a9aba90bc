#include "auditor/table/judge/baseline.h"

#include <algorithm>
#include <climits>

#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/hotfix_names.h"

namespace {

const int kEveryLevel = INT_MAX;
// Far above any service pack a Windows had: a larger number is a typing
// error, not a level.
const int kHighestLevel = 999;
const std::string_view kServicePackHotfix = "service pack";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

// The longest Windows name the rule starts with, whole words only, so
// that "Windows XP x64" is not "Windows XP" with a fix named "x64".
Windows WindowsNameAtStart(std::string_view rule, std::size_t& length) {
  Windows found = Windows::kUnknown;
  length = 0;
  for (int i = 0; i < kWindowsCount; ++i) {
    const std::string_view name = WindowsName(static_cast<Windows>(i));
    if (name.empty() || name.size() <= length ||
        !StartsWithNoCase(rule, name) ||
        (rule.size() > name.size() && !IsBlank(rule[name.size()]))) {
      continue;
    }
    found = static_cast<Windows>(i);
    length = name.size();
  }
  return found;
}

// "SP4", "SP6a" (6): the level, taken off `text`.
bool ReadLevel(std::string_view& text, int& level) {
  if (!StartsWithNoCase(text, "SP")) return false;
  text.remove_prefix(2);
  std::size_t digits = 0;
  level = 0;
  while (digits < text.size() && IsDigit(text[digits])) {
    if (level > kHighestLevel) return false;
    level = level * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || level > kHighestLevel) return false;
  text.remove_prefix(digits);
  if (level == 6 && !text.empty() && AsciiUpper(text[0]) == 'A') {
    text.remove_prefix(1);
  }
  return true;
}

// "SP4", "SP2-SP3", "SP2+".
bool ReadRange(std::string_view text, int& lowest, int& highest) {
  if (!ReadLevel(text, lowest)) return false;
  highest = lowest;
  if (text == "+") {
    highest = kEveryLevel;
    return true;
  }
  if (!text.empty() && text[0] == '-') {
    text.remove_prefix(1);
    if (!ReadLevel(text, highest) || highest < lowest) return false;
  }
  return text.empty();
}

bool IsPhrase(const std::vector<std::string_view>& words, std::size_t first,
              const std::vector<std::string_view>& phrase) {
  if (words.size() - first != phrase.size()) return false;
  for (std::size_t i = 0; i < phrase.size(); ++i) {
    if (!EqualsNoCase(words[first + i], phrase[i])) return false;
  }
  return true;
}

// The first words of "no update", "not affected", "in service pack".
bool StartsAnOutcomePhrase(std::string_view word) {
  return EqualsNoCase(word, "no") || EqualsNoCase(word, "not") ||
         EqualsNoCase(word, "in");
}

bool IsLevel(std::string_view word) {
  int level = 0;
  return ReadLevel(word, level) && word.empty();
}

bool IsRequirementId(std::string_view id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.';
  });
}

// The range that the first words make when their blanks are left out
// ("SP2 - SP3", "SP2 SP3", "SP2- SP3", "SP2 -SP3", "SP2 +"), or "".
std::string RangeWithoutBlanks(const std::vector<std::string_view>& words) {
  const auto word = [&](std::size_t i) {
    return i < words.size() ? words[i] : std::string_view();
  };
  const std::string first(word(0));
  if (IsLevel(word(0))) {
    if (word(1) == "+") return first + "+";
    if (word(1) == "-" && IsLevel(word(2)))
      return first + "-" + std::string(word(2));
    if (IsLevel(word(1))) return first + "-" + std::string(word(1));
    if (word(1).size() > 1 && word(1)[0] == '-' && IsLevel(word(1).substr(1))) {
      return first + std::string(word(1));
    }
  }
  if (first.size() > 1 && first.back() == '-' &&
      IsLevel(word(0).substr(0, first.size() - 1)) && IsLevel(word(1))) {
    return first + std::string(word(1));
  }
  return std::string();
}

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
    while (!text.empty()) {
      std::size_t end = text.find('\n');
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = Trimmed(text.substr(0, end));
      text.remove_prefix(std::min(end + 1, text.size()));
      ++lineNumber_;
      if (line.empty() || line[0] == '#') continue;
      if (!(line[0] == '[' ? ReadRequirement(line) : ReadRule(line))) {
        return false;
      }
    }
    if (!EndRequirement()) return false;
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
    error_ = std::string(fileName_) + ":" + std::to_string(line) + ": " + what;
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
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
      return Fail(lineNumber_, "no ']' after the requirement's ID");
    }
    const std::string_view id = Trimmed(line.substr(1, close - 1));
    if (id.empty()) return Fail(lineNumber_, "requirement without an ID");
    if (!IsRequirementId(id)) {
      return Fail(lineNumber_, "requirement ID \"" + Visible(id) +
                                   "\" is not one word of letters, digits "
                                   "and \"-_.\"");
    }
    const std::string key = Upper(id);
    const auto first = idLines_.emplace(key, lineNumber_);
    if (!first.second) {
      return Fail(lineNumber_, "requirement " + std::string(id) +
                                   " given twice (first on line " +
                                   std::to_string(first.first->second) + ")");
    }
    std::string title(Trimmed(line.substr(close + 1)));
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
    std::size_t nameLength = 0;
    const Windows windows = WindowsNameAtStart(line, nameLength);
    if (windows == Windows::kUnknown) {
      return Fail(lineNumber_,
                  "unknown Windows name in \"" + Visible(line) + "\"");
    }
    const std::vector<std::string_view> words =
        BlankSeparatedWords(line.substr(nameLength));
    Rule rule;
    rule.line = lineNumber_;
    rule.highest = kEveryLevel;
    std::size_t outcome = 0;
    if (!words.empty() && StartsWithNoCase(words[0], "SP")) {
      const std::string range = RangeWithoutBlanks(words);
      if (!range.empty()) {
        return Fail(lineNumber_, "a range is written without blanks: " + range);
      }
      if (!ReadRange(words[0], rule.lowest, rule.highest)) {
        return Fail(lineNumber_,
                    "bad service-pack range \"" + Visible(words[0]) + "\"");
      }
      outcome = 1;
    }
    if (outcome == words.size())
      return Fail(lineNumber_, "rule without outcome");
    if (!ReadOutcome(words, outcome, windows, rule)) return false;
    return AddRule(windows, std::move(rule));
  }

  bool ReadOutcome(const std::vector<std::string_view>& words,
                   std::size_t first, Windows windows, Rule& rule) {
    if (IsPhrase(words, first, {"no", "update"})) {
      rule.outcome = Outcome::kNoUpdate;
    } else if (IsPhrase(words, first, {"not", "affected"})) {
      rule.outcome = Outcome::kNotAffected;
    } else if (IsPhrase(words, first, {"in", "service", "pack"})) {
      rule.outcome = Outcome::kInServicePack;
    } else {
      for (std::size_t i = first; i < words.size(); ++i) {
        if (!IsHotfixName(words[i])) {
          return Fail(lineNumber_, MisplacedWord(words, i, first, windows));
        }
        rule.fixes.push_back(baseline_.FixIndex(HotfixKey(words[i])));
        if (i > first) rule.fixText += ' ';
        rule.fixText.append(words[i]);
      }
    }
    return true;
  }

  // Why the word at `i`, where the outcome starts at `first`, has no
  // place in the rule: what it likely meant, where that can be told.
  static std::string MisplacedWord(const std::vector<std::string_view>& words,
                                   std::size_t i, std::size_t first,
                                   Windows windows) {
    const std::string word = "\"" + Visible(words[i]) + "\"";
    const std::string_view kOutcomes =
        ": \"no update\", \"not affected\" and \"in service pack\" stand "
        "alone after the range, without hotfixes or other words";
    if (StartsAnOutcomePhrase(words[i])) {
      std::string outcome;
      for (std::size_t w = first; w < words.size(); ++w) {
        outcome += (w > first ? " " : "") + Visible(words[w]);
      }
      return "\"" + outcome + "\"" + std::string(kOutcomes);
    }
    if (StartsWithNoCase(words[i], "SP") && words[i].size() > 2 &&
        IsDigit(words[i][2])) {
      return word +
             ": the service-pack range comes right after the Windows "
             "name";
    }
    const bool plainWord =
        std::all_of(words[i].begin(), words[i].end(), [](char c) {
          return IsDigit(c) || (AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'Z');
        });
    if (i == 0 && first == 0 && plainWord) {
      return word + " after \"" + std::string(WindowsName(windows)) +
             "\": a rule names the Windows as the table does, without its "
             "edition (Server 2003 R2 and x64 Edition are Windows Server 2003)";
    }
    return NotAHotfixName(words[i]);
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

Verdict Baseline::FixedVerdict(const Rule& rule) {
  switch (rule.outcome) {
    case Outcome::kNoUpdate:
      return Verdict{VerdictState::kNoUpdate, std::string_view()};
    case Outcome::kNotAffected:
      return Verdict{VerdictState::kNotAffected, std::string_view()};
    case Outcome::kInServicePack:
      return Verdict{VerdictState::kInstalled, kServicePackHotfix};
    case Outcome::kFixes: break;
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
  level.fixed.assign(requirements_.size(),
                     Verdict{VerdictState::kNotCovered, std::string_view()});
  for (std::size_t i = 0; i < requirements_.size(); ++i) {
    const std::vector<Rule>& candidates = RulesFor(i, release.windows);
    for (std::size_t r = 0; r < candidates.size(); ++r) {
      if (release.servicePack >= candidates[r].lowest &&
          release.servicePack <= candidates[r].highest) {
        level.rule[i] = static_cast<int>(r);
        level.fixed[i] = FixedVerdict(candidates[r]);
        if (candidates[r].outcome == Outcome::kFixes)
          level.byFixes.push_back(i);
        break;
      }
    }
  }
  return level;
}
