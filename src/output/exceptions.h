// The failures the program raises. Each carries its class name (printed by
// the failure report), one message text and the code address at which it
// was raised.
#ifndef HOTFIXES_OUTPUT_EXCEPTIONS_H_
#define HOTFIXES_OUTPUT_EXCEPTIONS_H_

#include <string>

class Exception {
 public:
  explicit Exception(std::string message, const void* address = nullptr)
      : message_(std::move(message)), address_(address) {}
  virtual ~Exception() = default;

  virtual const char* ClassName() const { return "Exception"; }
  const std::string& Message() const { return message_; }
  const void* Address() const { return address_; }

 private:
  std::string message_;
  const void* address_;
};

// A report line could not be written. The error number is the platform's
// (105 when standard output could not be opened at all).
class EInOutError : public Exception {
 public:
  EInOutError(unsigned errorCode, const void* address);
  const char* ClassName() const override { return "EInOutError"; }
  unsigned ErrorCode() const { return errorCode_; }

 private:
  unsigned errorCode_;
};

// The message EInOutError carries for an error number.
std::string InOutErrorMessage(unsigned errorCode);

class EHeapException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EHeapException"; }
};

class EOutOfMemory : public EHeapException {
 public:
  EOutOfMemory() : EHeapException("Out of memory") {}
  const char* ClassName() const override { return "EOutOfMemory"; }
};

class EInvalidPointer : public EHeapException {
 public:
  EInvalidPointer() : EHeapException("Invalid pointer operation") {}
  const char* ClassName() const override { return "EInvalidPointer"; }
};

#endif  // HOTFIXES_OUTPUT_EXCEPTIONS_H_
