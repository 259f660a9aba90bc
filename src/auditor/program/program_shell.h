// The shell each of the auditor's programs runs in: standard error opened
// first, the run, and what ends a run early said in one line each: a
// usage error (with the usage line) or a lack of memory. --help and
// --version are written the same way by both.
#ifndef HOTFIXES_AUDITOR_PROGRAM_PROGRAM_SHELL_H_
#define HOTFIXES_AUDITOR_PROGRAM_PROGRAM_SHELL_H_

#include <functional>

#include "auditor/files/text_output.h"
#include "auditor/program/usage_error.h"

// The exit codes every auditor's program gives.
const int kProgramDone = 0;          // (the program's own codes follow)
const int kProgramUsageError = 2;    // nothing written to standard output
const int kProgramOutputFailed = 4;  // standard output not written whole

// What an auditor's program says of itself.
struct ProgramText {
  const char* name;   // "hotfixes-table": it starts every message
  const char* usage;  // the usage line, without its line end
  const char* help;   // what --help adds: lines ending in '\n', the first
                      // of them empty
};

// Runs `run`, which writes its messages to `errors`, and returns its exit
// code; a UsageError it throws ends the run with kProgramUsageError, an
// allocation that fails with kProgramOutputFailed.
int RunInShell(const ProgramText& program,
               const std::function<int(TextOutput& errors)>& run);

// --help: the usage line and the help text to standard output, every line
// ending in CR LF. kProgramDone, or kProgramOutputFailed.
int WriteHelp(const ProgramText& program);
// --version: "NAME VERSION".
int WriteVersion(const ProgramText& program);

// The whole run of a program: `parse()` reads the command line into
// options with `help` and `version` (a UsageError for one it refuses),
// which are answered here; else `work(options, errors)` does the work and
// returns the exit code.
template <typename Parse, typename Work>
int RunProgram(const ProgramText& program, Parse parse, Work work) {
  return RunInShell(program, [&](TextOutput& errors) {
    const auto options = parse();
    if (options.help) return WriteHelp(program);
    if (options.version) return WriteVersion(program);
    return work(options, errors);
  });
}

#endif  // HOTFIXES_AUDITOR_PROGRAM_PROGRAM_SHELL_H_
