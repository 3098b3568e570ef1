// k-berg: Berg coefficients of the cut-off cosine pulse, by direct Fourier analysis.
#include "dialogue/main_routine.h"
#include "platform/platform.h"
#include "textio/channels.h"
#include "textio/failure.h"
#include "textio/records.h"

int main() {
  platform::prepare_console();
  platform::install_fault_reports();

  textio::FdSource standard_input(platform::kStdin);
  textio::FdSink standard_output(platform::kStdout);
  textio::Input input(standard_input);
  textio::Records output(standard_output, platform::writes_through(platform::kStdout));
  textio::flush_before_failure(&output);

  dialogue::Console console{input, output, platform::system_screen()};
  dialogue::main_routine(console);
  output.flush();
  return 0;
}
