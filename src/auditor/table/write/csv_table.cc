#include "auditor/table/write/csv_table.h"

#include <string>
#include <string_view>

namespace {

// A field as RFC 4180 has it: in double quotes, its own doubled, when it
// holds a comma, a double quote or a line break; as it is otherwise.
bool NeedsQuotes(std::string_view field) {
  for (char c : field) {
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// Whoever may write the share writes these fields. A spreadsheet takes a
// cell that starts with = + - or @ as a formula, and skips a leading TAB or
// CR to find one behind it; a leading ' makes any of them plain text.
bool StartsLikeFormula(std::string_view field) {
  if (field.empty()) return false;
  switch (field.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r': return true;
    default: return false;
  }
}

// "machine,status,": how both tables' rows start.
void AppendMachineAndStatus(const MachineReport& report, std::string& out) {
  AppendCsvField(report.machine, out);
  out += ',';
  out += StatusName(report.status);
  out += ',';
}

}  // namespace

void AppendCsvField(std::string_view field, std::string& out) {
  if (!NeedsQuotes(field)) {
    if (StartsLikeFormula(field)) out += '\'';
    out.append(field.data(), field.size());
    return;
  }
  out += '"';
  if (StartsLikeFormula(field)) out += '\'';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string CsvFieldValue(std::string_view field) {
  std::string value;
  if (StartsLikeFormula(field)) value += '\'';
  value.append(field.data(), field.size());
  return value;
}

void WriteCsvHeader(TextOutput& out, bool staleColumn) {
  out << "machine,status,found,os,windows,hotfix,comment,problem,reported,"
         "owner"
      << (staleColumn ? ",stale\r\n" : "\r\n");
}

void WriteCsvRows(const MachineReport& report, TextOutput& out,
                  bool staleColumn) {
  // The columns before and after the entry's are the same in every row.
  std::string before, after, row;
  AppendMachineAndStatus(report, before);
  AppendCsvField(report.found, before);
  before += ',';
  AppendCsvField(report.os, before);
  before += ',';
  AppendCsvField(report.windows, before);
  before += ',';
  after += ',';
  AppendCsvField(report.problem, after);
  after += ',';
  after += report.reported;
  after += ',';
  AppendCsvField(report.owner, after);
  if (staleColumn) after += report.stale ? ",yes" : ",";
  after += "\r\n";

  if (report.entries.empty()) {
    out << before << "," << after;
    return;
  }
  for (const HotfixEntry& entry : report.entries) {
    row.assign(before);
    AppendCsvField(entry.name, row);
    row += ',';
    AppendCsvField(entry.comment, row);
    row += after;
    out << row;
  }
}

void WriteCsvFindingsHeader(TextOutput& out, bool staleColumn) {
  out << "machine,status,windows,requirement,title,state,hotfix,reported"
      << (staleColumn ? ",stale\r\n" : "\r\n");
}

std::vector<std::string> CsvRequirementFields(const Baseline& baseline) {
  std::vector<std::string> fields;
  for (const BaselineRequirement& requirement : baseline.requirements()) {
    fields.emplace_back();
    AppendCsvField(requirement.id, fields.back());
    fields.back() += ',';
    AppendCsvField(requirement.title, fields.back());
    fields.back() += ',';
  }
  return fields;
}

void WriteCsvFindings(const MachineReport& report,
                      const std::vector<std::string>& requirements,
                      const std::vector<Verdict>& verdicts, bool exposedOnly,
                      TextOutput& out, bool staleColumn) {
  // Three million rows for a large fleet: the state names are measured
  // once.
  static const std::string_view kStates[] = {
      VerdictStateName(VerdictState::kInstalled),
      VerdictStateName(VerdictState::kMissing),
      VerdictStateName(VerdictState::kNoUpdate),
      VerdictStateName(VerdictState::kNotAffected),
      VerdictStateName(VerdictState::kNotCovered),
      VerdictStateName(VerdictState::kUnknown)};
  std::string before, hotfix;
  const std::string_view end = !staleColumn   ? "\r\n"
                               : report.stale ? ",yes\r\n"
                                              : ",\r\n";
  AppendMachineAndStatus(report, before);
  AppendCsvField(report.windows, before);
  before += ',';
  for (std::size_t i = 0; i < requirements.size(); ++i) {
    if (exposedOnly && !IsExposed(verdicts[i].state)) continue;
    hotfix.clear();
    AppendCsvField(verdicts[i].hotfix, hotfix);
    out << before << requirements[i]
        << kStates[static_cast<int>(verdicts[i].state)] << "," << hotfix << ","
        << report.reported << end;
  }
}
