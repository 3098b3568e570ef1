// Fault reports and the listing of active calls on Windows.
#include <windows.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/console.h"
#include "platform/faults.h"

namespace platform {

namespace {

// The most frames CaptureStackBackTrace gives, and the most the report of a fault unwinds.
constexpr ULONG kMostCapturedFrames = 62;
constexpr int kMostUnwoundFrames = 64;

HANDLE standard_error() { return GetStdHandle(STD_ERROR_HANDLE); }

// Writes a string from a fault handler: no heap, no C runtime.
void write_raw(const char* text) {
  DWORD ignored = 0;
  WriteFile(standard_error(), text, static_cast<DWORD>(std::strlen(text)), &ignored, nullptr);
}

// The address of `address` if its module were loaded at the base its image asks for: the
// address that `addr2line -e k-berg.exe` understands.
std::uintptr_t preferred_address(HMODULE module, const void* address) {
  auto base = reinterpret_cast<const unsigned char*>(module);
  auto dos_header = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt_headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos_header->e_lfanew);
  return nt_headers->OptionalHeader.ImageBase + (static_cast<const unsigned char*>(address) - base);
}

// One frame as "#n  module+0xoffset [0xaddress]\n" into `line`; returns its length. Uses no
// heap, so that it also serves when the program has faulted.
int format_frame(char* line, int size, int number, const void* address) {
  HMODULE module = nullptr;
  constexpr DWORD kFlags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  char path[MAX_PATH] = "?";
  std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(address);
  std::uintptr_t shown = offset;
  if (GetModuleHandleExA(kFlags, static_cast<const char*>(address), &module)) {
    GetModuleFileNameA(module, path, sizeof path);
    offset -= reinterpret_cast<std::uintptr_t>(module);
    shown = preferred_address(module, address);
  }
  const char* name = std::strrchr(path, '\\');
  name = name != nullptr ? name + 1 : path;
  int length = std::snprintf(line, static_cast<std::size_t>(size), "#%d  %s+0x%llx [0x%llx]\n",
                             number, name, static_cast<unsigned long long>(offset),
                             static_cast<unsigned long long>(shown));
  return std::clamp(length, 0, size - 1);
}

constexpr int kFrameLine = MAX_PATH + 64;

void write_frame(int number, const void* address) {
  char line[kFrameLine];
  DWORD ignored = 0;
  WriteFile(standard_error(), line,
            static_cast<DWORD>(format_frame(line, kFrameLine, number, address)), &ignored, nullptr);
}

// The frames of the calls active in the caller, the caller's own first; a null frame marks the
// start of the thread, and what may follow it is not a call.
USHORT capture_calls(void* (&frames)[kMostCapturedFrames]) {
  USHORT depth = CaptureStackBackTrace(1, kMostCapturedFrames, frames, nullptr);
  USHORT calls = 0;
  while (calls < depth && frames[calls] != nullptr) ++calls;
  return calls;
}

// The active calls at the moment of a fault, unwound from the processor state that Windows
// saved, starting at the faulting instruction.
void write_fault_backtrace(const CONTEXT& fault_context) {
  CONTEXT context = fault_context;
  for (int number = 0; number < kMostUnwoundFrames && context.Rip != 0; ++number) {
    write_frame(number, reinterpret_cast<const void*>(context.Rip));
    DWORD64 image_base = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &image_base, nullptr);
    if (function == nullptr) {  // a leaf function: the return address is on top of the stack
      context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
      context.Rsp += sizeof(DWORD64);
      continue;
    }
    void* handler_data = nullptr;
    DWORD64 frame = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, context.Rip, function, &context, &handler_data,
                     &frame, nullptr);
  }
}

// The signal that stands for a Windows exception, or nullptr for exceptions that are not
// processor faults.
const FaultName* fault_name(DWORD exception_code) {
  switch (exception_code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
      return &kSegmentationFault;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
      return &kIllegalInstruction;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
      return &kArithmeticTrap;
    default:
      return nullptr;
  }
}

LONG WINAPI report_exception(EXCEPTION_POINTERS* exception) {
  const FaultName* fault = fault_name(exception->ExceptionRecord->ExceptionCode);
  if (fault == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  restore_console();
  write_fault_heading(*fault, write_raw);
  write_fault_backtrace(*exception->ContextRecord);
  // The process ends with the exception code as its status, without the error-report dialog.
  return EXCEPTION_EXECUTE_HANDLER;
}

void report_abort(int signal_number) {
  restore_console();
  write_fault_heading(kAbort, write_raw);
  void* frames[kMostCapturedFrames];
  USHORT calls = capture_calls(frames);
  for (USHORT i = 0; i < calls; ++i) write_frame(i, frames[i]);
  // End the way the C library ends a process for this signal.
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void install_fault_reports() {
  // Keep room on the stack for the report when the stack itself has overflowed.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  SetUnhandledExceptionFilter(report_exception);
  std::signal(SIGABRT, report_abort);
}

std::string backtrace_listing() {
  void* frames[kMostCapturedFrames];
  USHORT calls = capture_calls(frames);
  std::string listing;
  for (USHORT i = 0; i < calls; ++i) {
    char line[kFrameLine];
    listing.append(line, static_cast<std::size_t>(format_frame(line, kFrameLine, i, frames[i])));
  }
  return listing;
}

}  // namespace platform
