// The lines of a file the auditor writes (a list of hotfixes, a
// baseline): one item to a line, '#' starting a comment line, blank lines
// ignored, blanks around a line too, and a fault named by its line.
#ifndef HOTFIXES_AUDITOR_TEXT_LIST_LINES_H_
#define HOTFIXES_AUDITOR_TEXT_LIST_LINES_H_

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "auditor/text/ascii.h"

// Calls `each(line, number)` for every line that is neither blank nor a
// comment, without the blanks and line end around it, numbered from 1 as
// an editor counts lines (LF ends a line). Stops at the first call that
// returns false, and returns false then.
template <typename EachLine>
bool ForEachListLine(std::string_view text, EachLine each) {
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (!each(line, number)) return false;
  }
  return true;
}

// "<fileName>:<line>: <what>", as messages name a fault in such a file.
inline std::string ListFault(std::string_view fileName, int line,
                             std::string_view what) {
  return std::string(fileName) + ":" + std::to_string(line) + ": " +
         std::string(what);
}

#endif  // HOTFIXES_AUDITOR_TEXT_LIST_LINES_H_
