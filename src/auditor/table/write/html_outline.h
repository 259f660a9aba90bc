// What the page draws as a matrix and what it tells as text, so that its
// size and the time a browser takes to show it stay bounded whatever the
// fleet: a matrix of patch levels by hotfixes grows with both, and a fleet
// whose machines drifted apart has as many levels as machines.
//
// A matrix is drawn when its cells are few enough (kMatrixCells) and the
// page's drawn cells stay within kPageCells. Otherwise its rows are lines of
// text, each told against the nearest of a few common sets
// (fleet_outline.h): "PC042: A −KB1 +KB2". The lines of the page (the
// hotfixes by patch level, the requirements by machine) take at most
// kListedBytes together, which ten thousand machines made from images and
// drifted apart stay well within; past it, the rest is left to the CSV, the
// wide CSV and JSON Lines, and the page says so where the lines stop. The
// lines come in blocks that a browser lays out only as they come into view
// (content-visibility).
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_HTML_OUTLINE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_HTML_OUTLINE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/write/fleet_outline.h"
#include "auditor/vocabulary/windows_release.h"

const std::size_t kMatrixCells = 20000;
const std::size_t kPageCells = 60000;
const std::size_t kListedBytes = 2000000;

extern const char kOutlineStyle[];

// The cells the page may still draw, and the bytes of lines it may still
// write.
class PageRoom {
 public:
  // True, and the cells taken, when a matrix of `cells` cells is drawn.
  bool Draw(std::size_t cells);
  // True, and the bytes taken, when a line of `bytes` bytes is written.
  bool List(std::size_t bytes);

 private:
  std::size_t cellsLeft_ = kPageCells;
  std::size_t bytesLeft_ = kListedBytes;
};

// "Not drawn as a matrix: it would have 4480 patch levels by 412 hotfixes,
// 1845760 cells; ...": why a matrix is told as text.
std::string WhyNotDrawn(std::size_t rowCount, const char* row, const char* rows,
                        std::size_t columnCount, const char* column,
                        const char* columns);

// How the items of one part read; the outline writes the sign before an
// item of a line ("−" lacking, "+" besides) itself.
class ItemWords {
 public:
  virtual ~ItemWords() = default;
  // The item, escaped.
  virtual void Append(std::uint64_t item, std::string& out) const = 0;
  // What follows the items of line number `line`; nothing by default.
  virtual void AppendLineEnd(std::size_t /*line*/, std::string&) const {}
  // What the lines stand for: "patch levels".
  virtual const char* LinesName() const = 0;
};

// The lines of a part: each the start of its element, up to and with its
// label ("<li id=l12 class=f><b>SP3</b> PC042: "), and its items.
struct OutlineLines {
  std::vector<std::string> starts;
  std::vector<ItemSet> items;
};

// Writes the common sets, each of id `idPrefix` and its letter, then the
// lines while the page has room for them; returns how many lines were
// written, the first ones.
std::size_t WriteOutline(const OutlineLines& lines, std::string_view idPrefix,
                         const ItemWords& words, PageRoom& room,
                         std::string& out);

// Where a part's lines stop, past the room of kListedBytes: what the note
// there and the line on standard error say is left to the other formats.
struct NotListed {
  std::string id;       // the first line left out's, the machines' link
  std::string what;     // "3 patch levels of 7 machines"
  const char* onPage;   // what the other formats do: "list their hotfixes"
  const char* onError;  // the same, shorter: "list them"
};

// "<p class=nd id=ID>Not listed: WHAT, past the 2000000 bytes the page
// gives its lines. The CSV, the wide CSV and JSON Lines ON-PAGE." and the
// same, of the section of `windows`, on standard error.
void WriteNotListed(const NotListed& note, Windows windows, std::string& out,
                    TextOutput& errors);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_HTML_OUTLINE_H_
