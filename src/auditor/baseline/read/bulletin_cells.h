// The cells of a bulletin row that are more than text: the date, the KB
// numbers and the updates a row replaces.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_CELLS_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_CELLS_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"

// A date written n/n/yyyy ("2/8/2010", "02/08/2010"): the Excel serial
// day of each reading, day first and month first, 0 where that reading
// is no date. False when the text is not of that form.
bool ReadSlashDate(std::string_view text, int& dayFirst, int& monthFirst);

// Date Posted as an Excel serial day: the cell's number ("39763", with a
// time of day "39763.5"), or a date as a CSV may hold it formatted
// ("2008-11-11", or n/n/yyyy in `order`; with kNotKnown only one whose
// readings agree, "11/11/2008"). False when it is none.
bool ParseDatePosted(std::string_view text, DateOrder order, int& serial);

// A KB number as a text or a number cell holds it: "958687", "958687.0",
// "KB958687" give "958687". False when it is none.
bool ParseKbNumber(std::string_view text, std::string& digits);

// Supersedes: "MS08-063[957095]", several separated by commas, a bracket
// of several KBs separated by commas or semicolons, or a bulletin without
// a KB. False, with the item that is none of these, when one is unreadable.
bool ParseSupersedes(std::string_view text, std::vector<ReplacedUpdate>& items,
                     std::string& badItem);

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_CELLS_H_
