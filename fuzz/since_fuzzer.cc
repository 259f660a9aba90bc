// Reads fuzz input as an earlier audit's JSON Lines the way
// hotfixes-table --since does, and checks what it makes of them:
//  - a file refused is said in one line that names it and its line,
//    without a control character;
//  - a file read gives machines whose names, OS lines and times are
//    visible UTF-8, whose times are ones the table writes, and whose
//    hotfixes are names the index holds; never more machines than lines.
// Memory and time are bounded by libFuzzer's limits (run_fuzz.sh: 2 GiB,
// 10 s an input): what the reader ignores must cost neither.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "auditor/table/read/earlier_run.h"
#include "auditor/table/read/report_times.h"
#include "auditor/text/utf8.h"
#include "platform/platform-fake.h"

namespace {

const char kPath[] = "old.jsonl";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "since_fuzzer: %s\n", what.c_str());
  std::abort();
}

void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

void ExpectShown(const std::string& text, const char* what) {
  Expect(IsValidUtf8(text) && !HasControlCharacter(text),
         std::string(what) + " not shown visibly: " + text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  fake::Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fake::Get().files[kPath].bytes = bytes;
  HotfixIndex index;
  EarlierRun run;
  try {
    run = ReadEarlierRun(kPath, 1252, index);
  } catch (const UsageError& error) {
    Expect(error.message.compare(0, sizeof kPath - 1, kPath) == 0,
           "a fault that does not name the file: " + error.message);
    ExpectShown(error.message, "a fault");
    return 0;
  }
  std::size_t lines = 1;
  for (char c : bytes) lines += c == '\n' ? 1 : 0;
  Expect(run.machines.size() <= lines, "more machines than lines");
  std::int64_t seconds = 0;
  for (const EarlierMachine& machine : run.machines) {
    ExpectShown(machine.machine, "a machine's name");
    ExpectShown(*machine.os, "an OS line");
    Expect(machine.reported.empty() || ParseUtcTime(machine.reported, seconds),
           "a time the table does not write: " + machine.reported);
    for (std::uint32_t hotfix : *machine.hotfixes) {
      ExpectShown(index.Name(hotfix), "a hotfix");
    }
  }
  Expect(run.newest.empty() || ParseUtcTime(run.newest, seconds),
         "an audit's date the table does not write");
  return 0;
}
