#include "output/program_end.h"

#include <cstring>
#include <new>
#include <string>

#include "common/ansi_text.h"
#include "output/exceptions.h"
#include "output/report_output.h"

namespace {

bool failureReportInstalled = false;
// Raised memory exhaustion is reported through this object, made before
// the report begins, so that reporting it needs no memory.
const EOutOfMemory* outOfMemory = nullptr;

// The failure that ends the program, from the moment it is known. A fault
// while it is reported (a heap past use, a broken failure object, a fault
// in a flush) must not start a report over, which may well fault the same
// way again: it ends the process with this failure's run-time error line.
struct FailureInProgress {
  enum Stage { kNone, kReporting, kWritingLastLine } stage;
  unsigned runtimeErrorNumber;
  const void* address;
};
FailureInProgress failureInProgress = {FailureInProgress::kNone, 0, nullptr};

const unsigned kExitFailureReport = 1;
const unsigned kRuntimeErrorOutOfMemory = 203;
const unsigned kRuntimeErrorUnhandled = 217;
// An I/O error's run-time error number is its error number's low byte.
const unsigned kInOutErrorNumberMask = 0xFF;
const DWORD kAccessViolation = 0xC0000005;
const std::uintptr_t kImageCodeStart = 0x1000;
const std::size_t kReportSize = 1024;
// Windows' module paths use backslashes alone; the POSIX stand-in's use '/'.
const char kPathDelimiters[] = "\\/";

// Appends to a fixed buffer and cuts what does not fit.
template <std::size_t N>
class FixedText {
 public:
  explicit FixedText(char (&buffer)[N]) : buffer_(buffer) {}
  void Append(const char* text, std::size_t count) {
    const std::size_t room = N - 1 - length_;
    if (count > room) count = room;
    std::memcpy(buffer_ + length_, text, count);
    length_ += count;
    buffer_[length_] = '\0';
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }
  // Upper-case hexadecimal digits, at least `minimumDigits` (up to 16).
  void AppendHex(std::uint64_t value, int minimumDigits) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[16];
    int first = 16;
    do {
      digits[--first] = kDigits[value & 0xF];
      value >>= 4;
    } while (value != 0 || 16 - first < minimumDigits);
    Append(digits + first, static_cast<std::size_t>(16 - first));
  }
  // Every digit the address needs, and no fewer than 8.
  void AppendAddress(const void* address) {
    AppendHex(reinterpret_cast<std::uintptr_t>(address), 8);
  }
  std::size_t Length() const { return length_; }

 private:
  char* buffer_;
  std::size_t length_ = 0;
};

struct CodeLocation {
  char modulePath[MAX_PATH + 1];
  std::size_t nameOffset;  // where the file name starts in modulePath
  std::uintptr_t offset;
};

// The module an address belongs to, and the offset into it; the program's
// own file when the address lies in no module with a name. True when it
// lies in one.
bool Locate(const void* address, CodeLocation& location) {
  MEMORY_BASIC_INFORMATION info;
  DWORD length = 0;
  if (address != nullptr &&
      platform::VirtualQuery(address, &info, sizeof info) != 0 &&
      info.State == MEM_COMMIT) {
    length = platform::GetModuleFileNameA(
        static_cast<HMODULE>(info.AllocationBase), location.modulePath,
        sizeof location.modulePath);
  }
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  const bool inModule = length != 0;
  if (inModule) {
    location.offset =
        at - reinterpret_cast<std::uintptr_t>(info.AllocationBase);
  } else {
    length = platform::GetModuleFileNameA(nullptr, location.modulePath,
                                          sizeof location.modulePath);
    location.offset = at == 0 ? 0 : at - kImageCodeStart;
  }
  // A path that did not fit comes back cut, and on older Windows without
  // its NUL.
  if (length >= sizeof location.modulePath) {
    length = sizeof location.modulePath - 1;
  }
  location.modulePath[length] = '\0';
  location.nameOffset =
      OffsetBehindLastDelimiter(location.modulePath, length, kPathDelimiters);
  return inModule;
}

// The stream's handle; while the stream is closed, standard output unless
// it is of unknown type: the stream's open has closed that handle, and its
// number may since stand for another object.
HANDLE DirectOutputHandle() {
  if (ReportOutput.IsOpen()) return ReportOutput.Handle();
  HANDLE handle = platform::GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
      platform::GetFileType(handle) == FILE_TYPE_UNKNOWN) {
    return nullptr;
  }
  return handle;
}

// Writes past the report output's buffer; errors are of no use here.
void WriteDirect(const char* bytes, std::size_t count) {
  HANDLE handle = DirectOutputHandle();
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return;
  DWORD written = 0;
  platform::WriteFile(handle, bytes, static_cast<DWORD>(count), &written,
                      nullptr);
}

