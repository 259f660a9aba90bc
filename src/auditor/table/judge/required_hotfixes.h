// The list of hotfixes every machine must have (--require), and what a
// report lacks of it, by the rule of hotfix_names.h.
#ifndef HOTFIXES_AUDITOR_TABLE_JUDGE_REQUIRED_HOTFIXES_H_
#define HOTFIXES_AUDITOR_TABLE_JUDGE_REQUIRED_HOTFIXES_H_

#include <string>
#include <string_view>
#include <vector>

#include "auditor/table/read/machine_report.h"

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
  // The required names that no entry of the report satisfies, in list
  // order.
  std::vector<std::string> LackedBy(const MachineReport& report) const;

 private:
  std::vector<std::string> names_;
  std::vector<std::string> keys_;
};

#endif  // HOTFIXES_AUDITOR_TABLE_JUDGE_REQUIRED_HOTFIXES_H_
