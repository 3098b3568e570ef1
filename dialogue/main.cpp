// k-berg: Berg coefficients of the cut-off cosine pulse, by direct Fourier analysis.
#include "dialogue/main_routine.h"
#include "platform/platform.h"
#include "textio/channels.h"
#include "textio/failure.h"
#include "textio/records.h"

// The one place the program ends: status 0 after the sign-off, status 2 after a failure, whose
// report follows everything the dialogue wrote so far.
int main() {
  platform::prepare_console();
  platform::install_fault_reports();

  textio::FdSource standard_input(platform::kStdin);
  textio::FdSink standard_output(platform::kStdout);
  textio::Input input(standard_input);
  textio::Records output(standard_output, platform::writes_through(platform::kStdout));

  dialogue::Console console{input, output, platform::system_screen()};
  try {
    dialogue::main_routine(console);
  } catch (const textio::Failure& failure) {
    output.flush();
    std::string ignored;
    platform::write_all(platform::kStderr, textio::report(failure), &ignored);
    platform::restore_console();
    return 2;
  }
  output.flush();
  return 0;
}
