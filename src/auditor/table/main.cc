// hotfixes-table: one table of the hotfix reports of many machines.
#include <string>
#include <vector>

#include "auditor/table/table_program.h"

int main(int argc, char** argv) {
  return RunTable(std::vector<std::string>(argv + 1, argv + argc));
}
