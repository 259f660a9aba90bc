// Memory running out anywhere in the whole report: each allocation the
// report makes is failed in turn, once or together with every later one.
// Whatever allocation it is, the run ends in the complete report, in the
// complete report with the OS line's fallback text, or in the lines handed
// over before it followed by the one EOutOfMemory report and exit code 1.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/report.h"
#include "support/arrange.h"
#include "support/failing_allocator.h"
#include "test_support.h"

namespace {

const char kOutOfMemoryReport[] =
    "Exception EOutOfMemory in module hotfixes.exe at 00000000.\r\n"
    "Out of memory.\r\n"
    "\r\n";

const char kBanner[] =
    "Hotfix inventory for Windows NT\r\n"
    "hotfixes.exe Ver.0.6.12.21\r\n"
    "\r\n";
const std::string kLongComment =
    "Security Update for Windows XP (KB835732): " + std::string(150, '=');
const std::string kHotFixes =
    "[Q828035] Windows XP Hotfix - KB828035\r\n"
    "[KB835732] " +
    kLongComment +
    "\r\n"
    "[KB890859] %SystemRoot%\\Hotfix\r\n"
    "[KB896358] \r\n"
    "\r\n"
    "Found 4 Hot-Fix\r\n";

// The OS line of each link of the fallback chain, as the report prints it.
const char kExtendedOSLine[] =
    "Windows XP Professional Service Pack 2 (Build 2600)";
const char kBasicOSLine[] =
    "Windows NT Version 5.1 (Build 2600 : Service Pack 2)";
const char kFixedOSLine[] = "Windows";

std::string ReportWithOSLine(const std::string& osLine) {
  return kBanner + osLine + "\r\n\r\n" + kHotFixes;
}

// Where each line of a report ends, 0 (no line at all) included.
std::vector<std::size_t> LineEnds(const std::string& report) {
  std::vector<std::size_t> ends = {0};
  for (std::size_t at = report.find("\r\n"); at != std::string::npos;
       at = report.find("\r\n", at + 2)) {
    ends.push_back(at + 2);
  }
  return ends;
}

struct ProgramRun {
  UINT exitCode;
  std::string output;
  std::size_t allocations;  // made while failing was armed
  std::size_t openKeys;
};

enum class Outcome { kComplete, kBasicSummary, kFixedText, kCutShort };

class OutOfMemoryTest : public FakePlatformTest {
 protected:
  // A Windows XP machine with its version block and a few hotfixes: one
  // comment longer than the output buffer, one REG_EXPAND_SZ, one missing.
  void Arrange(DWORD fileType) {
    fake::Reset();
    ReportOutput = TReportOutput();
    fake::State& s = Platform();
    s.fileType = fileType;
    GiveOwnVersionResource(s);
    GiveWindowsXP(s);
    fake::Key& root = HotFixRoot(s);
    root.Add("Q828035").SetText("Comments", "Windows XP Hotfix - KB828035");
    root.Add("KB835732").SetText("Comments", kLongComment);
    root.Add("KB890859")
        .SetValue("Comments", REG_EXPAND_SZ,
                  std::string("%SystemRoot%\\Hotfix\0", 20));
    root.Add("KB896358");
  }

  // Nothing here allocates while allocations fail but the program and the
  // fake platform under it.
  ProgramRun RunFailing(DWORD fileType, std::size_t n, bool andAllAfter) {
    Arrange(fileType);
    ProgramRun run{};
    {
      failing_allocator::Scope failing(n, andAllAfter);
      try {
        RunProgram(RunReport);
      } catch (const fake::ProcessExit& exit) {
        run.exitCode = exit.code;
      } catch (...) {
        run.exitCode = 0xBAD;  // the failure escaped the program
      }
      run.allocations = failing_allocator::Disarm();
    }
    run.output = Platform().output;
    run.openKeys = fake::OpenKeyCount();
    return run;
  }

