#include "auditor/baseline/catalog/catalog_head.h"

#include <cstddef>

#include "auditor/baseline/catalog/bulletin_dates.h"
#include "auditor/baseline/catalog/windows_levels.h"
#include "auditor/text/visible_text.h"

namespace {

const char* const kLeftOutNames[kLeftOutReasons] = {
    "bulletin already read from an earlier file",
    "bulletin ID not one word of letters, digits, '-', '_', '.'",
    "Itanium",
    "editions not told apart (Server Core, Media Center, Tablet PC)",
    "Windows Vista and later",
    "other products (or none)",
    "service packs their Windows never had",
    "components no --component names",
    "update KB missing or not a number",
    "bulletin ID of the form of one update's requirement (ID-KBnnn)",
};

// How each state was decided, for whoever reads the baseline.
const char* const kHowDecided[] = {
    "How each state was decided:",
    "- installed, missing: the bulletin's rows name the Windows and level. "
    "The rule holds the update's KB and every update that replaces it on "
    "that product, followed through the Supersedes column of later rows as "
    "far as it goes; any of them satisfies it. Where one level needs "
    "several updates of a bulletin, each is a requirement of its own "
    "(BULLETIN-KBnnn).",
    "- in service pack: the rows do not name the level, and its service "
    "pack came out after the bulletin while an earlier level needed the "
    "update (an earlier level that was not affected makes it not affected).",
    "- no update: the rows do not name the level, and its support had "
    "ended before the bulletin's date: no update was offered for it.",
    "- not affected: the rows do not name the level although it was "
    "supported on the bulletin's date (Microsoft's bulletins: unlisted "
    "versions \"are either past their support life cycle or are not "
    "affected\"), or they name it for the bulletin's other updates only.",
    "- not covered (no rule): the sources leave it open: a level without a "
    "known date, or between two dates that sources give for its end; "
    "a level that existed on the date of a bulletin before 2004 whose rows "
    "name no service pack (the bulletins of those years list products); "
    "a level named only by rows left out (components, editions).",
    "Rows in the data win over dates (an update published after a level's "
    "end is a rule like any other).",
    "Where the data has a Source column, the comment lines above each "
    "requirement name the pages its rows were read from.",
    "Windows Vista and later are not covered: from Vista on, installed "
    "updates come from component servicing and are not recorded as HotFix "
    "keys (Microsoft's WMI documentation of Win32_QuickFixEngineering), so "
    "a report does not show them.",
    "Windows Server 2003 SP1 stands for the x86 Service Pack 1 and for the "
    "x64 editions and R2 without a service pack, which report Service Pack "
    "1 and are built on its code: their rows are joined, and any of their "
    "updates satisfies the rule. SP2 joins x86, x64 and R2 alike. SP0 is "
    "the x86 release without a service pack. Windows XP x64 without a "
    "service pack is judged at SP0 and SP1 alike.",
    "A rule names each update by its KB number. A machine's HotFix key "
    "may write more on after the number, for a component's package or a "
    "re-release: KB975558_WM8, KB978695_WM9, KB2510531-IE8, KB2536276-v2, "
    "KB893803v2, KB2803821-v2_WM9; each satisfies the rule of its number, "
    "as Q147222 satisfies KB147222. Another number (KB9755580) does not, "
    "nor a name that is no Q or KB and a number.",
    "The data has errors of its own: this baseline is text; correct a rule "
    "by hand where you know better.",
};

void AddLine(std::string& out, const std::string& text) {
  out += "#";
  if (!text.empty()) out += " " + text;
  out += "\r\n";
}

// `text` in lines of at most about 76 characters, the first starting
// with `first`, the others with `indent`.
void AddParagraph(std::string& out, const std::string& text,
                  const std::string& indent, const std::string& first = "") {
  const std::size_t kWidth = 76;
  std::string line = first;
  bool words = false;  // the line holds a word
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    if (words && line.size() + 1 + word.size() > kWidth) {
      AddLine(out, line);
      line = indent;
      words = false;
    }
    if (words) line += ' ';
    line += word;
    words = true;
  }
  if (words) AddLine(out, line);
}

// How the file's dates written n/n/yyyy were read, and why.
void AddDateOrder(std::string& out, const BulletinFileFacts& file) {
  const bool dayFirst = file.dateOrder == DateOrder::kDayFirst;
  std::string line = std::string("  dates n/n/yyyy: ") +
                     (dayFirst ? "day/month/year" : "month/day/year");
  if (file.dateOrderGiven) {
    line += dayFirst ? " (--date-order dmy)" : " (--date-order mdy)";
  } else {
    line +=
        ", as " + std::to_string(file.datesShowingOrder) + " of its rows show";
  }
  AddLine(out, line);
  if (file.datesAgainstOrder > 0) {
    AddLine(out, "  rows dated in the other order only (left out): " +
                     std::to_string(file.datesAgainstOrder));
  }
}

