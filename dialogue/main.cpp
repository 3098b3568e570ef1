// k-berg: Berg coefficients of the cut-off cosine pulse, by direct Fourier analysis.
#include <exception>
#include <new>
#include <string>

#include "dialogue/main_routine.h"
#include "platform/console.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "textio/channels.h"
#include "textio/failure.h"
#include "textio/records.h"

namespace {

// Writes `report` on standard error after what the dialogue still had to write. Should
// standard output fail at that point too, the failure in hand, which came first, is the one
// reported. Standard error has nowhere to report its own failures.
int end_with(const std::string& report, textio::Records& output) {
  try {
    output.flush();
  } catch (const textio::Failure&) {
  }
  return textio::end_with_report(report);
}

}  // namespace

// The one place the program ends: status 0 after the sign-off, status 2 after a failure,
// whose report follows everything the dialogue wrote so far. The dialogue fails only by
// textio::Failure; anything else, such as memory running out, is named in one line.
int main() {
  platform::prepare_console();
  platform::install_fault_reports();

  textio::FdSource standard_input(platform::kStdin, textio::standard_input_unit());
  textio::FdSink standard_output(platform::kStdout, textio::standard_output_unit());
  textio::Input input(standard_input);
  textio::Records output(standard_output, platform::writes_through(platform::kStdout),
                         platform::clear_sequence(platform::kStdout));

  dialogue::Console console{input, output, platform::system_pause(), platform::system_files()};
  try {
    dialogue::main_routine(console);
  } catch (const textio::Failure& failure) {
    return end_with(textio::report(failure), output);
  } catch (const std::bad_alloc&) {
    return end_with("k-berg: not enough memory\n", output);
  } catch (const std::exception& error) {
    return end_with(std::string("k-berg: unexpected error: ") + error.what() + "\n", output);
  }
  return 0;
}
