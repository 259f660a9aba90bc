#include "auditor/vocabulary/baseline_text.h"

#include <algorithm>

#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/hotfix_names.h"

namespace {

// Far above any service pack a Windows had: a larger number is a typing
// error, not a level.
const int kHighestLevel = 999;

// The outcomes that stand alone after the range, as the file writes them.
struct OutcomePhrase {
  RuleOutcome outcome;
  std::vector<std::string_view> words;
};
const OutcomePhrase kOutcomePhrases[] = {
    {RuleOutcome::kNoUpdate, {"no", "update"}},
    {RuleOutcome::kNotAffected, {"not", "affected"}},
    {RuleOutcome::kInServicePack, {"in", "service", "pack"}},
};

std::string LevelRange(int lowest, int highest) {
  std::string range = "SP" + std::to_string(lowest);
  if (highest == kEveryLevel) return range + "+";
  if (highest != lowest) range += "-SP" + std::to_string(highest);
  return range;
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
  for (const OutcomePhrase& phrase : kOutcomePhrases) {
    if (EqualsNoCase(word, phrase.words[0])) return true;
  }
  return false;
}

bool IsLevel(std::string_view word) {
  int level = 0;
  return ReadLevel(word, level) && word.empty();
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

// Why the word at `i`, where the outcome starts at `first`, has no
// place in the rule: what it likely meant, where that can be told.
std::string MisplacedWord(const std::vector<std::string_view>& words,
                          std::size_t i, std::size_t first, Windows windows) {
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
      std::all_of(words[i].begin(), words[i].end(), IsLetterOrDigit);
  if (i == 0 && first == 0 && plainWord) {
    return word + " after \"" + std::string(WindowsName(windows)) +
           "\": a rule names the Windows as the table does, without its "
           "edition (Server 2003 R2 and x64 Edition are Windows Server 2003)";
  }
  return NotAHotfixName(words[i]);
}

// The outcome of the words from `first` on: a phrase, or hotfix names.
bool ReadOutcome(const std::vector<std::string_view>& words, std::size_t first,
                 RuleText& rule, std::string& problem) {
  for (const OutcomePhrase& phrase : kOutcomePhrases) {
    if (IsPhrase(words, first, phrase.words)) {
      rule.outcome = phrase.outcome;
      return true;
    }
  }
  rule.outcome = RuleOutcome::kFixes;
  for (std::size_t i = first; i < words.size(); ++i) {
    if (!IsHotfixName(words[i])) {
      problem = MisplacedWord(words, i, first, rule.windows);
      return false;
    }
    rule.fixes.push_back(words[i]);
  }
  return true;
}

std::string OutcomeText(RuleOutcome outcome,
                        const std::vector<std::string>& fixes) {
  for (const OutcomePhrase& phrase : kOutcomePhrases) {
    if (phrase.outcome != outcome) continue;
    std::string text;
    for (std::string_view word : phrase.words) {
      if (!text.empty()) text += ' ';
      text.append(word);
    }
    return text;
  }
  std::string text;
  for (const std::string& fix : fixes) {
    if (!text.empty()) text += ' ';
    text += fix;
  }
  return text;
}

}  // namespace

bool IsRequirementId(std::string_view id) { return IsPlainWord(id); }

std::string RequirementLine(std::string_view id, std::string_view title) {
  std::string line = "[" + std::string(id) + "] " + std::string(title);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string RuleLine(Windows windows, int lowest, int highest,
                     RuleOutcome outcome,
                     const std::vector<std::string>& fixes) {
  return std::string(WindowsName(windows)) + " " + LevelRange(lowest, highest) +
         " " + OutcomeText(outcome, fixes);
}

bool ReadRequirementLine(std::string_view line, std::string_view& id,
                         std::string_view& title, std::string& problem) {
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) {
    problem = "no ']' after the requirement's ID";
    return false;
  }
  id = Trimmed(line.substr(1, close - 1));
  if (id.empty()) {
    problem = "requirement without an ID";
    return false;
  }
  if (!IsRequirementId(id)) {
    problem = "requirement ID \"" + Visible(id) +
              "\" is not one word of letters, digits and \"-_.\"";
    return false;
  }
  title = Trimmed(line.substr(close + 1));
  return true;
}

bool ReadRuleLine(std::string_view line, RuleText& rule, std::string& problem) {
  rule = RuleText();
  std::size_t nameLength = 0;
  rule.windows = WindowsNameAtStart(line, nameLength);
  if (rule.windows == Windows::kUnknown) {
    problem = "unknown Windows name in \"" + Visible(line) + "\"";
    return false;
  }
  const std::vector<std::string_view> words =
      BlankSeparatedWords(line.substr(nameLength));
  std::size_t outcome = 0;
  if (!words.empty() && StartsWithNoCase(words[0], "SP")) {
    const std::string range = RangeWithoutBlanks(words);
    if (!range.empty()) {
      problem = "a range is written without blanks: " + range;
      return false;
    }
    if (!ReadRange(words[0], rule.lowest, rule.highest)) {
      problem = "bad service-pack range \"" + Visible(words[0]) + "\"";
      return false;
    }
    outcome = 1;
  }
  if (outcome == words.size()) {
    problem = "rule without outcome";
    return false;
  }
  return ReadOutcome(words, outcome, rule, problem);
}