void AddFiles(std::string& out, const std::vector<BulletinFileFacts>& files) {
  for (const BulletinFileFacts& file : files) {
    AddLine(out, "File: " + Visible(file.name));
    AddLine(out, "  SHA-256: " + Visible(file.sha256));
    std::string rows = "  rows read: " + std::to_string(file.rowsRead);
    if (!file.badRows.empty()) {
      rows += ", of which cannot be read (left out): " +
              std::to_string(file.badRows.size());
    }
    AddLine(out, rows);
    if (file.orderedDates > 0) AddDateOrder(out, file);
  }
}

std::string RowsText(std::int64_t rows) {
  return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

// Each --component with the Affected Components it took, so that a name
// that took more than meant, or nothing at all, shows.
void AddComponents(
    std::string& out, const std::vector<std::string>& components,
    const std::vector<std::vector<std::pair<std::string, std::int64_t>>>&
        taken) {
  if (components.empty()) {
    AddLine(out, "Components included (--component): none");
    return;
  }
  AddLine(out, "Components included (--component):");
  for (std::size_t i = 0; i < components.size(); ++i) {
    const std::string asked = "\"" + Visible(components[i]) + "\" took";
    if (i >= taken.size() || taken[i].empty()) {
      AddParagraph(out,
                   asked +
                       " nothing: no Windows component of the data starts "
                       "with it up to a word's end (--components lists them)",
                   "    ", "  ");
      continue;
    }
    AddLine(out, "  " + asked + ":");
    for (const auto& component : taken[i]) {
      AddLine(out, "    " + Visible(component.first) + ": " +
                       RowsText(component.second));
    }
  }
}

void AddRows(std::string& out, const CatalogFigures& figures,
             const std::vector<std::string>& components) {
  AddLine(out, "Rows used: " + std::to_string(figures.rowsUsed));
  AddLine(out, "Rows left out:");
  for (int i = 0; i < kLeftOutReasons; ++i) {
    if (figures.rowsLeftOut[static_cast<std::size_t>(i)] == 0) continue;
    AddLine(out, "  " + std::string(kLeftOutNames[i]) + ": " +
                     std::to_string(
                         figures.rowsLeftOut[static_cast<std::size_t>(i)]));
  }
  AddComponents(out, components, figures.componentsTaken);
  AddLine(out,
          "Bulletins: " + std::to_string(figures.bulletinsRead) + " read, " +
              std::to_string(figures.bulletinsUsed) + " used, " +
              std::to_string(figures.bulletinsRead - figures.bulletinsUsed) +
              " left out (none of their rows used)");
  AddLine(out, "Requirements: " + std::to_string(figures.requirements));
  if (figures.chainsCut > 0) {
    AddLine(out, "Levels whose replacements were cut at the nearest " +
                     std::to_string(kMostReplacements) + ": " +
                     std::to_string(figures.chainsCut));
  }
  if (!figures.newestBulletin.empty()) {
    std::string newest = "Newest bulletin: " + Visible(figures.newestBulletin);
    if (figures.newestDate > 0) {
      newest += ", posted " + DateText(figures.newestDate);
    }
    AddLine(out, newest);
  }
}

std::string LevelDatesText(const StatedLevel& stated) {
  std::string text = std::string(WindowsName(stated.windows)) + " SP" +
                     std::to_string(stated.level) + ":";
  if (stated.dates.released > 0) {
    text += " out " + DateText(stated.dates.released) + ";";
  }
  if (stated.dates.supportedUntil > 0) {
    text += " updates to " + DateText(stated.dates.supportedUntil);
    if (stated.dates.endedAfter != stated.dates.supportedUntil) text += ",";
  }
  if (stated.dates.endedAfter != stated.dates.supportedUntil) {
    text += " none after " + DateText(stated.dates.endedAfter);
  }
  if (stated.note) text += " (" + std::string(stated.note) + ")";
  return text + " [" + stated.sources + "]";
}

void AddDates(std::string& out) {
  AddParagraph(out,
               "Release and end-of-support dates, from Microsoft's lifecycle "
               "pages, its service-pack roadmap and the FAQs of its "
               "bulletins (a level without dates of its own existed by the "
               "day a later one came out, and was offered no update after a "
               "later one's end):",
               "  ");
  for (const StatedLevel& stated : StatedLevels()) {
    AddParagraph(out, LevelDatesText(stated), "      ", "  ");
  }
  AddLine(out, "Their sources:");
  for (const DateSource& source : DateSources()) {
    AddParagraph(out, std::string(source.name) + ": " + source.address,
                 "      ", "  ");
  }
}

}  // namespace

std::string CatalogHead(const std::vector<BulletinFileFacts>& files,
                        const std::vector<std::string>& components,
                        const CatalogFigures& figures) {
  std::string out;
  AddLine(out,
          "Microsoft's security bulletins as a baseline for hotfixes-table "
          "--baseline,");
  AddLine(out,
          "written by hotfixes-baseline from the bulletin data of the files "
          "below.");
  AddFiles(out, files);
  AddRows(out, figures, components);
  AddLine(out, "");
  for (const char* paragraph : kHowDecided) {
    AddParagraph(out, paragraph, "  ");
  }
  AddDates(out);
  AddLine(out, "");
  return out;
}
