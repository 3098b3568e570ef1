// A fatal signal that reaches k-berg while it waits at a prompt is reported on standard error
// with the signal's name and a listing of the active calls, and the process then ends by that
// very signal, as the system would have ended it.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>

#include "tests/run_program.h"

namespace {

using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

struct Fault {
  int signal;
  std::string report;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.report; }

class FaultReport : public testing::TestWithParam<Fault> {};

TEST_P(FaultReport, IsWrittenAndTheProcessEndsByTheSignal) {
  TempDir folder;
  RunOptions options;
  options.signal_after = " Угол отсечки, (5-180): ";
  options.signal = GetParam().signal;
  options.timeout_seconds = 10;
  // In a build with the address sanitizer, the sanitizer would take SIGSEGV, SIGBUS and SIGFPE
  // for reports of its own. These runs are about the program's report, so the sanitizer
  // leaves those signals to the program. Other builds ignore the variable.
  const char* sanitizer_options = std::getenv("ASAN_OPTIONS");
  options.environment = {std::string("ASAN_OPTIONS=") +
                         (sanitizer_options != nullptr ? sanitizer_options : "") +
                         ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0"};
  RunResult run = run_program("", folder.path(), options);

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, GetParam().signal);
  EXPECT_EQ(run.exit_status, -1);
  const std::string heading =
      "\nProgram received signal " + GetParam().report + ".\n\nBacktrace for this error:\n";
  std::size_t at = run.err.find(heading);
  ASSERT_NE(at, std::string::npos) << run.err;
  // The listing names at least the frame the signal arrived in.
  EXPECT_GT(run.err.size(), at + heading.size()) << run.err;
  EXPECT_EQ(run.out.find("Степень функции"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, FaultReport,
    testing::Values(Fault{SIGSEGV, "SIGSEGV: Segmentation fault - invalid memory reference"},
                    Fault{SIGFPE,
                          "SIGFPE: Floating-point exception - erroneous arithmetic "
                          "operation"},
                    Fault{SIGABRT, "SIGABRT: Process abort signal"}),
    [](const testing::TestParamInfo<Fault>& info) {
      return std::string(sigabbrev_np(info.param.signal));
    });

}  // namespace
