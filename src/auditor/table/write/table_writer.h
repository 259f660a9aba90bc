// Writing: the table in the format the command line asks for, one report
// at a time.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_TABLE_WRITER_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_TABLE_WRITER_H_

#include <memory>
#include <vector>

#include "auditor/files/text_output.h"
#include "auditor/table/judge/baseline.h"
#include "auditor/table/judge/changes.h"
#include "auditor/table/judge/judgement.h"
#include "auditor/table/read/machine_report.h"
#include "auditor/vocabulary/windows_release.h"

enum class Format {
  kCsv,        // a row per hotfix entry, or per requirement
  kHtml,       // the page a person looks at
  kWide,       // a CSV row per machine, a column per hotfix or requirement
  kJsonLines,  // a JSON object per machine and line
  kChanges,    // a CSV row per change since an earlier audit, and detail
};

// What the writing stage takes of the command line.
struct WriteSettings {
  Format format = Format::kCsv;  // --format
  bool byteOrderMark = false;    // --bom
  bool exposedOnly = false;      // --exposed: the findings CSV's missing and no
                                 // update rows
  bool staleColumn = false;      // --stale-after: whether each report is stale
  bool since = false;            // --since: each machine's change
};

class TableWriter {
 public:
  virtual ~TableWriter() = default;
  // `release`: the Windows of the report's OS line; `verdicts`: the
  // baseline's on the report, empty without a baseline.
  virtual void Add(const MachineReport& report, const WindowsRelease& release,
                   const std::vector<Verdict>& verdicts) = 0;
  // With --since: the change of the machine whose reports were added last,
  // or of a gone machine, in table order.
  virtual void AddChange(const MachineChange&) {}
  // With --since, before Finish: the fleet at each audit, oldest first,
  // the run itself last.
  virtual void AddAudits(const std::vector<AuditPoint>&) {}
  // Writes what waits for the last report.
  virtual void Finish() {}
};

// `errors`: where a table says what it leaves out or folds.
std::unique_ptr<TableWriter> MakeTableWriter(const WriteSettings& settings,
                                             const Judgement& judgement,
                                             TextOutput& out,
                                             TextOutput& errors);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_TABLE_WRITER_H_
