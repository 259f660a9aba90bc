// hotfixes: writes a report of the running Windows version and the hotfixes
// its registry records. Command-line arguments are ignored.
#include "app/report.h"
#include "output/program_end.h"

int main() { RunProgram(RunReport); }
