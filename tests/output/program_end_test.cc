#include "output/program_end.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "output/exceptions.h"
#include "test_support.h"

namespace {

class ETestFailure : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "ETestFailure"; }
};

const void* At(std::uintptr_t address) {
  return reinterpret_cast<const void*>(address);
}

std::string Report(const char* kind, const char* offset,
                   const std::string& messageLine) {
  return std::string("Exception ") + kind + " in module hotfixes.exe at " +
         offset + ".\r\n" + messageLine + "\r\n\r\n";
}

TEST(ComposeFailureReport, MessageEndsWithExactlyOneDot) {
  struct Case {
    const char* message;
    const char* secondLine;
  } cases[] = {
      {"Out of memory", "Out of memory."},
      {"Already ends.", "Already ends."},
      {"", ""},
      {"Dots inside. then not", "Dots inside. then not."},
      {"Ellipsis...", "Ellipsis..."},
  };
  for (const auto& c : cases) {
    char out[1024];
    const std::size_t length =
        ComposeFailureReport(out, "EKind", "tool.exe", 0x00ABCDEF, c.message,
                             std::strlen(c.message));
    EXPECT_EQ(
        std::string(out, length),
        std::string("Exception EKind in module tool.exe at 00ABCDEF.\r\n") +
            c.secondLine + "\r\n");
  }
}

TEST(ComposeFailureReport, LongTextIsCutTo1023Characters) {
  const std::string message(2000, 'm');
  char out[1024];
  const std::size_t length = ComposeFailureReport(
      out, "EKind", "tool.exe", 0, message.data(), message.size());
  EXPECT_EQ(length, 1023u);
  EXPECT_EQ(out[1023], '\0');
  EXPECT_EQ(std::string(out + 1000, 23), std::string(23, 'm'));
}

TEST(ComposeRuntimeErrorLine, NumberRightAlignedInThreeColumns) {
  const struct {
    unsigned number;
    std::uintptr_t address;
    const char* line;
  } cases[] = {
    {5, 0x0040ABCD, "Runtime error   5 at 0040ABCD"},
    {28, 0x0040ABCD, "Runtime error  28 at 0040ABCD"},
    {203, 0x0040ABCD, "Runtime error 203 at 0040ABCD"},
#if UINTPTR_MAX > 0xFFFFFFFFu
    // A 64-bit address keeps the digits above its low 32 bits.
    {216, 0x00007FF612345678, "Runtime error 216 at 7FF612345678"},
    {255, UINTPTR_MAX, "Runtime error 255 at FFFFFFFFFFFFFFFF"},
#endif
  };
  for (const auto& c : cases) {
    char out[kRuntimeErrorLineSize];
    const std::size_t length =
        ComposeRuntimeErrorLine(out, c.number, At(c.address));
    EXPECT_EQ(std::string(out, length), c.line);
  }
}

class ProgramEndTest : public FakePlatformTest {};

void WriteTwoLines() {
  WriteReportLine("first");
  WriteReportLine("second");
}

TEST_F(ProgramEndTest, CompleteReportEndsWithCodeZeroAndEverythingWritten) {
  Platform().fileType = FILE_TYPE_DISK;
  EXPECT_EQ(RunProgramWith(WriteTwoLines), 0u);
  EXPECT_EQ(Platform().output, "first\r\nsecond\r\n");
  EXPECT_EQ(Platform().closedHandles, 0) << "standard output was closed";
}

TEST_F(ProgramEndTest, FailedLastWriteLeavesCodeZero) {
  Platform().fileType = FILE_TYPE_DISK;
  Platform().failWritesFrom = 0;
  EXPECT_EQ(RunProgramWith(WriteTwoLines), 0u);
  EXPECT_EQ(Platform().writes.size(), 1u);
}

struct FailureCase {
  const char* name;
  void (*report)();
  std::string expected;
};

