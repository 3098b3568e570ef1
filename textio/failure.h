// The one way the program fails: a report on standard error, then exit status 2.
#pragma once

#include <string>
#include <string_view>

#include "textio/records.h"

namespace textio {

// The channel a failure concerns, as the location line names it. Number 0 is none: the
// failure came from reading a number out of a buffer in memory.
struct Unit {
  int number = 0;
  std::string file;  // empty when the channel is not named
};

inline Unit standard_input_unit() { return {5, "stdin"}; }
inline Unit no_unit() { return {}; }

// Standard output, whose pending records are pushed out before the report is written.
void flush_before_failure(Records* output);

// Writes the location line naming the calling source line and the unit, the reason after a fixed
// prefix, an empty line, "Error termination. Backtrace:" and the listing of active calls, then ends
// the process with status 2. The place of the call comes from the compiler's builtins:
// std::source_location is not available to clang 14 with the GNU C++ library.
[[noreturn]] void fail(const Unit& unit, std::string_view reason, int line = __builtin_LINE(),
                       const char* file = __builtin_FILE());

}  // namespace textio
