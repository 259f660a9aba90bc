#include "auditor/table/write/html_outline.h"

#include "auditor/table/write/html_text.h"

const char kOutlineStyle[] =
    "p.nd{max-width:60em;color:#444}"
    ".sets p{margin:2px 0;max-width:100em}"
    ".sets b,.tl b,.tl a{display:inline-block;min-width:1.4em}"
    "ul.tl{list-style:none;margin:0;padding:0;max-width:100em;"
    // A block of lines is laid out only when it comes near the view.
    "content-visibility:auto;contain-intrinsic-size:auto 1800px}"
    ".tl li{padding:1px 4px;border-bottom:1px solid #eee}"
    ".tl li.f{background:#fbd3b0}.tl li.i{background:#fbe9a6}"
    ".tl li.u{background:#dcdcdc}"
    ".tl em,.sets em{font-style:normal;color:#a4161a;font-weight:bold}"
    // The line or row a link of the machines' table leads to.
    ":target,:target>th{background:#ffe066!important}";

namespace {

// The lines come in blocks of this many, each laid out by itself.
const std::size_t kLinesPerBlock = 100;

char Letter(std::size_t common) { return static_cast<char>('A' + common); }

// Each item after a blank and `sign`: "" in a common set, a minus sign
// for what a line lacks of its common set, "+" for what it has besides.
const char kNoSign[] = "";
const char kWithoutSign[] = "\xE2\x88\x92";  // minus sign
const char kWithSign[] = "+";

void AppendItems(const ItemSet& items, const char* sign, const ItemWords& words,
                 std::string& out) {
  for (std::uint64_t item : items) {
    out.append(" ").append(sign);
    words.Append(item, out);
  }
}

std::string CommonSets(const SetOutline& outline, std::string_view idPrefix,
                       const ItemWords& words) {
  std::vector<std::size_t> nearest(outline.commons.size(), 0);
  for (const OutlinedSet& set : outline.sets) {
    if (set.common != kNoCommonSet) ++nearest[set.common];
  }
  std::string text = "<div class=sets>";
  for (std::size_t c = 0; c < outline.commons.size(); ++c) {
    text.append("<p id=").append(idPrefix).append(1, Letter(c));
    text.append("><b>")
        .append(1, Letter(c))
        .append("</b> the nearest of ")
        .append(Plural(nearest[c], words.LinesName(), words.LinesName()))
        .append(", ")
        .append(std::to_string(outline.commons[c].size()))
        .append(":");
    AppendItems(outline.commons[c], kNoSign, words, text);
    text += "\n";
  }
  text += "</div>\n";
  return text;
}

// The line's common set links to where its items are.
void AppendLine(const std::string& start, const OutlinedSet& set,
                std::size_t index, std::string_view idPrefix,
                const ItemWords& words, std::string& out) {
  out += start;
  if (set.common != kNoCommonSet) {
    out.append("<a href=#").append(idPrefix).append(1, Letter(set.common));
    out.append(">").append(1, Letter(set.common)).append("</a>");
  }
  AppendItems(set.without, kWithoutSign, words, out);
  AppendItems(set.with, kWithSign, words, out);
  words.AppendLineEnd(index, out);
  out += "\n";
}

}  // namespace

bool PageRoom::Draw(std::size_t cells) {
  if (cells > kMatrixCells || cells > cellsLeft_) return false;
  cellsLeft_ -= cells;
  return true;
}

bool PageRoom::List(std::size_t bytes) {
  if (bytes > bytesLeft_) {
    bytesLeft_ = 0;  // no shorter line after a longer one is left out
    return false;
  }
  bytesLeft_ -= bytes;
  return true;
}

std::string WhyNotDrawn(std::size_t rowCount, const char* row, const char* rows,
                        std::size_t columnCount, const char* column,
                        const char* columns) {
  return "Not drawn as a matrix: it would have " + Plural(rowCount, row, rows) +
         " by " + Plural(columnCount, column, columns) + ", " +
         Plural(rowCount * columnCount, "cell", "cells") +
         "; the page draws a matrix of at most " +
         std::to_string(kMatrixCells) + " cells, and " +
         std::to_string(kPageCells) + " in all.";
}

std::size_t WriteOutline(const OutlineLines& lines, std::string_view idPrefix,
                         const ItemWords& words, PageRoom& room,
                         std::string& out) {
  const SetOutline outline = OutlineSets(lines.items);
  const std::string commons = CommonSets(outline, idPrefix, words);
  if (!room.List(commons.size())) return 0;
  out += commons;
  std::string line;
  std::size_t written = 0;
  for (; written < lines.starts.size(); ++written) {
    line.clear();
    if (written % kLinesPerBlock == 0) {
      line += written == 0 ? "<ul class=tl>\n" : "</ul>\n<ul class=tl>\n";
    }
    AppendLine(lines.starts[written], outline.sets[written], written, idPrefix,
               words, line);
    if (!room.List(line.size())) break;
    out += line;
  }
  if (written > 0) out += "</ul>\n";
  return written;
}

void WriteNotListed(const NotListed& note, Windows windows, std::string& out,
                    TextOutput& errors) {
  out.append("<p class=nd id=").append(note.id);
  out.append(">Not listed: ").append(note.what);
  out.append(", past the ").append(std::to_string(kListedBytes));
  out +=
      " bytes the page gives its lines. The CSV, the wide CSV and JSON"
      " Lines ";
  out.append(note.onPage).append(".\n");
  errors << "hotfixes-table: the page does not list " << note.what << " of "
         << SectionName(windows)
         << ": its lines would pass their room; the CSV, the wide CSV and"
            " JSON Lines "
         << note.onError << "\r\n";
}
