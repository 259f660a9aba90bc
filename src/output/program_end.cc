#include "output/program_end.h"

#include <cstring>
#include <new>
#include <string>

#include "common/ansi_text.h"
#include "common/format.h"
#include "output/exceptions.h"
#include "output/report_output.h"

namespace {

bool failureReportInstalled = false;
bool shuttingDown = false;
// Raised memory exhaustion is reported through this object, made before
// the report begins, so that reporting it needs no memory.
const EOutOfMemory* outOfMemory = nullptr;

const unsigned kExitFailureReport = 1;
const unsigned kRuntimeErrorOutOfMemory = 203;
const unsigned kRuntimeErrorUnhandled = 217;
const std::uintptr_t kImageCodeStart = 0x1000;
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
  void AppendHex8(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[8];
    for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = kDigits[value & 0xF];
    Append(digits, 8);
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
  shuttingDown = true;
  failureReportInstalled = false;
  FlushReportOutput();
  ReportOutput.TakePendingError();  // a failure here changes nothing
  platform::ExitProcess(exitCode);
}

[[noreturn]] void WriteFailureReportAndExit(const char* className,
                                            const char* message,
                                            std::size_t messageLength,
                                            const void* address) {
  FlushReportOutput();
  // Lines that could not be written are lost either way; the report of the
  // failure that ends the program still goes out.
  ReportOutput.TakePendingError();
  CodeLocation location;
  Locate(address, location);
  char report[1024];
  const std::size_t length = ComposeFailureReport(
      report, className, location.modulePath + location.nameOffset,
      static_cast<std::uint32_t>(location.offset), message, messageLength);
  WriteDirect(report, length);
  WriteDirect("\r\n", 2);
  ShutDown(kExitFailureReport);
}

std::string FaultMessage(const platform::PlatformFault& fault,
                         const FaultKind& kind) {
  if (fault.code != 0xC0000005) return Format(kind.message, {fault.code});
  CodeLocation location;
  const bool inModule = Locate(fault.codeAddress, location);
  const char* access = fault.isWrite ? "Write" : "Read";
  if (!inModule) {
    return Format("Access violation at address %p. %s of address %p",
                  {fault.codeAddress, access, fault.dataAddress});
  }
  return Format(
      "Access violation at address %p in module '%s'. %s of address %p",
      {fault.codeAddress, location.modulePath + location.nameOffset, access,
       fault.dataAddress});
}

// Installed for the whole run: a fault while the failure report is
// installed is reported like any other failure, otherwise by the run-time
// error line. Returns only to leave the fault to a debugger.
void OnPlatformFault(const platform::PlatformFault& fault) {
  const FaultKind kind = FaultKindFor(fault.code);
  if (!failureReportInstalled) {
    ReportRuntimeError(kind.runtimeErrorNumber, fault.codeAddress);
  }
  if (platform::UnhandledExceptionFilter() == EXCEPTION_CONTINUE_SEARCH) return;
  const std::string message = FaultMessage(fault, kind);
  WriteFailureReportAndExit(kind.className, message.data(), message.size(),
                            fault.codeAddress);
}

void InstallFailureReport() {
  shuttingDown = false;
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
  FixedText<1024> text(out);
  text.Append("Exception ");
  text.Append(className);
  text.Append(" in module ");
  text.Append(moduleName, std::strlen(moduleName) > MAX_PATH
                              ? MAX_PATH
                              : std::strlen(moduleName));
  text.Append(" at ");
  text.AppendHex8(offset);
  text.Append(".\r\n");
  text.Append(message, messageLength);
  if (messageLength != 0 && message[messageLength - 1] != '.') {
    text.Append(".");
  }
  text.Append("\r\n");
  return text.Length();
}

std::size_t ComposeRuntimeErrorLine(char (&out)[32], unsigned errorNumber,
                                    const void* address) {
  FixedText<32> text(out);
  text.Append("Runtime error ");
  char number[3] = {' ', ' ', ' '};
  for (int i = 2; i >= 0; --i) {
    number[i] = static_cast<char>('0' + errorNumber % 10);
    errorNumber /= 10;
    if (errorNumber == 0) break;
  }
  text.Append(number, 3);
  text.Append(" at ");
  text.AppendHex8(
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
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
  // Once the program is ending nothing is reported a second time; and a
  // debugger, when one wants it, takes the failure from here.
  if (shuttingDown ||
      platform::UnhandledExceptionFilter() == EXCEPTION_CONTINUE_SEARCH) {
    throw;
  }
  try {
    throw;
  } catch (const Exception& failure) {
    WriteFailureReportAndExit(failure.ClassName(), failure.Message().data(),
                              failure.Message().size(), failure.Address());
  } catch (const std::bad_alloc&) {
    WriteFailureReportAndExit(outOfMemory->ClassName(),
                              outOfMemory->Message().data(),
                              outOfMemory->Message().size(), nullptr);
  } catch (...) {
    WriteFailureReportAndExit("Exception", "", 0, nullptr);
  }
}

void FinishProgram() { ShutDown(0); }

void ReportRuntimeError(unsigned errorNumber, const void* address) {
  FlushReportOutput();
  ReportOutput.TakePendingError();
  char line[32];
  const std::size_t length =
      ComposeRuntimeErrorLine(line, errorNumber, address);
  WriteDirect(line, length);
  WriteDirect("\r\n", 2);
  ShutDown(errorNumber);
}
