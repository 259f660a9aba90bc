#include "auditor/baseline/baseline_options.h"

namespace {

// The options, what FILE may be, and the exit codes, for --help.
const char kBaselineHelp[] = R"(

Reads Microsoft's security bulletin data (the download "Microsoft Security
Bulletin Data": BulletinSearch.xlsx, BulletinSearch2001-2008.xlsx) and
writes a baseline for hotfixes-table --baseline to standard output.

  FILE              an .xlsx workbook as Microsoft publishes it, or a CSV
                    of its sheet (UTF-8): the content tells which; a
                    bulletin in several FILEs is read from the first
  --component TEXT  also the rows of components whose Affected Component
                    starts with TEXT up to a word's end ("Windows Media
                    Format Runtime 9": not 9.5); may be given again
  --components      list the Windows rows' components with their rows
  --date-order dmy|mdy  a CSV's 02/08/2010 is day first (dmy, UK) or
                    month first (mdy, US); else as the file's rows show
  --help, --version  this text; the program's version

Rows that cannot be read are left out, each named on standard error.

Exit codes:
  0  the baseline (or list) was written
  2  usage error, a FILE cannot be read, or no requirement to write:
     nothing is written to standard output
  4  the baseline (or list) could not be written whole
)";

}  // namespace

const ProgramText kBaselineProgram = {
    "hotfixes-baseline",
    "usage: hotfixes-baseline [--component TEXT]... [--date-order dmy|mdy] "
    "FILE... | --components FILE...",
    kBaselineHelp};

BaselineOptions ParseBaselineArguments(
    const std::vector<std::string>& arguments) {
  BaselineOptions options;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
      options.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnd = true;
    } else if (argument == "--help" || argument == "-h" || argument == "/?") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "--component") {
      if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
        throw UsageError{"--component needs a text"};
      }
      options.components.push_back(arguments[++i]);
    } else if (argument == "--components") {
      options.listComponents = true;
    } else if (argument == "--date-order") {
      const std::string order = i + 1 < arguments.size() ? arguments[++i] : "";
      if (order == "dmy") {
        options.dateOrder = DateOrder::kDayFirst;
      } else if (order == "mdy") {
        options.dateOrder = DateOrder::kMonthFirst;
      } else {
        throw UsageError{"--date-order needs dmy or mdy"};
      }
    } else {
      throw UsageError{"unknown option " + argument};
    }
  }
  if (!options.help && !options.version && options.files.empty()) {
    throw UsageError{"no bulletin data file given"};
  }
  if (options.listComponents && !options.components.empty()) {
    throw UsageError{
        "--components lists the components; it takes no --component"};
  }
  return options;
}
