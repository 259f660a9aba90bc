// When two hotfix names name the same fix, and the list of hotfixes every
// machine must have.
#ifndef HOTFIXES_TABLE_JUDGE_HOTFIX_NAMES_H_
#define HOTFIXES_TABLE_JUDGE_HOTFIX_NAMES_H_

#include <string>
#include <string_view>
#include <vector>

#include "table/read/machine_report.h"

// The form under which names compare: letters without case, and an old
// article number "Q823980" as the "KB823980" it was renamed to. Nothing
// else is folded.
std::string HotfixKey(std::string_view name);

// Whether `word` has the form of a HotFix key's name: Q or KB and the
// article's number, letters of a revision written on to it ("KB893803v2"),
// then any suffixes after '-' or '_' ("KB921883-v2", "KB982381-IE8",
// "KB968816_WM9"). A baseline's or a list's word of another form is a
// typing error: taken as a name, it would be a fix no machine has.
bool IsHotfixName(std::string_view word);

// The message for a word that is no hotfix name, with its likely meaning
// where one is known (a comment, names run together, quotes).
std::string NotAHotfixName(std::string_view word);

// Orders keys as a person reads them: runs of digits by their value, so
// that KB999 comes before KB1000.
bool HotfixKeyLess(const std::string& a, const std::string& b);

// The hotfixes every machine must have, as the list file names them.
class RequiredHotfixes {
 public:
  // One name per line; blank lines and lines that start with '#' are
  // ignored, blanks around a name too. A name given twice counts once. A
  // line that is not one hotfix name returns false, with `error`
  // "<fileName>:<line>: <what>" and the list left as it was.
  bool Parse(std::string_view text, std::string_view fileName,
             std::string& error);
  const std::vector<std::string>& names() const { return names_; }
  const std::vector<std::string>& keys() const { return keys_; }
  bool empty() const { return names_.empty(); }
  // The required names the report shows no entry for, in list order.
  std::vector<std::string> LackedBy(const MachineReport& report) const;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> keys_;
};

#endif  // HOTFIXES_TABLE_JUDGE_HOTFIX_NAMES_H_
