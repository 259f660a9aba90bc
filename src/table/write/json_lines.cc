#include "table/write/json_lines.h"

#include <cstdio>

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when none starts
// there: overlong forms, surrogates and code points past U+10FFFF are
// none either.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char first = byte(at);
  if (first < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

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
    const std::size_t length = Utf8SequenceAt(text, at);
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
