// What reading the lists an auditor writes (required hotfixes, baselines)
// needs of their text: ASCII case, and lines without their blanks.
#ifndef HOTFIXES_AUDITOR_TEXT_ASCII_H_
#define HOTFIXES_AUDITOR_TEXT_ASCII_H_

#include <string>
#include <string_view>
#include <vector>

inline char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with ASCII letters in upper case, every other byte as it is.
inline std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

// `text` without the blanks, TABs and line ends around it.
inline std::string_view Trimmed(std::string_view text) {
  const std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::string_view();
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
