#include "auditor/program/program_shell.h"

#include <new>
#include <string_view>

namespace {

// Writes to standard output what `write` makes; the exit code.
template <typename Write>
int WriteToStandardOutput(Write write) {
  TextOutput out(STD_OUTPUT_HANDLE);
  write(out);
  out.Flush();
  return out.error() == 0 ? kProgramDone : kProgramOutputFailed;
}

}  // namespace

int RunInShell(const ProgramText& program,
               const std::function<int(TextOutput& errors)>& run) {
  TextOutput errors(STD_ERROR_HANDLE);
  try {
    return run(errors);
  } catch (const UsageError& error) {
    errors << program.name << ": " << error.message << " (" << program.usage
           << ")\r\n";
    return kProgramUsageError;
  } catch (const std::bad_alloc&) {
    errors << program.name << ": out of memory\r\n";
    return kProgramOutputFailed;
  }
}

int WriteHelp(const ProgramText& program) {
  return WriteToStandardOutput([&program](TextOutput& out) {
    out << program.usage;
    for (const char* c = program.help; *c != '\0'; ++c) {
      // Lines end in CR LF on every output of the programs.
      out << (*c == '\n' ? std::string_view("\r\n") : std::string_view(c, 1));
    }
  });
}

int WriteVersion(const ProgramText& program) {
  return WriteToStandardOutput([&program](TextOutput& out) {
    out << program.name << " " << HOTFIXES_VERSION << "\r\n";
  });
}
