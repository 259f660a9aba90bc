#include "output/exceptions.h"

#include "common/format.h"

std::string InOutErrorMessage(unsigned errorCode) {
  switch (errorCode) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return Format("I/O error %d", {errorCode});
  }
}

EInOutError::EInOutError(unsigned errorCode, const void* address)
    : Exception(InOutErrorMessage(errorCode), address), errorCode_(errorCode) {}