[[noreturn]] void ShutDown(unsigned exitCode) {
  failureReportInstalled = false;
  FlushReportOutput();
  ReportOutput.TakePendingError();  // a failure here changes nothing
  platform::ExitProcess(exitCode);
}

void BeginFailure(unsigned runtimeErrorNumber, const void* address) {
  failureInProgress = {FailureInProgress::kReporting, runtimeErrorNumber,
                       address};
}

void WriteRuntimeErrorLine(unsigned errorNumber, const void* address) {
  char line[kRuntimeErrorLineSize];
  const std::size_t length =
      ComposeRuntimeErrorLine(line, errorNumber, address);
  WriteDirect(line, length);
  WriteDirect("\r\n", 2);
}

// For a fault while a failure is reported. The line goes straight to the
// handle, past the buffer and its flush, which may be what faulted; a fault
// while writing it leaves only the exit code.
[[noreturn]] void EndInRuntimeErrorLine() {
  if (failureInProgress.stage == FailureInProgress::kReporting) {
    failureInProgress.stage = FailureInProgress::kWritingLastLine;
    WriteRuntimeErrorLine(failureInProgress.runtimeErrorNumber,
                          failureInProgress.address);
  }
  platform::ExitProcess(failureInProgress.runtimeErrorNumber);
}

// Lines that could not be written are lost either way; the report of the
// failure that ends the program still goes out.
void FlushAheadOfFailureReport() {
  FlushReportOutput();
  ReportOutput.TakePendingError();
}

[[noreturn]] void WriteFailureReportAndExit(const char* className,
                                            const char* message,
                                            std::size_t messageLength,
                                            const void* address) {
  CodeLocation location;
  Locate(address, location);
  char report[kReportSize];
  const std::size_t length = ComposeFailureReport(
      report, className, location.modulePath + location.nameOffset,
      static_cast<std::uint32_t>(location.offset), message, messageLength);
  WriteDirect(report, length);
  WriteDirect("\r\n", 2);
  ShutDown(kExitFailureReport);
}

// The object is read only once the lines before it are out: a broken one
// faults, and its report ends in the run-time error line.
[[noreturn]] void ReportFailureObject(const Exception& failure) {
  FlushAheadOfFailureReport();
  const std::string& message = failure.Message();
  WriteFailureReportAndExit(failure.ClassName(), message.data(), message.size(),
                            failure.Address());
}

// The kind's message with its "%x" standing for the status code.
void AppendKindMessage(FixedText<kReportSize>& text, const char* format,
                       DWORD code) {
  const char* placeholder = std::strstr(format, "%x");
  if (placeholder == nullptr) {
    text.Append(format);
    return;
  }
  text.Append(format, static_cast<std::size_t>(placeholder - format));
  text.AppendHex(code, 1);
  text.Append(placeholder + 2);
}

void AppendAccessViolation(FixedText<kReportSize>& text,
                           const platform::PlatformFault& fault) {
  CodeLocation location;
  const bool inModule = Locate(fault.codeAddress, location);
  text.Append("Access violation at address ");
  text.AppendAddress(fault.codeAddress);
  if (inModule) {
    text.Append(" in module '");
    text.Append(location.modulePath + location.nameOffset);
    text.Append("'");
  }
  text.Append(fault.isWrite ? ". Write of address " : ". Read of address ");
  text.AppendAddress(fault.dataAddress);
}

// Composed in place: the fault may have left the heap unusable.
std::size_t ComposeFaultMessage(char (&out)[kReportSize],
                                const platform::PlatformFault& fault,
                                const FaultKind& kind) {
  FixedText<kReportSize> text(out);
  if (fault.code == kAccessViolation) {
    AppendAccessViolation(text, fault);
  } else {
    AppendKindMessage(text, kind.message, fault.code);
  }
  return text.Length();
}

// Installed for the whole run: a fault while the failure report is
// installed is reported like any other failure, otherwise by the run-time
// error line; a fault while a failure is being reported ends that report.
// Returns only to leave the fault to a debugger.
void OnPlatformFault(const platform::PlatformFault& fault) {
  if (failureInProgress.stage != FailureInProgress::kNone) {
    EndInRuntimeErrorLine();
  }
  const FaultKind kind = FaultKindFor(fault.code);
  if (!failureReportInstalled) {
    ReportRuntimeError(kind.runtimeErrorNumber, fault.codeAddress);
  }
  if (platform::UnhandledExceptionFilter() == EXCEPTION_CONTINUE_SEARCH) return;
  BeginFailure(kind.runtimeErrorNumber, fault.codeAddress);
  FlushAheadOfFailureReport();
  char message[kReportSize] = {};
  const std::size_t length = ComposeFaultMessage(message, fault, kind);
  WriteFailureReportAndExit(kind.className, message, length, fault.codeAddress);
}

