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
#include "auditor/table/table_options.h"
#include "auditor/vocabulary/windows_release.h"

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
std::unique_ptr<TableWriter> MakeTableWriter(const Options& options,
                                             const Judgement& judgement,
                                             TextOutput& out,
                                             TextOutput& errors);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_TABLE_WRITER_H_
