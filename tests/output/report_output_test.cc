#include "output/report_output.h"

#include <string>
#include <vector>

#include "output/exceptions.h"
#include "test_support.h"

namespace {

class ReportOutputTest : public FakePlatformTest {};

struct WriteSizesCase {
  const char* name;
  DWORD fileType;
  std::vector<std::size_t> lineLengths;
  std::vector<std::size_t> writesBeforeFlush;
  std::vector<std::size_t> writesAfterFlush;
};

std::vector<std::size_t> WriteSizes(const fake::State& state) {
  std::vector<std::size_t> sizes;
  for (const auto& write : state.writes) sizes.push_back(write.size());
  return sizes;
}

TEST_F(ReportOutputTest, WritesInPiecesByDeviceKind) {
  const WriteSizesCase cases[] = {
      {"console: one write per short line",
       FILE_TYPE_CHAR,
       {3, 0, 10},
       {5, 2, 12},
       {5, 2, 12}},
      {"console: 126 characters fill the buffer exactly",
       FILE_TYPE_CHAR,
       {126},
       {128},
       {128}},
      {"console: 300 characters",
       FILE_TYPE_CHAR,
       {300},
       {128, 128, 46},
       {128, 128, 46}},
      {"file: nothing until 128 bytes", FILE_TYPE_DISK, {3, 10}, {}, {17}},
      {"file: whole pieces, then the rest",
       FILE_TYPE_DISK,
       {300, 5},
       {128, 128},
       {128, 128, 53}},
      {"pipe: same as a file", FILE_TYPE_PIPE, {126, 1}, {128}, {128, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().fileType = c.fileType;
    std::string expected;
    for (std::size_t length : c.lineLengths) {
      const std::string line(length, 'x');
      WriteReportLine(line);
      expected += line + "\r\n";
    }
    EXPECT_EQ(WriteSizes(Platform()), c.writesBeforeFlush);
    FlushReportOutput();
    EXPECT_EQ(WriteSizes(Platform()), c.writesAfterFlush);
    EXPECT_EQ(Platform().output, expected);
  }
}

TEST_F(ReportOutputTest, WritesBytesUnchanged) {
  Platform().fileType = FILE_TYPE_DISK;
  std::string text;
  for (int byte = 1; byte < 256; ++byte) text += static_cast<char>(byte);
  text += std::string(1, '\0') + "after NUL";
  WriteReportLine(text);
  WriteEmptyLine();
  FlushReportOutput();
  EXPECT_EQ(Platform().output, text + "\r\n\r\n");
}

TEST_F(ReportOutputTest, FailedWriteMidLineRaisesAndLosesThatPiece) {
  Platform().fileType = FILE_TYPE_CHAR;
  Platform().failingWrites = {1};  // the second 128-byte piece
  Platform().writeError = 232;
  const std::string line(300, 'a');
  try {
    WriteReportLine(line);
    FAIL() << "no EInOutError";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), 232u);
    EXPECT_EQ(e.Message(), "I/O error 232");
    EXPECT_STREQ(e.ClassName(), "EInOutError");
  }
  // The first piece went out; the failed piece and the rest of the text are
  // dropped; the terminator is still written at the line end.
  EXPECT_EQ(WriteSizes(Platform()), (std::vector<std::size_t>{128, 128, 2}));
  EXPECT_EQ(Platform().output, std::string(128, 'a') + "\r\n");
  // The error was taken by the check: the next line is fine.
  WriteReportLine("next");
  EXPECT_EQ(Platform().output, std::string(128, 'a') + "\r\nnext\r\n");
}

TEST_F(ReportOutputTest, UnusableStandardOutputRaises105OnEveryLine) {
  struct Case {
    const char* name;
    bool invalidHandle;
    DWORD fileType;
    int closedHandles;
  } cases[] = {
      {"no handle", true, FILE_TYPE_CHAR, 0},
      {"handle of unknown type", false, FILE_TYPE_UNKNOWN, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    ReportOutput = TReportOutput();
    Platform().stdHandleInvalid = c.invalidHandle;
    Platform().fileType = c.fileType;
    for (int line = 0; line < 2; ++line) {
      try {
        WriteReportLine("text");
        FAIL() << "no EInOutError";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 105u);
      }
    }
    EXPECT_FALSE(ReportOutput.IsOpen());
    EXPECT_TRUE(Platform().writes.empty());
    // Text and terminator each try to open, and each closes the handle.
    EXPECT_EQ(Platform().closedHandles, 2 * c.closedHandles);
  }
}

TEST(InOutErrorMessage, ByErrorNumber) {
  const std::pair<unsigned, const char*> cases[] = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {105, "I/O error 105"},
      {28, "I/O error 28"},
      {0, "I/O error 0"},
  };
  for (const auto& c : cases) EXPECT_EQ(InOutErrorMessage(c.first), c.second);
}

}  // namespace
