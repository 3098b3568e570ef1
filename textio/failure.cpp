#include "textio/failure.h"

#include "platform/console.h"
#include "platform/faults.h"

namespace textio {

Failure::Failure(Unit unit, const std::string& reason, int line, const char* file)
    : Error(reason),
      unit_(std::move(unit)),
      line_(line),
      file_(file),
      backtrace_(platform::backtrace_listing()) {}

std::string report(const Failure& failure) {
  std::string text = "At line " + std::to_string(failure.line()) + " of file " + failure.file();
  const Unit& unit = failure.unit();
  if (unit.number != 0) {
    text += " (unit = " + std::to_string(unit.number);
    if (!unit.file.empty()) text += ", file = '" + unit.file + "'";
    text += ")";
  }
  text += "\nk-berg run-time error: ";
  text += failure.reason();
  text += "\n\nError termination. Backtrace:\n";
  text += failure.backtrace();
  return text;
}

int end_with_report(std::string_view report) {
  std::string ignored;
  platform::restore_console();
  platform::write_all(platform::kStderr, report, &ignored);
  return 2;
}

}  // namespace textio
