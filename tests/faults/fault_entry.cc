// A test-only program, never shipped: it starts like hotfixes, writes two
// report lines and then makes the processor fault in the way its argument
// names ("access-violation", "division-by-zero", "stack-overflow"), to show
// that such a fault ends in the failure report; or ("fault-in-failure-report")
// raises a failure whose own report faults, to show that this ends at once
// in the run-time error line.
#include <cstring>

#include "output/exceptions.h"
#include "output/program_end.h"
#include "output/report_output.h"

namespace {

const char* chosenFault = "";

// volatile keeps the compiler from proving the faults away.
volatile int zero = 0;
volatile int thousand = 1000;
volatile bool deeper = true;
int* volatile unmappedAddress = reinterpret_cast<int*>(0x10);
const char* const* volatile unmappedName =
    reinterpret_cast<const char* const*>(0x10);

// Its class name lies where nothing can be read: the report of it faults
// while it is being composed.
class EUnreadableName : public Exception {
 public:
  explicit EUnreadableName(const void* address)
      : Exception("never shown", address) {}
  const char* ClassName() const override { return *unmappedName; }
};

int ReadUnmappedMemory() { return *unmappedAddress; }

int DivideByZero() { return thousand / zero; }

int RecurseForever(int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  return deeper ? RecurseForever(depth + 1) + frame[0] : frame[0];
}

void WriteLinesThenFault() {
  WriteReportLine("first line");
  WriteReportLine("second line");
  int result = 0;
  if (std::strcmp(chosenFault, "access-violation") == 0) {
    result = ReadUnmappedMemory();
  } else if (std::strcmp(chosenFault, "division-by-zero") == 0) {
    result = DivideByZero();
  } else if (std::strcmp(chosenFault, "stack-overflow") == 0) {
    result = RecurseForever(0);
  } else if (std::strcmp(chosenFault, "fault-in-failure-report") == 0) {
    throw EUnreadableName(platform::CurrentCodeAddress());
  }
  WriteReportLine(result == 0 ? "no fault" : "unexpected");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) chosenFault = argv[1];
  RunProgram(WriteLinesThenFault);
}
