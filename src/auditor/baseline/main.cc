// hotfixes-baseline: a baseline from Microsoft's security bulletin data.
#include <string>
#include <vector>

#include "auditor/baseline/baseline_program.h"

int main(int argc, char** argv) {
  return RunBaseline(std::vector<std::string>(argv + 1, argv + argc));
}
