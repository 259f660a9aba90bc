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

void AppendField(std::string_view field, std::string& out) {
  const bool quoted = NeedsQuotes(field);
  if (quoted) out += '"';
  if (StartsLikeFormula(field)) out += '\'';
  for (char c : field) {
    if (c == '"' && quoted) out += '"';
    out += c;
  }
  if (quoted) out += '"';
}

}  // namespace

void WriteCsvHeader(TextOutput& out) {
  out << "machine,status,found,os,windows,hotfix,comment,problem,reported,"
         "owner\r\n";
}

void WriteCsvRows(const MachineReport& report, TextOutput& out) {
  // The columns before and after the entry's are the same in every row.
  std::string before, after, row;
  AppendField(report.machine, before);
  before += ',';
  before += StatusName(report.status);
  before += ',';
  AppendField(report.found, before);
  before += ',';
  AppendField(report.os, before);
  before += ',';
  AppendField(report.windows, before);
  before += ',';
  after += ',';
  AppendField(report.problem, after);
  after += ',';
  after += report.reported;
  after += ',';
  AppendField(report.owner, after);
  after += "\r\n";

  if (report.entries.empty()) {
    out << before << "," << after;
    return;
  }
  for (const HotfixEntry& entry : report.entries) {
    row.assign(before);
    AppendField(entry.name, row);
    row += ',';
    AppendField(entry.comment, row);
    row += after;
    out << row;
  }
}

void WriteCsvFindingsHeader(TextOutput& out) {
  out << "machine,status,windows,requirement,title,state,hotfix,reported\r\n";
}

void WriteCsvFindings(const MachineReport& report, const Baseline& baseline,
                      const std::vector<Verdict>& verdicts, TextOutput& out) {
  std::string before, row;
  AppendField(report.machine, before);
  before += ',';
  before += StatusName(report.status);
  before += ',';
  AppendField(report.windows, before);
  before += ',';
  const std::vector<BaselineRequirement>& requirements =
      baseline.requirements();
  for (std::size_t i = 0; i < requirements.size(); ++i) {
    row.assign(before);
    AppendField(requirements[i].id, row);
    row += ',';
    AppendField(requirements[i].title, row);
    row += ',';
    row += VerdictStateName(verdicts[i].state);
    row += ',';
    AppendField(verdicts[i].hotfix, row);
    row += ',';
    row += report.reported;
    row += "\r\n";
    out << row;
  }
}
