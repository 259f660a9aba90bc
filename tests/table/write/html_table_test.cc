#include "table/write/html_table.h"

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

}  // namespace
