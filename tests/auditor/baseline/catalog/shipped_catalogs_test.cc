// The catalogs the project ships in baselines/: each reads with
// hotfixes-table's own reader, holds what its head counts, names the
// sources of its rows, and judges the worm bulletins on the levels of a
// fleet as the bulletins' pages state.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "auditor/table/judge/baseline.h"
#include "support/verdict_on.h"

namespace {

struct Shipped {
  const char* name;
  bool sourcedRows;  // made from the project's rows, which name their pages
};
// In the order an auditor gives them to hotfixes-table.
const Shipped kShipped[] = {
    {"catalog-2001-2008.txt", true},
    {"catalog-2008-2017.txt", false},
    {"catalog-after-2017.txt", true},
};

std::string ShippedText(const char* name) {
  const std::string path =
      std::string(HOTFIXES_SOURCE_DIR) + "/baselines/" + name;
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The head's "# Label: rest" line's rest; empty when there is none.
std::string HeadValue(const std::vector<std::string>& lines,
                      const std::string& label) {
  const std::string start = "# " + label + ": ";
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) == 0) {
      return line.substr(start.size());
    }
  }
  return std::string();
}

// "MS13-081-KB2862330", a requirement of one of a bulletin's updates, is
// of bulletin MS13-081.
std::string BulletinOf(const std::string& id) {
  const std::size_t at = id.rfind("-KB");
  if (at == std::string::npos || at + 3 == id.size()) return id;
  for (std::size_t i = at + 3; i < id.size(); ++i) {
    if (id[i] < '0' || id[i] > '9') return id;
  }
  return id.substr(0, at);
}

TEST(ShippedCatalogsTest, ReadAndHoldWhatTheirHeadsSay) {
  for (const Shipped& shipped : kShipped) {
    SCOPED_TRACE(shipped.name);
    const std::string text = ShippedText(shipped.name);
    Baseline baseline;
    std::string error;
    ASSERT_TRUE(baseline.Parse(text, shipped.name, error)) << error;
    std::set<std::string> bulletins;
    for (const BaselineRequirement& requirement : baseline.requirements()) {
      bulletins.insert(BulletinOf(requirement.id));
    }
    const std::vector<std::string> lines = Lines(text);
    EXPECT_EQ(HeadValue(lines, "Requirements"),
              std::to_string(baseline.requirements().size()));
    const std::string counts = HeadValue(lines, "Bulletins");
    EXPECT_NE(
        counts.find(" read, " + std::to_string(bulletins.size()) + " used, "),
        std::string::npos)
        << counts;
    // Each requirement follows the lines naming the pages of its rows.
    if (!shipped.sourcedRows) continue;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty() || lines[i][0] != '[') continue;
      ASSERT_GT(i, 0u);
      EXPECT_EQ(lines[i - 1].compare(0, 18, "# Source: https://"), 0)
          << lines[i];
    }
  }
}

// Every catalog given, as hotfixes-table --baseline reads them in turn.
Baseline AllShipped() {
  Baseline baseline;
  for (const Shipped& shipped : kShipped) {
    std::string error;
    EXPECT_TRUE(baseline.Add(ShippedText(shipped.name), shipped.name, error))
        << error;
  }
  // No bulletin in two of them.
  EXPECT_EQ(baseline.ReadingNotes(), std::vector<std::string>());
  return baseline;
}

// A fleet of every level the bulletins of the worm years name, in the
// order of the letters below.
const char* const kFleet[] = {
    "Windows NT Server 4.0 Service Pack 6a (Build 1381)",
    "Windows 2000 Professional Service Pack 2 (Build 2195)",
    "Windows 2000 Server Service Pack 3 (Build 2195)",
    "Windows 2000 Professional Service Pack 4 (Build 2195)",
    "Windows XP Professional  (Build 2600)",
    "Windows XP Professional Service Pack 1 (Build 2600)",
    "Windows XP Professional Service Pack 2 (Build 2600)",
    "Windows XP Home Edition Service Pack 3 (Build 2600)",
    "Windows .NET Server 2003 family, Standard Edition  (Build 3790)",
    "Windows .NET Server 2003 family, Enterprise Edition Service Pack 1 "
    "(Build 3790)",
    "Windows .NET Server 2003 family, Standard Edition Service Pack 2 "
    "(Build 3790)",
};

