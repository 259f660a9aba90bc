// The page's part for --since: what changed since the earlier audit (the
// count of each change, the gone and not refreshed machines by name, the
// hotfixes removed, the machines newly exposed and fixed), the stale
// reports, and with two or more earlier audits a picture of the fleet over
// them: inline SVG, no script, so the page stays one file.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_HTML_SINCE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_HTML_SINCE_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/changes.h"
#include "auditor/table/write/fleet.h"

extern const char kSinceStyle[];

class SinceSection {
 public:
  void Add(const MachineChange& change);
  // Oldest first, the run itself last.
  void SetAudits(std::vector<AuditPoint> audits) {
    audits_ = std::move(audits);
  }
  // Writes the section when there is anything for it: an earlier audit,
  // or stale reports.
  void Write(const Fleet& fleet, TextOutput& out) const;

 private:
  std::size_t counts_[kChangeKindCount] = {};
  std::vector<std::string> gone_, notRefreshed_, newlyExposed_, fixed_;
  // A machine's name and the hotfixes it no longer lists, already escaped.
  std::vector<std::string> removed_;
  std::vector<AuditPoint> audits_;
};

// The fleet over the audits as an SVG line chart: a point per audit and
// series, the dates on the axis.
void WriteAuditPicture(const std::vector<AuditPoint>& audits, bool stale,
                       bool exposed, TextOutput& out);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_HTML_SINCE_H_
