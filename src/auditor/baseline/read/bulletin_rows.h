// One row of Microsoft's security bulletin data: one update of one
// bulletin for one affected product, as the read stage hands it on. Every
// text is the cell's UTF-8 text with its leading and trailing blanks
// removed; nothing else is changed, so it is as untrusted as the file.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_ROWS_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_ROWS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// An update that a row replaces on its product: "MS08-063[957095]" is
// {"MS08-063", "957095"}; a bulletin named without a KB ("MS00-006") has
// an empty kb. One bracket of several KBs gives one item per KB.
struct ReplacedUpdate {
  std::string bulletin;
  std::string kb;
};

struct BulletinRow {
  std::int64_t rowNumber = 0;  // in the sheet; the header is row 1
  int datePosted = 0;          // Excel serial day (1 = 1900-01-01); 0: none
  std::string bulletinId;      // "MS09-001"; never empty
  std::string bulletinKb;      // "958687"
  std::string severity;        // the bulletin's, "Critical"
  std::string title;           // the bulletin's
  std::string product;         // Affected Product
  std::string componentKb;     // the update's KB, digits; may be empty
  std::string component;       // Affected Component; empty: the product
  std::vector<ReplacedUpdate> supersedes;
  // Source, a column Microsoft's files lack: the page the row was read
  // from. Empty when the file has no such column.
  std::string source;
};

// Where the read stage delivers rows, one at a time, so that a sheet of
// many thousand rows is never held whole.
class BulletinRowSink {
 public:
  virtual ~BulletinRowSink() = default;
  virtual void Add(const BulletinRow& row) = 0;
};

// How a date written n/n/yyyy is read: 02/08/2010 is 2 August as a UK
// (or French, German ...) spreadsheet writes it, February 8 as a US one.
enum class DateOrder { kNotKnown, kDayFirst, kMonthFirst };

// What reading one file gave, for the baseline's head and standard error.
struct BulletinFileFacts {
  std::string name;           // as the command line gave it
  std::string sha256;         // of the file's bytes, 64 lower-case hex digits
  std::int64_t rowsRead = 0;  // data rows, without the header
  // Rows left out because they cannot be read: row number and why, in the
  // order of their numbers.
  std::vector<std::pair<std::int64_t, std::string>> badRows;
  // The rows dated n/n/yyyy that are another day in the other order (not
  // 05/05/2010), and the order they were read in: given by --date-order,
  // or the one more of them show, being no date in the other order
  // (25/08/2010 day first). Those that show the other order are left out.
  std::int64_t orderedDates = 0;
  DateOrder dateOrder = DateOrder::kNotKnown;
  bool dateOrderGiven = false;
  std::int64_t datesShowingOrder = 0;
  std::int64_t datesAgainstOrder = 0;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_ROWS_H_