// The verdict the sources give each level of the fleet, without the fix:
// M missing (the fix installs; with it, installed), N no update (past the
// level's support), S installed by its service pack (which came out after
// the bulletin). Each bulletin's page lists the levels of its update; the
// others follow from Microsoft's dates (the catalogs' heads name them).
struct Expected {
  const char* id;
  const char* fix;
  // NT 4.0 SP6a | 2000 SP2 SP3 SP4 | XP SP0 SP1 SP2 SP3 | 2003 SP0 SP1 SP2
  const char* verdicts;
};
const Expected kWormBulletins[] = {
    {"MS03-026", "KB823980", "M MMM MMSS MSS"},
    {"MS03-039", "KB824146", "M MMM MMSS MSS"},
    {"MS04-011", "KB835732", "M MMM MMSS MSS"},
    {"MS05-039", "KB899588", "N NNM NMMS MMS"},
    {"MS06-040", "KB921883", "N NNM NMMS MMS"},
    {"MS08-067", "KB958644", "N NNM NNMM NMM"},
    {"MS17-010", "KB4012598", "N NNN NNNM NNM"},
    {"CVE-2019-0708", "KB4500331", "N NNN NNNM NNM"},
};

TEST(ShippedCatalogsTest, JudgeTheWormBulletinsAsTheirSourcesDo) {
  const Baseline baseline = AllShipped();
  for (const Expected& expected : kWormBulletins) {
    std::string verdicts = expected.verdicts;
    verdicts.erase(std::remove(verdicts.begin(), verdicts.end(), ' '),
                   verdicts.end());
    ASSERT_EQ(verdicts.size(), std::size(kFleet));
    for (std::size_t level = 0; level < verdicts.size(); ++level) {
      const std::string os = kFleet[level];
      SCOPED_TRACE(std::string(expected.id) + " on " + os);
      const std::string fix = expected.fix;
      const std::string without = VerdictOn(baseline, os, "", expected.id);
      switch (verdicts[level]) {
        case 'M':
          // The bulletin's own update first, then those that replace it.
          EXPECT_TRUE(without == "missing " + fix ||
                      without.rfind("missing " + fix + " ", 0) == 0)
              << without;
          EXPECT_EQ(VerdictOn(baseline, os, fix, expected.id),
                    "installed " + fix);
          break;
        case 'N': EXPECT_EQ(without, "no update"); break;
        case 'S': EXPECT_EQ(without, "installed service pack"); break;
        default: FAIL() << verdicts[level];
      }
    }
  }
}

// A later bulletin's update that replaces the worm bulletin's on a level
// satisfies it there.
TEST(ShippedCatalogsTest, TakeTheUpdatesThatReplaceTheWormBulletinsOwn) {
  struct Case {
    const char* os;
    const char* entry;
    const char* id;
  };
  const Case cases[] = {
      {"Windows XP Professional Service Pack 1 (Build 2600)", "KB824146",
       "MS03-026"},
      {"Windows 2000 Professional Service Pack 4 (Build 2195)", "KB958644",
       "MS06-040"},
      {"Windows .NET Server 2003 family, Standard Edition Service Pack 1 "
       "(Build 3790)",
       "KB958644", "MS06-040"},
  };
  const Baseline baseline = AllShipped();
  for (const Case& c : cases) {
    EXPECT_EQ(VerdictOn(baseline, c.os, c.entry, c.id),
              std::string("installed ") + c.entry)
        << c.os << " / " << c.id;
  }
}

}  // namespace
