// Processor faults on Linux arrive as signals; they are handed to the
// program in the terms of Windows' exception records, so that one failure
// report serves both platforms.
#include <pthread.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>

#include "platform/platform.h"

namespace platform {
namespace {

FaultHandler installedHandler = nullptr;
std::uintptr_t stackLowest = 0;

// Room to run the handler on when the program's own stack is used up.
alignas(16) char alternateStack[128 * 1024];

const int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

constexpr DWORD kAccessViolation = 0xC0000005;
constexpr DWORD kStackOverflow = 0xC00000FD;

void RememberStackBounds() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* lowest = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &lowest, &size) == 0) {
    stackLowest = reinterpret_cast<std::uintptr_t>(lowest);
  }
  pthread_attr_destroy(&attributes);
}

// A fault just below (or in the last pages of) the stack is the stack
// running out, not a stray pointer.
bool IsStackExhaustion(const void* address) {
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(address);
  const std::uintptr_t margin = std::uintptr_t{256} * 1024;
  return stackLowest != 0 && at + margin >= stackLowest &&
         at < stackLowest + margin;
}

DWORD StatusForFloatingPoint(int code) {
  switch (code) {
    case FPE_INTDIV: return 0xC0000094;
    case FPE_INTOVF: return 0xC0000095;
    case FPE_FLTDIV: return 0xC000008E;
    case FPE_FLTOVF: return 0xC0000091;
    case FPE_FLTUND: return 0xC0000093;
    case FPE_FLTRES: return 0xC000008F;
    case FPE_FLTINV: return 0xC0000090;
    case FPE_FLTSUB: return 0xC000008C;
    default: return 0xC0000090;
  }
}

DWORD StatusFor(int signal, const siginfo_t* info) {
  switch (signal) {
    case SIGFPE: return StatusForFloatingPoint(info->si_code);
    case SIGILL: return info->si_code == ILL_PRVOPC ? 0xC0000096 : 0xC000001D;
    default:
      return IsStackExhaustion(info->si_addr) ? kStackOverflow
                                              : kAccessViolation;
  }
}

const void* InstructionAddress(const siginfo_t* info, const void* context) {
  const ucontext_t* uc = static_cast<const ucontext_t*>(context);
  (void)info;
#if defined(__x86_64__)
  return reinterpret_cast<const void*>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return reinterpret_cast<const void*>(uc->uc_mcontext.pc);
#else
  (void)uc;
  return info->si_addr;  // the best there is without the context
#endif
}

bool WasWrite(const void* context) {
#if defined(__x86_64__)
  // Bit 1 of the page-fault error code is set for a write access.
  const ucontext_t* uc = static_cast<const ucontext_t*>(context);
  return (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0;
#else
  (void)context;
  return false;
#endif
}

void OnFaultSignal(int signal, siginfo_t* info, void* context) {
  PlatformFault fault{};
  fault.code = StatusFor(signal, info);
  fault.codeAddress = InstructionAddress(info, context);
  if (fault.code == kAccessViolation) {
    fault.isWrite = WasWrite(context);
    fault.dataAddress = info->si_addr;
  }
  installedHandler(fault);
  _exit(128 + signal);  // the handler never returns; this is a backstop
}

}  // namespace

void InstallFaultHandler(FaultHandler handler) {
  installedHandler = handler;
  struct sigaction action = {};
  if (handler == nullptr) {
    action.sa_handler = SIG_DFL;
  } else {
    RememberStackBounds();
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    action.sa_sigaction = OnFaultSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
  }
  sigemptyset(&action.sa_mask);
  for (int signal : kFaultSignals) sigaction(signal, &action, nullptr);
}

}  // namespace platform
