// k-berg: Berg coefficients of the cut-off cosine pulse, by direct Fourier analysis.
#include "dialogue/main_routine.h"
#include "platform/platform.h"
#include "textio/channels.h"
#include "textio/failure.h"
#include "textio/records.h"

namespace {

// Writes the report of the failure on standard error after what the dialogue still had to
// write. Should standard output fail at that point too, the failure in hand, which came first,
// is the one reported. Standard error has nowhere to report its own failures.
int report_failure(const textio::Failure& failure, textio::Records& output) {
  try {
    output.flush();
  } catch (const textio::Failure&) {
  }
  std::string ignored;
  platform::write_all(platform::kStderr, textio::report(failure), &ignored);
  platform::restore_console();
  return 2;
}

}  // namespace

// The one place the program ends: status 0 after the sign-off, status 2 after a failure, whose
// report follows everything the dialogue wrote so far.
int main() {
  platform::prepare_console();
  platform::install_fault_reports();

  textio::FdSource standard_input(platform::kStdin, textio::standard_input_unit());
  textio::FdSink standard_output(platform::kStdout, textio::standard_output_unit());
  textio::Input input(standard_input);
  textio::Records output(standard_output, platform::writes_through(platform::kStdout));

  dialogue::Console console{input, output, platform::system_screen()};
  try {
    dialogue::main_routine(console);
    output.flush();
  } catch (const textio::Failure& failure) {
    return report_failure(failure, output);
  }
  return 0;
}
