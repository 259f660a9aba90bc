#include "auditor/table/write/html_since.h"

#include <algorithm>

#include "auditor/table/write/html_text.h"

const char kSinceStyle[] =
    "#since ul{list-style:none;margin:0 0 6px;padding:0}"
    "#since li{display:inline-block;margin:0 6px 4px 0;padding:2px 8px;"
    "border-radius:3px;background:#eee}"
    "#since li.g,#since li.x{background:#d9302c;color:#fff}"
    "#since li.r{background:#fbe9a6}"
    "#audits{display:block;margin:6px 0;max-width:100%}"
    "#audits text{font:11px system-ui,sans-serif;fill:#333}"
    "#audits .axis{stroke:#999;fill:none}"
    "#audits polyline{fill:none;stroke-width:2}"
    // Exposed machines may be all that report: both lines stay in view.
    "#audits .reporting polyline{stroke-width:4;stroke-opacity:.5}"
    "#audits .exposed polyline{stroke-dasharray:6 4}"
    "b.st{color:#a4161a}";

namespace {

struct Series {
  const char* name;
  const char* colour;
  std::size_t AuditPoint::*count;
};

const Series kSeries[] = {
    {"reporting", "#2b6cb0", &AuditPoint::reporting},
    {"gone", "#555555", &AuditPoint::gone},
    {"stale", "#dd8a00", &AuditPoint::stale},
    {"exposed", "#d9302c", &AuditPoint::exposed},
};

const int kWidth = 640, kHeight = 240;
// Room for half a date beside the first and last point.
const int kLeft = 48, kRight = 40, kTop = 28, kBottom = 40;

std::string DateOf(const std::string& time) {
  return time.size() >= 10 ? time.substr(0, 10) : std::string("date unknown");
}

int XOf(std::size_t audit, std::size_t audits) {
  if (audits < 2) return kLeft;
  return kLeft +
         static_cast<int>(audit * (kWidth - kLeft - kRight) / (audits - 1));
}

int YOf(std::size_t value, std::size_t highest) {
  const int span = kHeight - kTop - kBottom;
  return kHeight - kBottom -
         static_cast<int>(value * static_cast<std::size_t>(span) / highest);
}

void WriteAxes(const std::vector<AuditPoint>& audits, std::size_t highest,
               TextOutput& out) {
  const std::string bottom = std::to_string(kHeight - kBottom);
  out << "<path class=axis d=\"M" << std::to_string(kLeft) << " "
      << std::to_string(kTop) << "V" << bottom << "H"
      << std::to_string(kWidth - kRight) << "\"/>";
  out << "<text x=" << std::to_string(kLeft - 6) << " y=" << bottom
      << " text-anchor=end>0</text><text x=" << std::to_string(kLeft - 6)
      << " y=" << std::to_string(kTop + 4) << " text-anchor=end>"
      << std::to_string(highest) << "</text>";
  for (std::size_t i = 0; i < audits.size(); ++i) {
    out << "<text class=date x=" << std::to_string(XOf(i, audits.size()))
        << " y=" << std::to_string(kHeight - kBottom + 16)
        << " text-anchor=middle>" << HtmlEscaped(DateOf(audits[i].date))
        << "</text>";
  }
}

void WriteSeries(const Series& series, const std::vector<AuditPoint>& audits,
                 std::size_t highest, TextOutput& out) {
  out << "<g class=\"series " << series.name << "\" stroke=\"" << series.colour
      << "\" fill=\"" << series.colour << "\"><polyline points=\"";
  for (std::size_t i = 0; i < audits.size(); ++i) {
    out << (i == 0 ? "" : " ") << std::to_string(XOf(i, audits.size())) << ","
        << std::to_string(YOf(audits[i].*series.count, highest));
  }
  out << "\"/>";
  for (std::size_t i = 0; i < audits.size(); ++i) {
    const std::size_t value = audits[i].*series.count;
    out << "<circle cx=" << std::to_string(XOf(i, audits.size()))
        << " cy=" << std::to_string(YOf(value, highest)) << " r=3><title>"
        << HtmlEscaped(DateOf(audits[i].date)) << ": " << std::to_string(value)
        << " " << series.name << "</title></circle>";
  }
  out << "</g>";
}

void WriteLegend(const std::vector<const Series*>& shown, TextOutput& out) {
  int x = kLeft;
  for (const Series* series : shown) {
    // Quoted: an unquoted value would take in the "/" of "/>".
    out << "<rect x=" << std::to_string(x) << " y=8 width=10 height=10 fill=\""
        << series->colour << "\"/><text x=" << std::to_string(x + 14)
        << " y=17>machines " << series->name << "</text>";
    x += 140;
  }
}

// "A, B, C", each name escaped.
std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += ", ";
    AppendHtmlEscaped(names[i], list);
  }
  return list;
}

