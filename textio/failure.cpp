#include "textio/failure.h"

#include <cstdlib>

#include "platform/platform.h"

namespace textio {

namespace {
Records* pending_output = nullptr;
}  // namespace

void flush_before_failure(Records* output) { pending_output = output; }

void fail(const Unit& unit, std::string_view reason, int line, const char* file) {
  if (pending_output != nullptr) pending_output->flush();

  std::string report = "At line " + std::to_string(line) + " of file " + file;
  if (unit.number != 0) {
    report += " (unit = " + std::to_string(unit.number);
    if (!unit.file.empty()) report += ", file = '" + unit.file + "'";
    report += ")";
  }
  report += "\nk-berg run-time error: ";
  report += reason;
  report += "\n\nError termination. Backtrace:\n";

  std::string ignored;
  platform::write_all(platform::kStderr, report, &ignored);
  platform::write_backtrace(platform::kStderr);
  platform::restore_console();
  std::_Exit(2);
}

}  // namespace textio
