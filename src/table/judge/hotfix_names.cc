#include "table/judge/hotfix_names.h"

#include <algorithm>
#include <unordered_set>

#include "table/judge/list_text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string HotfixKey(std::string_view name) {
  std::string key;
  key.reserve(name.size() + 1);
  if (name.size() >= 2 && AsciiUpper(name[0]) == 'Q' && IsDigit(name[1])) {
    key = "KB";
    name.remove_prefix(1);
  }
  for (char c : name) key += AsciiUpper(c);
  return key;
}

bool HotfixKeyLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the two numbers by value: without their leading zeros,
      // the longer is the larger, else the first different digit decides.
      std::size_t iEnd = i, jEnd = j;
      while (iEnd < a.size() && IsDigit(a[iEnd])) ++iEnd;
      while (jEnd < b.size() && IsDigit(b[jEnd])) ++jEnd;
      std::size_t iStart = i, jStart = j;
      while (iStart + 1 < iEnd && a[iStart] == '0') ++iStart;
      while (jStart + 1 < jEnd && b[jStart] == '0') ++jStart;
      if (iEnd - iStart != jEnd - jStart) return iEnd - iStart < jEnd - jStart;
      const int order =
          a.compare(iStart, iEnd - iStart, b, jStart, jEnd - jStart);
      if (order != 0) return order < 0;
      i = iEnd;
      j = jEnd;
    } else {
      if (a[i] != b[j]) {
        return static_cast<unsigned char>(a[i]) <
               static_cast<unsigned char>(b[j]);
      }
      ++i;
      ++j;
    }
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;  // equal but for leading zeros: any fixed order
}

void RequiredHotfixes::Parse(std::string_view text) {
  std::unordered_set<std::string> seen(keys_.begin(), keys_.end());
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    const std::string_view name = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (name.empty() || name[0] == '#') continue;
    std::string key = HotfixKey(name);
    if (!seen.insert(key).second) continue;
    names_.emplace_back(name);
    keys_.push_back(std::move(key));
  }
}

std::vector<std::string> RequiredHotfixes::LackedBy(
    const MachineReport& report) const {
  if (keys_.empty()) return std::vector<std::string>();
  std::unordered_set<std::string> present;
  for (const HotfixEntry& entry : report.entries) {
    present.insert(HotfixKey(entry.name));
  }
  std::vector<std::string> lacked;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (!present.count(keys_[i])) lacked.push_back(names_[i]);
  }
  return lacked;
}
