#include "table/csv_table.h"

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

}  // namespace

void AppendCsvField(std::string_view field, std::string& out) {
  const bool quoted = NeedsQuotes(field);
  if (quoted) out += '"';
  if (StartsLikeFormula(field)) out += '\'';
  for (char c : field) {
    if (c == '"' && quoted) out += '"';
    out += c;
  }
  if (quoted) out += '"';
}

void WriteCsvHeader(TextOutput& out) {
  out << "machine,status,found,os,windows,hotfix,comment,problem,reported,"
         "owner\r\n";
}

void WriteCsvRows(const MachineReport& report, TextOutput& out) {
  // The columns before and after the entry's are the same in every row.
  std::string before, after, row;
  AppendCsvField(report.machine, before);
  before += ',';
  before += StatusName(report.status);
  before += ',';
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

void WriteCsvFindingsHeader(TextOutput& out) {
  out << "machine,status,windows,requirement,title,state,hotfix,reported\r\n";
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
                      const std::vector<Verdict>& verdicts, TextOutput& out) {
  std::string before, rows;
  AppendCsvField(report.machine, before);
  before += ',';
  before += StatusName(report.status);
  before += ',';
  AppendCsvField(report.windows, before);
  before += ',';
  for (std::size_t i = 0; i < requirements.size(); ++i) {
    rows += before;
    rows += requirements[i];
    rows += VerdictStateName(verdicts[i].state);
    rows += ',';
    AppendCsvField(verdicts[i].hotfix, rows);
    rows += ',';
    rows += report.reported;
    rows += "\r\n";
  }
  out << rows;
}
