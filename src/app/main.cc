// hotfixes: writes a report of the running Windows version and the hotfixes
// its registry records. Command-line arguments are ignored.
#include "app/report.h"
#include "output/program_end.h"
#include "registry/locale_facts.h"

namespace {

// The start-up facts are prepared under the failure report, so that a
// failure there is reported like one of the report's own.
void PrepareAndReport() {
  PrepareProcessFacts();
  RunReport();
}

}  // namespace

int main() { RunProgram(PrepareAndReport); }
