#include "auditor/table/write/json_lines.h"

#include <cstdio>

#include "auditor/text/utf8.h"

namespace {

void AppendEscapedByte(unsigned char c, std::string& out) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (c < 0x20) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
    out += escaped;
  } else {
    out += static_cast<char>(c);
  }
}

void AppendMember(const char* name, std::string_view value, std::string& out) {
  out.append(",\"").append(name).append("\":");
  AppendJsonString(value, out);
}

// A number as the report gave it, or null when it gave none.
void AppendNumberMember(const char* name, std::string_view digits,
                        std::string& out) {
  out.append(",\"").append(name).append("\":");
  if (digits.empty()) {
    out += "null";
  } else {
    out.append(digits);
  }
}

void AppendHotfixes(const MachineReport& report, std::string& out) {
  out += ",\"hotfixes\":[";
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    out += i == 0 ? "{\"hotfix_id\":" : ",{\"hotfix_id\":";
    AppendJsonString(report.entries[i].name, out);
    AppendMember("comment", report.entries[i].comment, out);
    out += '}';
  }
  out += ']';
}

void AppendFindings(const Baseline& baseline,
                    const std::vector<Verdict>& verdicts, std::string& out) {
  out += ",\"findings\":[";
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    out += i == 0 ? "{\"requirement\":" : ",{\"requirement\":";
    AppendJsonString(baseline.requirements()[i].id, out);
    AppendMember("state", VerdictStateName(verdicts[i].state), out);
    AppendMember("hotfix", verdicts[i].hotfix, out);
    out += '}';
  }
  out += ']';
}

}  // namespace

void AppendJsonString(std::string_view text, std::string& out) {
  out += '"';
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      out += "\\uFFFD";
      ++at;
    } else if (length == 1) {
      AppendEscapedByte(static_cast<unsigned char>(text[at]), out);
      ++at;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  out += '"';
}

void AppendJsonLineStart(const MachineReport& report,
                         const WindowsRelease& release,
                         const Baseline& baseline,
                         const std::vector<Verdict>& verdicts,
                         std::string& line) {
  line = "{\"machine\":";
  AppendJsonString(report.machine, line);
  AppendMember("status", StatusName(report.status), line);
  AppendMember("windows", release.name(), line);
  AppendNumberMember(
      "service_pack",
      release.known() ? std::to_string(release.servicePack) : std::string(),
      line);
  AppendMember("os", report.os, line);
  AppendNumberMember("found", report.found, line);
  AppendMember("problem", report.problem, line);
  AppendMember("reported", report.reported, line);
  AppendMember("owner", report.owner, line);
  AppendHotfixes(report, line);
  if (!baseline.empty()) AppendFindings(baseline, verdicts, line);
}

void WriteJsonLine(const MachineReport& report, const WindowsRelease& release,
                   const Baseline& baseline,
                   const std::vector<Verdict>& verdicts, TextOutput& out) {
  std::string line;
  AppendJsonLineStart(report, release, baseline, verdicts, line);
  line += "}\n";
  out << line;
}
