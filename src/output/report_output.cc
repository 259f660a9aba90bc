#include "output/report_output.h"

#include <cstring>

#include "output/exceptions.h"

TReportOutput ReportOutput;

namespace {

const char kLineTerminator[] = {'\r', '\n'};
// The error number of a stream that could not be opened.
const DWORD kNotOpenError = 105;

}  // namespace

bool TReportOutput::Open() {
  HANDLE handle = platform::GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = platform::GetFileType(handle);
  if (type == FILE_TYPE_UNKNOWN) {
    platform::CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  characterDevice_ = type == FILE_TYPE_CHAR;
  pending_ = 0;
  open_ = true;
  return true;
}

bool TReportOutput::WritePending() {
  if (pending_ == 0) return true;
  DWORD written = 0;
  const BOOL ok = platform::WriteFile(
      handle_, buffer_, static_cast<DWORD>(pending_), &written, nullptr);
  pending_ = 0;  // empty after any attempt: what failed is lost
  if (!ok) pendingError_ = platform::GetLastError();
  return ok != FALSE;
}

void TReportOutput::Write(const char* bytes, std::size_t count) {
  if (!open_ && !Open()) {
    pendingError_ = kNotOpenError;
    return;
  }
  while (count >= kBufferSize - pending_) {
    const std::size_t room = kBufferSize - pending_;
    std::memcpy(buffer_ + pending_, bytes, room);
    pending_ = kBufferSize;
    bytes += room;
    count -= room;
    if (!WritePending()) return;  // the rest of these bytes is dropped
  }
  std::memcpy(buffer_ + pending_, bytes, count);
  pending_ += count;
}

void TReportOutput::EndLine() {
  Write(kLineTerminator, sizeof kLineTerminator);
  if (open_ && characterDevice_) WritePending();
}

DWORD TReportOutput::TakePendingError() {
  const DWORD error = pendingError_;
  pendingError_ = 0;
  return error;
}

void TReportOutput::CheckLine(const void* address) {
  if (pendingError_ != 0) throw EInOutError(TakePendingError(), address);
}

void TReportOutput::Flush() {
  if (open_) WritePending();
}

void WriteReportLine(const std::string& text) {
  if (!text.empty()) ReportOutput.Write(text.data(), text.size());
  ReportOutput.EndLine();
  ReportOutput.CheckLine(platform::CurrentCodeAddress());
}

void WriteEmptyLine() {
  ReportOutput.EndLine();
  ReportOutput.CheckLine(platform::CurrentCodeAddress());
}

void FlushReportOutput() { ReportOutput.Flush(); }
