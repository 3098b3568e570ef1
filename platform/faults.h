// Reports of fatal processor faults, and the listing of active calls that they and failure
// reports show. faults-posix.cpp and faults-windows.cpp implement it; the build picks one.
#pragma once

#include <string>

namespace platform {

// Installs the reports of fatal processor faults (invalid memory reference, illegal
// instruction, arithmetic trap, abort), after which the process ends as the system ends it.
void install_fault_reports();

// A listing of the calls active in the caller, one line each, innermost first.
std::string backtrace_listing();

// A fault as its report names it: the POSIX signal and its description, on every system.
struct FaultName {
  const char* name;
  const char* description;
};

inline constexpr FaultName kSegmentationFault{"SIGSEGV",
                                              "Segmentation fault - invalid memory reference"};
inline constexpr FaultName kBusError{"SIGBUS", "Access to an undefined portion of a memory object"};
inline constexpr FaultName kIllegalInstruction{"SIGILL", "Illegal instruction"};
inline constexpr FaultName kArithmeticTrap{
    "SIGFPE", "Floating-point exception - erroneous arithmetic operation"};
inline constexpr FaultName kAbort{"SIGABRT", "Process abort signal"};

// Writes the heading of the report, "Program received signal NAME: DESCRIPTION." and
// "Backtrace for this error:", piece by piece through `write`, which a fault handler gives as
// a plain write to standard error: no string is built, nothing is allocated.
inline void write_fault_heading(const FaultName& fault, void (*write)(const char* text)) {
  for (const char* piece : {"\nProgram received signal ", fault.name, ": ", fault.description,
                            ".\n\nBacktrace for this error:\n"}) {
    write(piece);
  }
}

}  // namespace platform
