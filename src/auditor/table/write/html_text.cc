#include "auditor/table/write/html_text.h"

const char kPresentMark[] = "\xE2\x9C\x93";
const char kLackingMark[] = "\xE2\x9C\x97";

void AppendHtmlEscaped(std::string_view text, std::string& out) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // A control character has no place in a page; it shows as the
        // replacement character, so that it is seen to be there.
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
          out += "&#xFFFD;";
        } else {
          out += c;
        }
    }
  }
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(text, out);
  return out;
}

std::string_view StatusClass(ReportStatus status) {
  switch (status) {
    case ReportStatus::kComplete: return std::string_view();
    case ReportStatus::kFailed: return "f";
    case ReportStatus::kIncomplete: return "i";
    case ReportStatus::kUnreadable: break;
  }
  return "u";
}

const char* SectionName(Windows windows) {
  const char* name = WindowsName(windows);
  return *name != '\0' ? name : "Unknown Windows";
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

namespace {

// "SP3", or "no service pack" for a known Windows without one; empty when
// the Windows is unknown.
std::string LevelName(const WindowsRelease& release) {
  const std::string name = release.ServicePackName();
  return name.empty() && release.known() ? "no service pack" : name;
}

}  // namespace

void AppendLevelRowStart(const Fleet& fleet, const PatchLevel& level,
                         std::string_view id, std::string& row) {
  const FleetMachine& first = fleet.machines[level.machines[0]];
  row += "<tr";
  if (!id.empty()) row.append(" id=").append(id);
  const std::string_view rowClass = StatusClass(first.status);
  if (!rowClass.empty()) row.append(" class=").append(rowClass);
  if (level.machines.size() == 1) {
    const std::string name = HtmlEscaped(first.machine);
    row.append("><th title=\"").append(name).append("\"><span>");
    row.append(name).append("</span>");
    if (first.status != ReportStatus::kComplete) {
      row.append("<i>").append(StatusName(first.status)).append("</i>");
    }
    return;
  }
  // Reports of one patch level are complete.
  const std::string count =
      Plural(level.machines.size(), "machine", "machines");
  std::string label = LevelName(first.release);
  label.append(label.empty() ? "" : ": ").append(count);
  row.append("><th title=\"").append(label).append("\"><details><summary>");
  row.append(label).append("</summary>");
  for (std::size_t m : level.machines) {
    row += "<span>";
    AppendHtmlEscaped(fleet.machines[m].machine, row);
    row += "</span>";
  }
  row += "</details>";
}

void AppendLevelLineStart(const Fleet& fleet, const PatchLevel& level,
                          std::string_view id, std::string& line) {
  const FleetMachine& first = fleet.machines[level.machines[0]];
  line.append("<li id=").append(id);
  const std::string_view lineClass = StatusClass(first.status);
  if (!lineClass.empty()) line.append(" class=").append(lineClass);
  line += ">";
  const std::string label = LevelName(first.release);
  if (!label.empty()) line.append("<b>").append(label).append("</b> ");
  for (std::size_t i = 0; i < level.machines.size(); ++i) {
    if (i > 0) line += ", ";
    AppendHtmlEscaped(fleet.machines[level.machines[i]].machine, line);
  }
  if (first.status != ReportStatus::kComplete) {
    line.append(" <i>").append(StatusName(first.status)).append("</i>");
  }
  line += ": ";
}
