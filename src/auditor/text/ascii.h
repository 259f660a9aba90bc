// ASCII, whatever the text around it: the words of the auditor's files,
// report lines, bulletin cells, names and IDs are compared in ASCII only,
// never by the locale, and bytes above 0x7F are never letters, digits or
// blanks.
#ifndef HOTFIXES_AUDITOR_TEXT_ASCII_H_
#define HOTFIXES_AUDITOR_TEXT_ASCII_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool IsLetterOrDigit(char c) { return IsLetter(c) || IsDigit(c); }

// A blank between the words of a line: space or TAB.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// White space that may also break a line: space, TAB, CR, LF.
inline bool IsSpace(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }

// 0 to 15 for a hexadecimal digit of either case, else -1.
inline int HexDigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

inline char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with ASCII letters in upper case, every other byte as it is.
inline std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

// `text` with ASCII letters in lower case, every other byte as it is.
inline std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// At least one digit, and nothing else.
inline bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// One word of letters, digits and "-_.": an ID, a plain hotfix name.
inline bool IsPlainWord(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsLetterOrDigit(c) && c != '-' && c != '_' && c != '.') return false;
  }
  return true;
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

inline bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.substr(text.size() - suffix.size()) == suffix;
}

// Equal but for the case of ASCII letters.
inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Where `part` first starts in `text`, ASCII letter case aside; npos when
// nowhere.
inline std::size_t FindNoCase(std::string_view text, std::string_view part) {
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (StartsWithNoCase(text.substr(i), part)) return i;
  }
  return std::string_view::npos;
}

// Takes `prefix` off the start of `text`; false, and `text` as it was,
// when it does not start so.
inline bool ReadPrefix(std::string_view& text, std::string_view prefix) {
  if (!StartsWith(text, prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// `text` without the blanks, TABs and line ends around it.
inline std::string_view Trimmed(std::string_view text) {
  const std::string_view kSpaces = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kSpaces);
  if (first == std::string_view::npos) return std::string_view();
  const std::size_t last = text.find_last_not_of(kSpaces);
  return text.substr(first, last - first + 1);
}

// The words of `text`, separated by blanks and TABs.
inline std::vector<std::string_view> BlankSeparatedWords(
    std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

#endif  // HOTFIXES_AUDITOR_TEXT_ASCII_H_