TEST_F(ProgramEndTest, FailureReportFollowsTheBufferedLines) {
  const FailureCase cases[] = {
      {"failure address in the program's module",
       [] {
         WriteTwoLines();
         throw ETestFailure("Something broke", At(0x00401234));
       },
       "first\r\nsecond\r\n" +
           Report("ETestFailure", "00001234", "Something broke.")},
      {"address in no module: offset from the program's code start",
       [] {
         WriteTwoLines();
         throw ETestFailure("Ends with a dot.", At(0x00003000));
       },
       "first\r\nsecond\r\n" +
           Report("ETestFailure", "00002000", "Ends with a dot.")},
      {"empty message: empty second line",
       [] {
         WriteTwoLines();
         throw ETestFailure("", nullptr);
       },
       "first\r\nsecond\r\n" + Report("ETestFailure", "00000000", "")},
      {"memory exhaustion",
       [] {
         WriteTwoLines();
         throw std::bad_alloc();
       },
       "first\r\nsecond\r\n" +
           Report("EOutOfMemory", "00000000", "Out of memory.")},
      {"a failure object of no failure class",
       [] {
         WriteTwoLines();
         throw 42;
       },
       "first\r\nsecond\r\n" + Report("Exception", "00000000", "")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().fileType = FILE_TYPE_PIPE;
    EXPECT_EQ(RunProgramWith(c.report), 1u);
    EXPECT_EQ(Platform().output, c.expected);
    // Buffered lines in one piece, then the report text and its CR LF
    // straight to the handle.
    EXPECT_EQ(Platform().writes.size(), 3u);
  }
}

TEST_F(ProgramEndTest, ModulePathTooLongForItsBufferIsCut) {
  // The system cuts the path to the buffer and answers the buffer's size.
  const std::string folder(300, 'd');
  Platform().modules[0].path = "C:\\" + folder + "\\hotfixes.exe";
  Platform().fileType = FILE_TYPE_DISK;
  EXPECT_EQ(RunProgramWith([] { throw ETestFailure("x", At(0x00401000)); }),
            1u);
  EXPECT_EQ(Platform().output, "Exception ETestFailure in module " +
                                   std::string(257, 'd') +
                                   " at 00001000.\r\nx.\r\n\r\n");
}

TEST_F(ProgramEndTest, FailedLineWriteIsReportedAsInOutError) {
  Platform().fileType = FILE_TYPE_CHAR;
  Platform().failingWrites = {1};
  Platform().writeError = 5;
  Platform().currentCodeAddress = At(0x00402000);
  EXPECT_EQ(RunProgramWith(WriteTwoLines), 1u);
  EXPECT_EQ(Platform().output, "first\r\n" + Report("EInOutError", "00002000",
                                                    "File access denied."));
}

TEST_F(ProgramEndTest, NoUsableStandardOutputStillEndsWithCodeOne) {
  struct Case {
    const char* name;
    bool handleInvalid;
    DWORD fileType;
  } cases[] = {
      {"no handle", true, FILE_TYPE_CHAR},
      // The stream closed that handle when it failed to open: the report
      // must not go to it.
      {"handle of unknown type", false, FILE_TYPE_UNKNOWN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().stdHandleInvalid = c.handleInvalid;
    Platform().fileType = c.fileType;
    EXPECT_EQ(RunProgramWith(WriteTwoLines), 1u);
    EXPECT_TRUE(Platform().writes.empty());
  }
}

TEST_F(ProgramEndTest, DebuggerTakesTheFailureUnreported) {
  Platform().fileType = FILE_TYPE_DISK;
  Platform().filterAnswer = EXCEPTION_CONTINUE_SEARCH;
  EXPECT_THROW(RunProgram([] { throw ETestFailure("x", nullptr); }),
               ETestFailure);
  EXPECT_EQ(Platform().output, "");
}

struct FaultCase {
  const char* name;
  platform::PlatformFault fault;
  std::string expected;
};

platform::PlatformFault pendingFault;

void WriteLineThenFault() {
  WriteReportLine("before");
  fake::RaiseFault(pendingFault);
}

TEST_F(ProgramEndTest, PlatformFaultsEndInTheFailureReport) {
  const FaultCase cases[] = {
      {"division by zero",
       {0xC0000094, At(0x00401010), false, nullptr},
       Report("EDivByZero", "00001010", "Division by zero.")},
      {"stack overflow",
       {0xC00000FD, At(0x00401020), false, nullptr},
       Report("EStackOverflow", "00001020", "Stack overflow.")},
      {"read access violation in the program",
       {0xC0000005, At(0x00401030), false, At(0x10)},
       Report("EAccessViolation", "00001030",
              "Access violation at address 00401030 in module "
              "'hotfixes.exe'. Read of address 00000010.")},
      {"write access violation outside any module",
       {0xC0000005, At(0x00005000), true, At(0xFFFC)},
       Report("EAccessViolation", "00004000",
              "Access violation at address 00005000. Write of address "
              "0000FFFC.")},
      {"unknown status code",
       {0xC000001D, At(0x00401040), false, nullptr},
       Report("EExternalException", "00001040",
              "External exception C000001D.")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().fileType = FILE_TYPE_DISK;
    pendingFault = c.fault;
    EXPECT_EQ(RunProgramWith(WriteLineThenFault), 1u);
    EXPECT_EQ(Platform().output, "before\r\n" + c.expected);
  }
}

// A second fault while a failure is reported ends the process with the
// first failure's run-time error line, written past the buffer; a third,
// while that line is written, leaves only its exit code. The faults here are
// access violations (216) inside WriteFile calls.
TEST_F(ProgramEndTest, FaultWhileReportingEndsInTheFirstFailuresNumber) {
  const struct {
    const char* name;
    void (*report)();
    DWORD fileType;
    std::size_t firstFaultingWrite, lastFaultingWrite;
    UINT exitCode;
    std::string output;
    std::size_t writeCalls;
  } cases[] = {
      {"in the closing flush, then in the run-time error's own flush",
       WriteTwoLines, FILE_TYPE_DISK, 0, 1, 216,
       "Runtime error 216 at 00401060\r\n", 4},
      {"in every write from the closing flush on", WriteTwoLines,
       FILE_TYPE_DISK, 0, SIZE_MAX, 216, "", 3},
      {"an I/O error: its number's low byte",
       [] {
         fake::Get().failingWrites = {1};
         fake::Get().writeError = 0x170;
         WriteTwoLines();
       },
       FILE_TYPE_CHAR, 2, 2, 0x70, "first\r\nRuntime error 112 at 00401234\r\n",
       5},
      {"memory exhaustion",
       [] {
         WriteTwoLines();
         throw std::bad_alloc();
       },
       FILE_TYPE_PIPE, 0, 0, 203, "Runtime error 203 at 00000000\r\n", 3},
      {"a platform fault: the number of its kind",
       [] {
         pendingFault = {0xC0000094, At(0x00401010), false, nullptr};
         WriteLineThenFault();
       },
       FILE_TYPE_DISK, 1, 1, 200, "before\r\nRuntime error 200 at 00401010\r\n",
       4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().fileType = c.fileType;
    Platform().onWrite = [&c](std::size_t index) {
      if (index >= c.firstFaultingWrite && index <= c.lastFaultingWrite) {
        fake::RaiseFault({0xC0000005, At(0x00401060), false, At(0x10)});
      }
    };
    EXPECT_EQ(RunProgramWith(c.report), c.exitCode);
    EXPECT_EQ(Platform().output, c.output);
    EXPECT_EQ(Platform().writes.size(), c.writeCalls);
  }
}

TEST_F(ProgramEndTest, FaultAfterTheEndGivesTheRuntimeErrorLine) {
  Platform().fileType = FILE_TYPE_DISK;
  EXPECT_EQ(RunProgramWith(WriteTwoLines), 0u);
  try {
    fake::RaiseFault({0xC0000094, At(0x00401050), false, nullptr});
    FAIL() << "the fault did not end the program";
  } catch (const fake::ProcessExit& exit) {
    EXPECT_EQ(exit.code, 200u);
  }
  EXPECT_EQ(Platform().output,
            "first\r\nsecond\r\nRuntime error 200 at 00401050\r\n");
}

}  // namespace
