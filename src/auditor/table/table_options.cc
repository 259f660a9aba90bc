#include "auditor/table/table_options.h"

namespace {

// Every option, what PATH may be, and the exit codes, for --help.
const char kTableHelp[] = R"(

Reads the reports of hotfixes.exe and writes one table of them to standard
output. A PATH is a report file, or a folder whose *.txt files are reports
(symbolic links in it are listed, not followed); a machine is its file's
name without the extension.

  --format csv      a row per hotfix entry (the default); with --baseline,
                    a row per machine and requirement
  --format html     one page, machines grouped by Windows and patch level
  --format wide     a CSV row per machine, a column per hotfix (with
                    --baseline: per requirement, holding its state)
  --format jsonl    a JSON object per machine, one per line
  --format changes  a CSV row per machine's change since the last --since,
                    and per detail of it
  --bom             a UTF-8 byte-order mark before a CSV, for Excel
  --require FILE    the hotfixes every machine must have, one per line
  --baseline FILE   requirements by Windows and service pack (not with
                    --require); given again, a later file's requirement
                    replaces an earlier one of the same ID
  --exposed         with --baseline, the CSV's rows of the requirements a
                    machine is exposed to only (missing, no update)
  --codepage N      the code page the reports are written in (default
                    1252; 932 for a Japanese Windows); a --require or
                    --baseline FILE is UTF-8, or UTF-16 by its mark
  --since EARLIER   compare with an earlier audit: what an earlier run
                    wrote with --format jsonl, or a report file or folder
                    of an earlier collection; again for older audits,
                    oldest first (the page then draws the fleet over them)
  --stale-after DAYS  a report written more than DAYS before the run's
                    newest report is stale
  --help            this text
  --version         the program's version

Exit codes:
  0  every report complete; none lacks a required hotfix or is exposed
  1  a complete report lacks a required hotfix, or is exposed (missing,
     no update) to a requirement of the baseline
  2  usage error: nothing is written to standard output
  3  a report failed, is incomplete, unreadable or stale, or a machine
     of the earlier audit is gone (wins over 1)
  4  the table could not be written whole
)";

}  // namespace

const ProgramText kTableProgram = {
    "hotfixes-table",
    "usage: hotfixes-table [--format csv|html|wide|jsonl|changes] [--bom] "
    "[--require FILE | --baseline FILE... [--exposed]] [--codepage N] "
    "[--since EARLIER]... [--stale-after DAYS] PATH...",
    kTableHelp};

namespace {

Format ParseFormat(const std::string& value) {
  if (value == "csv") return Format::kCsv;
  if (value == "html") return Format::kHtml;
  if (value == "wide") return Format::kWide;
  if (value == "jsonl") return Format::kJsonLines;
  if (value == "changes") return Format::kChanges;
  throw UsageError{"unknown format " + value +
                   " (csv, html, wide, jsonl or changes)"};
}

bool ParseCodePage(const std::string& text, UINT& codePage) {
  if (text.empty() || text.size() > 5 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  codePage = static_cast<UINT>(std::stoul(text));
  return codePage != 0;
}

// Days: a count of up to a hundred years.
int ParseDays(const std::string& text) {
  if (text.empty() || text.size() > 5 ||
      text.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(text) > 36500) {
    throw UsageError{"--stale-after takes a number of days, 0 to 36500, not " +
                     text};
  }
  return std::stoi(text);
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
      options.read.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    if (argument == "--help" || argument == "-h" || argument == "/?") {
      options.help = true;
      continue;
    }
    if (argument == "--version") {
      options.version = true;
      continue;
    }
    if (argument == "--bom") {
      options.write.byteOrderMark = true;
      continue;
    }
    if (argument == "--exposed") {
      options.write.exposedOnly = true;
      continue;
    }
    if (argument != "--format" && argument != "--require" &&
        argument != "--baseline" && argument != "--codepage" &&
        argument != "--since" && argument != "--stale-after") {
      throw UsageError{"unknown option " + argument};
    }
    if (i + 1 == arguments.size()) {
      throw UsageError{argument + " needs a value"};
    }
    const std::string& value = arguments[++i];
    if (argument == "--format") {
      options.write.format = ParseFormat(value);
    } else if (argument == "--require") {
      options.judge.requireFile = value;
    } else if (argument == "--baseline") {
      options.judge.baselineFiles.push_back(value);
    } else if (argument == "--since") {
      options.read.since.push_back(value);
    } else if (argument == "--stale-after") {
      options.judge.staleAfterDays = ParseDays(value);
    } else if (!ParseCodePage(value, options.read.codePage) ||
               !platform::IsValidCodePage(options.read.codePage)) {
      throw UsageError{"unknown code page " + value};
    }
  }
  if (!options.help && !options.version && options.read.paths.empty()) {
    throw UsageError{"no report file or folder given"};
  }
  const WriteSettings& write = options.write;
  if (write.byteOrderMark && write.format != Format::kCsv &&
      write.format != Format::kWide && write.format != Format::kChanges) {
    throw UsageError{"--bom goes with the CSV only"};
  }
  if (write.format == Format::kChanges && options.read.since.empty()) {
    throw UsageError{"--format changes needs --since"};
  }
  if (!options.judge.requireFile.empty() &&
      !options.judge.baselineFiles.empty()) {
    throw UsageError{"--require and --baseline do not go together"};
  }
  if (write.exposedOnly &&
      (options.judge.baselineFiles.empty() || write.format != Format::kCsv)) {
    throw UsageError{"--exposed goes with the CSV of a baseline only"};
  }
  options.write.staleColumn = options.judge.staleAfterDays >= 0;
  options.write.since = !options.read.since.empty();
  return options;
}
