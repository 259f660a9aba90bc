#include "auditor/table/write/html_table.h"

#include <random>
#include <set>
#include <string>

#include "test_support.h"

namespace {

class HtmlTableTest : public FakePlatformTest {};

// Text a machine may put in its report that would become markup, end an
// attribute or not be text at all.
const char kHostile[] = "<b>&amp;\"x'\x01";
const char kEscaped[] = "&lt;b&gt;&amp;amp;&quot;x&#39;&#xFFFD;";

enum class Field {
  kMachine,
  kOs,
  kProblem,
  kOwner,
  kPresentHotfix,
  kLackedHotfix
};

// One machine with one hotfix, present or required and lacking, the
// hostile text in one field.
Fleet FleetWithHostile(Field field) {
  Fleet fleet;
  const bool lacked = field == Field::kLackedHotfix;
  const bool hotfix = field == Field::kPresentHotfix || lacked;
  fleet.columns.push_back(FleetColumn{hotfix ? kHostile : "KB1", lacked});
  FleetMachine machine;
  machine.machine = field == Field::kMachine ? kHostile : "PC";
  machine.status = field == Field::kProblem ? ReportStatus::kFailed
                                            : ReportStatus::kComplete;
  machine.os = field == Field::kOs ? kHostile : "Windows";
  machine.problem = field == Field::kProblem ? kHostile : "";
  machine.owner = field == Field::kOwner ? kHostile : "";
  machine.entryCount = lacked ? 0 : 1;
  (lacked ? machine.lacking : machine.present).push_back(0);
  fleet.machines.push_back(machine);
  return fleet;
}

// Every place a field is written, in text and in attributes, escapes it:
// the browser check sees only the fields its reports make hostile.
TEST_F(HtmlTableTest, EscapesEveryReportField) {
  const struct {
    const char* name;
    Field field;
    std::size_t places;  // where the page shows the field
  } cases[] = {
      // Summary, and the name and title of its matrix row.
      {"machine name", Field::kMachine, 3},
      {"OS line", Field::kOs, 1},
      {"problem", Field::kProblem, 1},
      {"owner", Field::kOwner, 1},
      // Column title and column name.
      {"hotfix name", Field::kPresentHotfix, 2},
      // Also the summary's list of what a machine lacks.
      {"required hotfix name", Field::kLackedHotfix, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    {
      TextOutput out(STD_OUTPUT_HANDLE), errors(STD_ERROR_HANDLE);
      WriteHtmlPage(FleetWithHostile(c.field), out, errors);
    }
    const std::string& page = Platform().output;
    EXPECT_EQ(page.find(kHostile), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    std::size_t places = 0;
    for (std::size_t at = page.find(kEscaped); at != std::string::npos;
         at = page.find(kEscaped, at + 1)) {
      ++places;
    }
    EXPECT_EQ(places, c.places);
  }
}

// How the machines of a large fleet came by their hotfixes.
enum class Variety {
  kImages,    // three images per Windows, each machine less a few of them
  kAtRandom,  // a hundred of 630, no two machines alike
};

// Ten thousand machines of three Windows, every one a patch level of its
// own; `judged`: by 200 requirements, 60 of them without an update for
// each Windows and the others missing where the machine lacks a hotfix.
Fleet LargeFleet(Variety variety, bool judged) {
  const std::size_t kHotfixes = 630;
  Fleet fleet;
  for (std::size_t c = 0; c < kHotfixes; ++c) {
    fleet.columns.push_back({"KB" + std::to_string(800000 + c), false});
  }
  if (judged) {
    for (int r = 0; r < 200; ++r) {
      fleet.requirements.push_back(
          {"MS" + std::to_string(1000 + r), "Critical: requirement"});
    }
    fleet.findingTexts = {"", "KB958644 KB958687"};
  }
  const Windows windows[] = {Windows::kXp, Windows::k2000,
                             Windows::kServer2003};
  std::mt19937 random(34);
  for (std::size_t m = 0; m < 10000; ++m) {
    FleetMachine machine;
    machine.machine = "PC" + std::to_string(10000 + m);
    machine.status = ReportStatus::kComplete;
    machine.release =
        WindowsRelease{windows[m % 3], 2 + static_cast<int>(m % 2)};
    machine.windows = machine.release.Display();
    machine.os = machine.windows + " Professional (Build 2600)";
    machine.reported = "2026-12-01T10:00:05Z";
    machine.owner = "DOMAIN\\" + machine.machine + "$";
    std::set<std::size_t> present;
    if (variety == Variety::kImages) {
      const std::size_t image = m % 9 * 60;  // 9 images of 150 hotfixes
      for (std::size_t c = image; c < image + 150; ++c) present.insert(c);
      present.erase(image + m % 150);
      present.erase(image + m / 150 % 150);
    } else {
      while (present.size() < 100) present.insert(random() % kHotfixes);
    }
    machine.present.assign(present.begin(), present.end());
    machine.entryCount = machine.present.size();
    machine.found = std::to_string(machine.entryCount);
    for (std::size_t r = 0; r < fleet.requirements.size(); ++r) {
      FleetFinding finding;
      if (r < 60) {
        finding.state = VerdictState::kNoUpdate;
      } else if (present.count(r * 3) == 0) {
        finding = {VerdictState::kMissing, 1};
      } else {
        finding.state = VerdictState::kInstalled;
      }
      machine.findings.push_back(finding);
    }
    fleet.machines.push_back(machine);
  }
  return fleet;
}

// The values of `attribute=` in the page: ids and the links' targets.
std::set<std::string> Values(const std::string& page,
                             const std::string& attribute) {
  std::set<std::string> values;
  for (std::size_t at = page.find(attribute); at != std::string::npos;
       at = page.find(attribute, at + 1)) {
    const std::size_t start = at + attribute.size();
    values.insert(page.substr(start, page.find_first_of(" >", start) - start));
  }
  return values;
}

// Whatever its variety, the page of ten thousand machines stays within
// 5 MB, every link of it leads somewhere on it, and it says what it does
// not list: the lines of a fleet with no likeness pass their room, those
// of machines made from images do not.
TEST_F(HtmlTableTest, LargeFleetsStayBoundedAndLinked) {
  const struct {
    const char* name;
    Variety variety;
    bool judged;
    bool allListed;
  } cases[] = {
      {"images", Variety::kImages, false, true},
      {"images, judged", Variety::kImages, true, true},
      {"at random", Variety::kAtRandom, false, false},
      {"at random, judged", Variety::kAtRandom, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    {
      TextOutput out(STD_OUTPUT_HANDLE), errors(STD_ERROR_HANDLE);
      WriteHtmlPage(LargeFleet(c.variety, c.judged), out, errors);
    }
    const std::string& page = Platform().output;
    EXPECT_LE(page.size(), 5000000u);
    const std::set<std::string> ids = Values(page, " id=");
    for (const std::string& target : Values(page, "href=#")) {
      EXPECT_EQ(ids.count(target), 1u) << "a link to #" << target;
    }
    EXPECT_EQ(page.find("Not listed") == std::string::npos, c.allListed);
    EXPECT_EQ(Platform().errorOutput.find("does not list") == std::string::npos,
              c.allListed);
  }
}

}  // namespace
