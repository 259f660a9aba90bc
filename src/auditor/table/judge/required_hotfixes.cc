#include "auditor/table/judge/required_hotfixes.h"

#include <algorithm>
#include <unordered_set>

#include "auditor/text/ascii.h"
#include "auditor/text/list_lines.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/hotfix_names.h"

namespace {

// What is wrong with a line of the list, "" for one hotfix name.
std::string ProblemOfListLine(std::string_view line) {
  const std::vector<std::string_view> words = BlankSeparatedWords(line);
  if (words.size() > 1 && words[1][0] == '#') {
    return "a comment is a line of its own, starting with '#'";
  }
  for (std::string_view word : words) {
    if (!IsHotfixName(word)) return NotAHotfixName(word);
  }
  if (words.size() > 1) {
    return "\"" + Visible(line) + "\": one hotfix name per line";
  }
  return std::string();
}

}  // namespace

bool RequiredHotfixes::Parse(std::string_view text, std::string_view fileName,
                             std::string& error) {
  std::unordered_set<std::string> seen(keys_.begin(), keys_.end());
  std::vector<std::string> names, keys;
  const bool read =
      ForEachListLine(text, [&](std::string_view name, int number) {
        const std::string problem = ProblemOfListLine(name);
        if (!problem.empty()) {
          error = ListFault(fileName, number, problem);
          return false;
        }
        std::string key = HotfixKey(name);
        if (seen.insert(key).second) {
          names.emplace_back(name);
          keys.push_back(std::move(key));
        }
        return true;
      });
  if (!read) return false;
  names_.insert(names_.end(), names.begin(), names.end());
  keys_.insert(keys_.end(), keys.begin(), keys.end());
  return true;
}

std::vector<std::string> RequiredHotfixes::LackedBy(
    const MachineReport& report) const {
  if (keys_.empty()) return std::vector<std::string>();
  // Every key an entry satisfies: a required name is lacked when none is
  // its key.
  std::unordered_set<std::string> satisfied;
  for (const HotfixEntry& entry : report.entries) {
    const std::string key = HotfixKey(entry.name);
    ForEachKeySatisfied(key, [&](std::size_t length) {
      satisfied.insert(key.substr(0, length));
    });
  }
  std::vector<std::string> lacked;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (!satisfied.count(keys_[i])) lacked.push_back(names_[i]);
  }
  return lacked;
}
