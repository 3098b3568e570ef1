// Fault reports and the listing of active calls on Linux and other POSIX systems.
#include <cxxabi.h>
#include <execinfo.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/console.h"
#include "platform/faults.h"

namespace platform {

namespace {

constexpr int kMostFrames = 64;

// Writes a string from a signal handler, where only async-signal-safe calls are allowed.
void write_raw(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  while (length > 0) {
    ssize_t written = ::write(kStderr, text, length);
    if (written <= 0) return;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

struct Fault {
  int signal_number;
  const FaultName& name;
};

constexpr Fault kFaults[] = {
    {SIGSEGV, kSegmentationFault}, {SIGBUS, kBusError}, {SIGILL, kIllegalInstruction},
    {SIGFPE, kArithmeticTrap},     {SIGABRT, kAbort},
};

void report_fault(int signal_number) {
  for (const Fault& fault : kFaults) {
    if (fault.signal_number == signal_number) write_fault_heading(fault.name, write_raw);
  }
  void* frames[kMostFrames];
  backtrace_symbols_fd(frames, backtrace(frames, kMostFrames), kStderr);
  // End the way the system ends a process for this signal.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// The handler also runs on a stack of its own, so that a stack overflow is reported too.
alignas(16) char fault_stack[64 * 1024];

}  // namespace

void install_fault_reports() {
  // The first listing loads the unwinder, which allocates; do it now, not in the handler.
  void* frames[1];
  backtrace(frames, 1);

  stack_t alternate{};
  alternate.ss_sp = fault_stack;
  alternate.ss_size = sizeof fault_stack;
  sigaltstack(&alternate, nullptr);

  struct sigaction action {};
  action.sa_handler = report_fault;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const Fault& fault : kFaults) sigaction(fault.signal_number, &action, nullptr);
}

// Each frame as "#n  function [address]", the function's name demangled where the executable
// exports it. Called outside signal handlers only: demangling allocates.
std::string backtrace_listing() {
  void* frames[kMostFrames];
  int depth = backtrace(frames, kMostFrames);
  char** symbols = backtrace_symbols(frames, depth);
  std::string listing;
  for (int i = 1; i < depth; ++i) {  // frame 0 is this function
    std::string symbol = symbols != nullptr ? symbols[i] : "?";
    symbol = symbol.substr(0, symbol.find(" ["));  // the address follows anyway
    std::size_t open = symbol.find('('), plus = symbol.find('+', open);
    if (open != std::string::npos && plus != std::string::npos && plus > open + 1) {
      std::string mangled = symbol.substr(open + 1, plus - open - 1);
      int status = 0;
      char* name = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
      symbol = status == 0 ? name : mangled;
      std::free(name);
    }
    char address[32];
    std::snprintf(address, sizeof address, " [%p]", frames[i]);
    listing.append("#").append(std::to_string(i - 1)).append("  ").append(symbol);
    listing.append(address).append("\n");
  }
  std::free(symbols);
  return listing;
}

}  // namespace platform