  // Fails each allocation of the report in turn; checks every run and
  // returns how often each outcome was seen.
  std::vector<int> FailEachAllocation(DWORD fileType, bool andAllAfter) {
    const std::string complete = ReportWithOSLine(kExtendedOSLine);
    const std::string variants[] = {complete, ReportWithOSLine(kBasicOSLine),
                                    ReportWithOSLine(kFixedOSLine)};
    // The first run of a process also makes what start-up makes once for
    // good (the object memory exhaustion is reported with); the count is
    // taken from a later one.
    RunFailing(fileType, SIZE_MAX, false);
    const ProgramRun reference = RunFailing(fileType, SIZE_MAX, false);
    EXPECT_EQ(reference.exitCode, 0u);
    EXPECT_EQ(reference.output, complete) << "the report without failure";

    std::vector<int> seen(4, 0);
    std::size_t mostLines = 0;
    for (std::size_t n = 0; n <= reference.allocations; ++n) {
      const ProgramRun run = RunFailing(fileType, n, andAllAfter);
      SCOPED_TRACE("allocation " + std::to_string(n) + " of " +
                   std::to_string(reference.allocations));
      EXPECT_EQ(run.openKeys, 0u);
      if (run.exitCode == 0) {
        if (run.output == variants[0]) {
          ++seen[int(Outcome::kComplete)];
        } else if (run.output == variants[1]) {
          ++seen[int(Outcome::kBasicSummary)];
        } else if (run.output == variants[2]) {
          ++seen[int(Outcome::kFixedText)];
        } else {
          ADD_FAILURE() << "exit code 0 without a complete report:\n"
                        << run.output;
        }
        continue;
      }
      EXPECT_EQ(run.exitCode, 1u) << run.output;
      ++seen[int(Outcome::kCutShort)];
      // Whole lines of one of the reports (the OS line may be a fallback
      // already), then the one report of the failure.
      const std::size_t reportSize = std::strlen(kOutOfMemoryReport);
      const std::size_t cut =
          run.output.size() - std::min(run.output.size(), reportSize);
      const std::string lines = run.output.substr(0, cut);
      bool wholeLines = false;
      for (const std::string& variant : variants) {
        const std::vector<std::size_t> ends = LineEnds(variant);
        wholeLines =
            wholeLines || (variant.compare(0, cut, lines) == 0 &&
                           std::count(ends.begin(), ends.end(), cut) == 1);
      }
      EXPECT_TRUE(wholeLines && run.output.compare(cut, std::string::npos,
                                                   kOutOfMemoryReport) == 0)
          << "not whole report lines and one EOutOfMemory report:\n"
          << run.output;
      // A later failure cannot have handed over fewer lines.
      const std::size_t lineCount = LineEnds(lines).size() - 1;
      EXPECT_GE(lineCount, mostLines) << run.output;
      mostLines = std::max(mostLines, lineCount);
    }
    return seen;
  }
};

const DWORD kFileTypes[] = {FILE_TYPE_PIPE, FILE_TYPE_CHAR};

TEST_F(OutOfMemoryTest, OneFailedAllocationAnywhereInTheReport) {
  for (DWORD fileType : kFileTypes) {
    SCOPED_TRACE("file type " + std::to_string(fileType));
    const std::vector<int> seen = FailEachAllocation(fileType, false);
    // Each outcome that this machine can give was met at least once: the
    // loop reached the report's end, the OS description and the listing.
    EXPECT_GT(seen[int(Outcome::kComplete)], 0);
    EXPECT_GT(seen[int(Outcome::kBasicSummary)], 0);
    EXPECT_GT(seen[int(Outcome::kCutShort)], 0);
  }
}

TEST_F(OutOfMemoryTest, EveryAllocationFailingFromSomePointOn) {
  for (DWORD fileType : kFileTypes) {
    SCOPED_TRACE("file type " + std::to_string(fileType));
    const std::vector<int> seen = FailEachAllocation(fileType, true);
    // Only the last run, which fails nothing, completes: past the OS line
    // every line needs memory.
    EXPECT_EQ(seen[int(Outcome::kComplete)], 1);
    EXPECT_EQ(seen[int(Outcome::kBasicSummary)], 0);
    EXPECT_GT(seen[int(Outcome::kCutShort)], 0);
  }
}

}  // namespace
