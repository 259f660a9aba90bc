#include "table/write/wide_table.h"

#include <string>

#include "table/write/csv_table.h"

namespace {

void AppendHeader(const Fleet& fleet, std::string& row) {
  row = "machine,status,windows,os,found,reported";
  if (!fleet.requirements.empty()) {
    for (const BaselineRequirement& requirement : fleet.requirements) {
      row += ',';
      AppendCsvField(requirement.id, row);
    }
  } else {
    for (const FleetColumn& column : fleet.columns) {
      row += ',';
      AppendCsvField(column.name, row);
    }
  }
  if (fleet.staleAsked) row += ",stale";
  row += "\r\n";
}

void AppendRow(const Fleet& fleet, const FleetMachine& machine,
               std::string& row) {
  row.clear();
  AppendCsvField(machine.machine, row);
  row.append(",").append(StatusName(machine.status)).append(",");
  AppendCsvField(machine.windows, row);
  row += ',';
  AppendCsvField(machine.os, row);
  row.append(",").append(machine.found).append(",");
  row += machine.reported;
  if (!fleet.requirements.empty()) {
    for (const FleetFinding& finding : machine.findings) {
      row.append(",").append(VerdictStateName(finding.state));
    }
  } else {
    auto present = machine.present.begin();
    for (std::size_t c = 0; c < fleet.columns.size(); ++c) {
      const bool has = present != machine.present.end() && *present == c;
      row += has ? ",1" : ",";
      if (has) ++present;
    }
  }
  if (fleet.staleAsked) row += machine.stale ? ",yes" : ",";
  row += "\r\n";
}

}  // namespace

void WriteWideCsv(const Fleet& fleet, TextOutput& out) {
  std::string row;
  AppendHeader(fleet, row);
  out << row;
  for (const FleetMachine& machine : fleet.machines) {
    AppendRow(fleet, machine, row);
    out << row;
  }
}