void WriteNames(const char* label, const std::vector<std::string>& names,
                TextOutput& out) {
  if (names.empty()) return;
  out << "<p><b>" << label << ":</b> " << NameList(names) << "\n";
}

}  // namespace

void WriteAuditPicture(const std::vector<AuditPoint>& audits, bool stale,
                       bool exposed, TextOutput& out) {
  std::vector<const Series*> shown;
  for (const Series& series : kSeries) {
    const std::string name = series.name;
    if ((name == "stale" && !stale) || (name == "exposed" && !exposed)) {
      continue;
    }
    shown.push_back(&series);
  }
  std::size_t highest = 1;
  for (const AuditPoint& audit : audits) {
    for (const Series* series : shown) {
      highest = std::max(highest, audit.*series->count);
    }
  }
  out << "<svg id=audits xmlns=\"http://www.w3.org/2000/svg\" width="
      << std::to_string(kWidth) << " height=" << std::to_string(kHeight)
      << " viewBox=\"0 0 " << std::to_string(kWidth) << " "
      << std::to_string(kHeight)
      << "\" role=img><title>The fleet over the audits</title>";
  WriteLegend(shown, out);
  WriteAxes(audits, highest, out);
  for (const Series* series : shown) WriteSeries(*series, audits, highest, out);
  out << "</svg>\n";
}

void SinceSection::Add(const MachineChange& change) {
  ++counts_[static_cast<int>(change.kind)];
  if (change.kind == ChangeKind::kGone) gone_.push_back(change.machine);
  if (change.kind == ChangeKind::kNotRefreshed) {
    notRefreshed_.push_back(change.machine);
  }
  if (change.exposed && !change.exposedBefore) {
    newlyExposed_.push_back(change.machine);
  }
  if (change.exposedBefore && !change.exposed &&
      change.kind != ChangeKind::kGone) {
    fixed_.push_back(change.machine);
  }
  if (!change.removed.empty()) {
    std::string text = HtmlEscaped(change.machine) + " (";
    text += NameList(change.removed);
    removed_.push_back(text + ")");
  }
}

void SinceSection::Write(const Fleet& fleet, TextOutput& out) const {
  std::vector<std::string> stale;
  for (const FleetMachine& machine : fleet.machines) {
    if (machine.stale) stale.push_back(machine.machine);
  }
  if (audits_.empty() && stale.empty()) return;
  out << "<section id=since>\n";
  if (audits_.size() >= 2) {
    const AuditPoint& earlier = audits_[audits_.size() - 2];
    out << "<h2 title=\"newest report of the earlier audit: "
        << HtmlEscaped(earlier.date) << "\">Since "
        << HtmlEscaped(DateOf(earlier.date)) << "</h2>\n";
    if (audits_.size() >= 3) {
      WriteAuditPicture(audits_, fleet.staleAsked, !fleet.requirements.empty(),
                        out);
    }
    out << "<ul>";
    const char* classes[] = {"", "g", "r", "", ""};
    for (int kind = 0; kind < kChangeKindCount; ++kind) {
      out << "<li";
      if (counts_[kind] > 0 && *classes[kind] != '\0') {
        out << " class=" << classes[kind];
      }
      out << ">" << std::to_string(counts_[kind]) << " "
          << ChangeKindName(static_cast<ChangeKind>(kind));
    }
    out << "</ul>\n";
    WriteNames("Gone", gone_, out);
    WriteNames("Not refreshed", notRefreshed_, out);
    if (!removed_.empty()) {
      out << "<p><b>Hotfixes removed:</b> ";
      for (std::size_t i = 0; i < removed_.size(); ++i) {
        out << (i == 0 ? "" : "; ") << removed_[i];
      }
      out << "\n";
    }
    WriteNames("Newly exposed", newlyExposed_, out);
    WriteNames("Fixed", fixed_, out);
  }
  WriteNames("Stale", stale, out);
  out << "</section>\n";
}