void InstallFailureReport() {
  failureInProgress = {FailureInProgress::kNone, 0, nullptr};
  platform::InstallFaultHandler(OnPlatformFault);
  if (outOfMemory == nullptr) {
    // Made now and raised, in effect, by every later memory exhaustion.
    // NOLINTNEXTLINE(bugprone-throw-keyword-missing)
    outOfMemory = new EOutOfMemory();
  }
  failureReportInstalled = true;
}

}  // namespace

FaultKind FaultKindFor(DWORD statusCode) {
  switch (statusCode) {
    case 0xC0000094: return {"EDivByZero", "Division by zero", 200};
    case 0xC000008C: return {"ERangeError", "Range check error", 201};
    case 0xC0000095: return {"EIntOverflow", "Integer overflow", 215};
    case 0xC0000090:
    case 0xC000008F:
    case 0xC0000092:
      return {"EInvalidOp", "Invalid floating point operation", 207};
    case 0xC000008E:
      return {"EZeroDivide", "Floating point division by zero", 200};
    case 0xC0000091: return {"EOverflow", "Floating point overflow", 205};
    case 0xC0000093:
    case 0xC000008D: return {"EUnderflow", "Floating point underflow", 206};
    case 0xC0000005: return {"EAccessViolation", "", 216};
    case 0xC0000096: return {"EPrivilege", "Privileged instruction", 218};
    case 0xC000013A: return {"EControlC", "Control-C hit", 217};
    case 0xC00000FD: return {"EStackOverflow", "Stack overflow", 202};
    default: return {"EExternalException", "External exception %x", 255};
  }
}

std::size_t ComposeFailureReport(char (&out)[1024], const char* className,
                                 const char* moduleName, std::uint32_t offset,
                                 const char* message,
                                 std::size_t messageLength) {
  FixedText<kReportSize> text(out);
  text.Append("Exception ");
  text.Append(className);
  text.Append(" in module ");
  text.Append(moduleName, std::strlen(moduleName) > MAX_PATH
                              ? MAX_PATH
                              : std::strlen(moduleName));
  text.Append(" at ");
  text.AppendHex(offset, 8);
  text.Append(".\r\n");
  text.Append(message, messageLength);
  if (messageLength != 0 && message[messageLength - 1] != '.') {
    text.Append(".");
  }
  text.Append("\r\n");
  return text.Length();
}

std::size_t ComposeRuntimeErrorLine(char (&out)[kRuntimeErrorLineSize],
                                    unsigned errorNumber, const void* address) {
  FixedText<kRuntimeErrorLineSize> text(out);
  text.Append("Runtime error ");
  char number[3] = {' ', ' ', ' '};
  for (int i = 2; i >= 0; --i) {
    number[i] = static_cast<char>('0' + errorNumber % 10);
    errorNumber /= 10;
    if (errorNumber == 0) break;
  }
  text.Append(number, 3);
  text.Append(" at ");
  text.AppendAddress(address);
  return text.Length();
}

void RunProgram(void (*report)()) {
  try {
    InstallFailureReport();
  } catch (const std::bad_alloc&) {
    ReportRuntimeError(kRuntimeErrorOutOfMemory, nullptr);
  } catch (...) {
    ReportRuntimeError(kRuntimeErrorUnhandled, nullptr);
  }
  try {
    report();
  } catch (...) {
    ReportUnhandledFailure();
  }
  FinishProgram();
}

void ReportUnhandledFailure() {
  // A failure already being reported is not reported a second time; and a
  // debugger, when one wants it, takes the failure from here.
  if (failureInProgress.stage != FailureInProgress::kNone ||
      platform::UnhandledExceptionFilter() == EXCEPTION_CONTINUE_SEARCH) {
    throw;
  }
  try {
    throw;
  } catch (const EInOutError& failure) {
    BeginFailure(failure.ErrorCode() & kInOutErrorNumberMask,
                 failure.Address());
    ReportFailureObject(failure);
  } catch (const Exception& failure) {
    BeginFailure(kRuntimeErrorUnhandled, failure.Address());
    ReportFailureObject(failure);
  } catch (const std::bad_alloc&) {
    BeginFailure(kRuntimeErrorOutOfMemory, nullptr);
    ReportFailureObject(*outOfMemory);
  } catch (...) {
    BeginFailure(kRuntimeErrorUnhandled, nullptr);
    FlushAheadOfFailureReport();
    WriteFailureReportAndExit("Exception", "", 0, nullptr);
  }
}

void FinishProgram() { ShutDown(0); }

void ReportRuntimeError(unsigned errorNumber, const void* address) {
  BeginFailure(errorNumber, address);
  FlushAheadOfFailureReport();
  WriteRuntimeErrorLine(errorNumber, address);
  ShutDown(errorNumber);
}
