#include "auditor/vocabulary/hotfix_names.h"

#include <algorithm>
#include <vector>

#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"

namespace {

// How many of `text`'s first characters satisfy `is`.
template <typename Predicate>
std::size_t SpanOf(std::string_view text, Predicate is) {
  std::size_t length = 0;
  while (length < text.size() && is(text[length])) ++length;
  return length;
}

std::vector<std::string_view> Split(std::string_view text,
                                    std::string_view separators) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || separators.find(text[i]) != std::string::npos) {
      pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

bool AreHotfixNames(const std::vector<std::string_view>& words) {
  return std::all_of(words.begin(), words.end(), IsHotfixName);
}

// The word without the quotes or brackets around it, or "".
std::string_view Unwrapped(std::string_view word) {
  static const std::string_view kPairs[] = {"\"\"", "''", "[]",
                                            "()",   "<>", "{}"};
  for (std::string_view pair : kPairs) {
    if (word.size() > 2 && word.front() == pair[0] && word.back() == pair[1]) {
      return word.substr(1, word.size() - 2);
    }
  }
  return std::string_view();
}

std::string Quoted(std::string_view text) {
  return "\"" + Visible(text) + "\"";
}

std::string Joined(const std::vector<std::string_view>& words) {
  std::string joined;
  for (std::string_view word : words) {
    if (!joined.empty()) joined += ' ';
    joined.append(word);
  }
  return joined;
}

}  // namespace

bool IsHotfixName(std::string_view word) {
  std::size_t prefix = 0;
  if (!word.empty() && AsciiUpper(word[0]) == 'Q') prefix = 1;
  if (word.size() >= 2 && AsciiUpper(word[0]) == 'K' &&
      AsciiUpper(word[1]) == 'B') {
    prefix = 2;
  }
  if (prefix == 0) return false;
  word.remove_prefix(prefix);
  if (SpanOf(word, IsDigit) == 0) return false;
  word.remove_prefix(SpanOf(word, IsLetterOrDigit));
  while (!word.empty()) {
    if (word[0] != '-' && word[0] != '_') return false;
    const std::size_t suffix = SpanOf(word.substr(1), IsLetterOrDigit);
    if (suffix == 0) return false;
    word.remove_prefix(1 + suffix);
  }
  return true;
}

std::string NotAHotfixName(std::string_view word) {
  std::string message =
      Quoted(word) + " is not a hotfix name (Q or KB and a number: KB958644)";
  const std::vector<std::string_view> pieces = Split(word, ",;");
  const std::string_view unwrapped = Unwrapped(word);
  if (!word.empty() && word[0] == '#') {
    message += "; a comment is a line of its own, starting with '#'";
  } else if (pieces.size() > 1 && AreHotfixNames(pieces)) {
    message += "; names are separated by blanks: " + Joined(pieces);
  } else if (IsHotfixName(unwrapped)) {
    message +=
        "; write it without quotes or brackets: " + std::string(unwrapped);
  }
  return message;
}

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

std::size_t FixLength(std::string_view key) {
  if (key.size() < 3 || key[0] != 'K' || key[1] != 'B') return 0;
  const std::size_t digits = SpanOf(key.substr(2), IsDigit);
  return digits == 0 ? 0 : 2 + digits;
}

bool Satisfies(std::string_view listedName, std::string_view requiredName) {
  const std::string listed = HotfixKey(listedName);
  const std::string required = HotfixKey(requiredName);
  bool satisfies = false;
  ForEachKeySatisfied(listed, [&](std::size_t length) {
    satisfies = satisfies || std::string_view(listed).substr(0, length) ==
                                 std::string_view(required);
  });
  return satisfies;
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
