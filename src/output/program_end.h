// How the program ends: normally, with the failure report, or with the
// last-resort run-time error line.
#ifndef HOTFIXES_OUTPUT_PROGRAM_END_H_
#define HOTFIXES_OUTPUT_PROGRAM_END_H_

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// What a platform fault is reported as.
struct FaultKind {
  const char* className;
  const char* message;          // a format for the status code (%x)
  unsigned runtimeErrorNumber;  // used when no failure report is installed
};
FaultKind FaultKindFor(DWORD statusCode);

// Starts the program: installs the failure report, runs `report` under it
// and ends the process. Never returns.
[[noreturn]] void RunProgram(void (*report)());

// For a failure that reached the top: must be called from inside the
// handler that caught it. Writes the pending report lines and the failure
// report, and ends the process with exit code 1.
[[noreturn]] void ReportUnhandledFailure();

// The normal end: writes what is pending and exits with code 0.
[[noreturn]] void FinishProgram();

// The last resort for a failure while no failure report is installed.
[[noreturn]] void ReportRuntimeError(unsigned errorNumber, const void* address);

// The failure report's text, composed in `out` (at most 1023 characters and
// a NUL) without allocating memory; returns its length.
std::size_t ComposeFailureReport(char (&out)[1024], const char* className,
                                 const char* moduleName, std::uint32_t offset,
                                 const char* message,
                                 std::size_t messageLength);

// Room for the run-time error line and its NUL, with a 64-bit address.
const std::size_t kRuntimeErrorLineSize = 40;

// The run-time error line: "Runtime error NNN at XXXXXXXX" (29 characters),
// the address with more digits where it needs them.
std::size_t ComposeRuntimeErrorLine(char (&out)[kRuntimeErrorLineSize],
                                    unsigned errorNumber, const void* address);

#endif  // HOTFIXES_OUTPUT_PROGRAM_END_H_
