// The failures of the record layer, told with the place they were seen and the calls active
// then.
#pragma once

#include <string>
#include <string_view>

#include "textio/error.h"

namespace textio {

// The channel a failure concerns, as the location line names it. Number 0 is none: the
// failure came from reading a number out of a buffer in memory.
struct Unit {
  int number = 0;
  std::string file;  // empty when the channel is not named
};

inline Unit standard_input_unit() { return {5, "stdin"}; }
inline Unit standard_output_unit() { return {6, "stdout"}; }
inline Unit no_unit() { return {}; }

// A failure of the record layer (standard streams, number entry, the report file), thrown
// where it is seen: the unit, the reason (what()), the calling source line and file, and the
// listing of the calls active at that moment. The place of the call comes from the compiler's
// builtins: std::source_location is not available to clang 14 with the GNU C++ library.
class Failure : public Error {
 public:
  Failure(Unit unit, const std::string& reason, int line = __builtin_LINE(),
          const char* file = __builtin_FILE());

  const Unit& unit() const { return unit_; }
  std::string_view reason() const { return what(); }
  int line() const { return line_; }
  const std::string& file() const { return file_; }
  const std::string& backtrace() const { return backtrace_; }

 private:
  Unit unit_;
  int line_;
  std::string file_;
  std::string backtrace_;
};

// The report: the location line naming the source line and the unit, the reason after a fixed
// prefix, an empty line, "Error termination. Backtrace:" and the listing of active calls.
std::string report(const Failure& failure);

// How a program ends after a failure: the console restored, `report` on standard error (which
// has nowhere to report its own failure), and the status 2 returned for main to end with.
int end_with_report(std::string_view report);

}  // namespace textio
