// The one buffered stream through which every report line reaches standard
// output, and the check after each line that turns a failed write into an
// EInOutError.
//
// Bytes are written as they are, with no code-page conversion. On a console
// (a character device) each line goes out when it ends; to a file or a pipe
// the stream writes whole 128-byte pieces and the rest when it is flushed.
#ifndef HOTFIXES_OUTPUT_REPORT_OUTPUT_H_
#define HOTFIXES_OUTPUT_REPORT_OUTPUT_H_

#include <cstddef>
#include <string>

#include "platform/platform.h"

class TReportOutput {
 public:
  static const std::size_t kBufferSize = 128;

  // Appends bytes; opens the stream first if it is still closed.
  void Write(const char* bytes, std::size_t count);
  // The CR LF terminator, then the line-end rule.
  void EndLine();
  // Raises EInOutError if a write since the last check failed.
  void CheckLine(const void* address);
  // Writes the pending bytes of an open stream.
  void Flush();
  // Forgets a failed write; the number it failed with, or 0.
  DWORD TakePendingError();

  bool IsOpen() const { return open_; }
  HANDLE Handle() const { return handle_; }

 private:
  bool Open();
  bool WritePending();

  bool open_ = false;
  HANDLE handle_ = nullptr;
  bool characterDevice_ = false;
  char buffer_[kBufferSize] = {};
  std::size_t pending_ = 0;
  DWORD pendingError_ = 0;
};

extern TReportOutput ReportOutput;

void WriteReportLine(const std::string& text);
void WriteEmptyLine();
void FlushReportOutput();

#endif  // HOTFIXES_OUTPUT_REPORT_OUTPUT_H_
