#include "auditor/table/write/changes_csv.h"

#include <string>
#include <string_view>

#include "auditor/table/write/csv_table.h"

namespace {

struct Row {
  std::string_view item, before, now;
};

void WriteRow(const std::string& start, const Row& row, const std::string& end,
              TextOutput& out) {
  std::string line = start;
  AppendCsvField(row.item, line);
  line += ',';
  AppendCsvField(row.before, line);
  line += ',';
  AppendCsvField(row.now, line);
  line += end;
  out << line;
}

}  // namespace

void WriteChangesHeader(bool staleColumn, TextOutput& out) {
  out << "machine,change,item,before,now,reported_before,reported"
      << (staleColumn ? ",stale\r\n" : "\r\n");
}

void WriteChangeRows(const MachineChange& change, const Baseline& baseline,
                     bool staleColumn, TextOutput& out) {
  std::string start, end;
  AppendCsvField(change.machine, start);
  start.append(",").append(ChangeKindName(change.kind)).append(",");
  end.append(",").append(change.reportedBefore);
  end.append(",").append(change.reported);
  if (staleColumn) end += change.stale ? ",yes" : ",";
  end += "\r\n";
  WriteRow(start, Row{}, end, out);
  for (const std::string& hotfix : change.added) {
    WriteRow(start, Row{"added", "", hotfix}, end, out);
  }
  for (const std::string& hotfix : change.removed) {
    WriteRow(start, Row{"removed", hotfix, ""}, end, out);
  }
  const bool both =
      change.kind != ChangeKind::kNew && change.kind != ChangeKind::kGone;
  if (both && change.windows != change.windowsBefore) {
    WriteRow(start, Row{"windows", change.windowsBefore, change.windows}, end,
             out);
  }
  if (both && change.status != change.statusBefore) {
    WriteRow(start,
             Row{"status", StatusName(change.statusBefore),
                 StatusName(change.status)},
             end, out);
  }
  for (const RequirementChange& requirement : change.requirements) {
    const std::string item =
        "requirement " + baseline.requirements()[requirement.requirement].id;
    WriteRow(start,
             Row{item, VerdictStateName(requirement.before),
                 VerdictStateName(requirement.now)},
             end, out);
  }
}
