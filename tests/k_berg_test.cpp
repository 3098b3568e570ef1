// End-to-end runs of the real programs for what only a process shows: the exit status and the
// failure report on standard error, the fatal-signal reports, closed and failing streams,
// memory that runs out, and lines and tables of any length in bounded memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/run_program.h"

namespace {

using testing_support::run_script;
using testing_support::RunResult;
using testing_support::TempDir;

bool windows() { return testing_support::setting("K_BERG_BINARY").ends_with(".exe"); }

// The script, how the report's first line ends, its reason, and how standard output ends: it
// is flushed before the report, and a save that failed is not confirmed.
struct FailureCase {
  const char* script;
  std::string location, reason;
  const char* last_output;
};

void expect_failure(const FailureCase& c) {
  TempDir folder;
  RunResult run = run_script(c.script, folder);
  SCOPED_TRACE(c.script);
  EXPECT_EQ(run.status, 2);
  // The location line ends the first line, the rest is on lines of their own.
  EXPECT_TRUE(run.err.starts_with("At line ")) << run.err;
  EXPECT_EQ(run.err.find(c.location + "\nk-berg run-time error: " + c.reason +
                         "\n\nError termination. Backtrace:\n#0 "),
            run.err.find('\n') - c.location.size())
      << run.err;
  EXPECT_TRUE(run.out.ends_with(c.last_output)) << run.out;
  if (!windows()) {  // the listing names the calls, demangled where they can be, else the file
    EXPECT_NE(run.err.find("  dialogue::main_routine(dialogue::Console&) [0x"), std::string::npos);
    EXPECT_NE(run.err.find("  main [0x"), std::string::npos) << run.err;
    const std::size_t unnamed = run.err.find("  /");
    EXPECT_LT(run.err.find("(+0x", unnamed), run.err.find('\n', unnamed)) << run.err;
  }
}

TEST(Failures, EndWithTheReportAndStatusTwo) {
  // Windows refuses a directory as a file by denying access; POSIX systems say what it is.
  const std::string directory = windows() ? "Permission denied" : "Is a directory";
  const FailureCase cases[] = {
      {"printf '' | $K", "textio/vvod.cpp (unit = 5, file = 'stdin')", "End of file", "(5-180): "},
      {"$K <&-", "(unit = 5, file = 'stdin')", "End of file", "(5-180): "},
      {"printf '90\\nabc\\n' | $K", "textio/vvod.cpp", "Bad real number in item 1 of list input",
       "(1-5): "},
      {"mkdir K-Berg.txt; printf '90\\n1\\n2\\n' | $K", "report/printer.cpp (unit = 120)",
       "Cannot open file 'K-Berg.txt': " + directory, "цифру ...  "},
      {"ln -s /dev/full K-Berg.txt; printf '90\\n1\\n2\\n' | $K",
       "report/printer.cpp (unit = 120, file = 'K-Berg.txt')",
       "Cannot write to file 'K-Berg.txt': No space left on device", "цифру ...  "},
  };
  for (const FailureCase& c : cases) expect_failure(c);
}

// Standard streams that fail, and a file-size limit (in KiB): a report and status 2, never
// status 0 or a silent death by SIGXFSZ. Wine has no counterpart to these.
TEST(Streams, FailuresOfStandardStreamsAndOfTheFileSizeLimit) {
  const std::string out = "textio/channels.cpp (unit = 6, file = 'stdout')";
  const std::string in = "textio/channels.cpp (unit = 5, file = 'stdin')";
  const FailureCase cases[] = {
      {"printf '90\\n1\\n3\\n' | $K > /dev/full", out,
       "Cannot write to file 'stdout': No space left on device", ""},
      {"printf '90\\n1\\n3\\n' | $K >&-", out, "Cannot write to file 'stdout': Bad file descriptor",
       ""},
      {"ulimit -f 1; printf '90\\n1\\n1\\n90\\n1\\n3\\n' | $K", out,
       "Cannot write to file 'stdout': File too large", ""},
      {"$K < / > /dev/null", in, "Cannot read from file 'stdin': Is a directory", ""},
  };
  for (const FailureCase& c : cases) expect_failure(c);
}

// A fatal signal at a prompt is reported with the signal's name and a listing of the active
// calls, and the process then ends by that very signal, as the system would have ended it.
// The signal is sent once the program waits in read(0, ...), which its system-call file shows
// by the number that cut's own read shows: sent earlier, it could land in the prompt's write.
TEST(Faults, AreReportedAndEndTheProcessByTheSignal) {
  const std::pair<int, const char*> faults[] = {
      {11, "SIGSEGV: Segmentation fault - invalid memory reference"},
      {8, "SIGFPE: Floating-point exception - erroneous arithmetic operation"},
      {6, "SIGABRT: Process abort signal"}};
  for (const auto& [signal, report] : faults) {
    TempDir folder;
    // Under the address sanitizer, these signals are left to the program's own reports.
    RunResult run = run_script(
        "export ASAN_OPTIONS=\"$ASAN_OPTIONS:handle_segv=0:handle_sigfpe=0:handle_abort=0\"\n"
        "$K < <(sleep 10) & program=$! read_call=$(cut -d' ' -f1 /proc/self/syscall)\n"
        "for ((tries = 0; tries < 500; ++tries)); do\n"
        "  [[ $(cut -d' ' -f1,2 /proc/$program/syscall) == \"$read_call 0x0\" ]] && break\n"
        "  sleep 0.02\ndone\nkill -" +
            std::to_string(signal) + " $program; wait $program",
        folder);
    SCOPED_TRACE(report);
    EXPECT_EQ(run.status, 128 + signal);
    // The heading, then the listing of the calls, among them the read the signal came in.
    const std::string heading = ".\n\nBacktrace for this error:\n";
    const std::size_t at =
        run.err.find(std::string("\nProgram received signal ") + report + heading);
    ASSERT_NE(at, std::string::npos) << run.err;
    EXPECT_NE(run.err.find("chislo", at), std::string::npos) << run.err;
  }
}

// The most memory a run may take, in KiB: 16 MiB. Builds under the sanitizers carry shadow
// memory of their own; their test preset raises the limit through K_BERG_MEMORY_LIMIT_MIB.
long memory_limit_kib() {
  const char* limit = std::getenv("K_BERG_MEMORY_LIMIT_MIB");
  return (limit != nullptr ? std::atol(limit) : 16) * 1024;
}

// A line held whole would take 100 MiB.
TEST(Memory, LinesOfAHundredMebibytesAreReadInBoundedMemory) {
  const std::pair<const char*, int> lines[] = {
      {"printf 90; head -c 100M /dev/zero | tr '\\0' ' '", 2},
      {"printf '90\\n1\\n3'; head -c 100M /dev/zero | tr '\\0' ' '", 0},
      {"printf '90\\n1\\n'; head -c 100M /dev/zero | tr '\\0' 9", 2}};
  for (const auto& [input, status] : lines) {
    TempDir folder;
    RunResult run = run_script(std::string("{ ") + input + "; } | $K", folder);
    SCOPED_TRACE(input);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_LT(run.peak_memory_kib, memory_limit_kib());
  }
}

// k-berg-table writes each row as it is computed and keeps of the chart what its width can
// show: 100,000 rows take no more memory, and no larger a chart, than a few. The address
// sanitizer would hold every freed block for a while, up to 256 MiB.
TEST(Memory, AHundredThousandRowsStreamOut) {
  TempDir folder;
  const RunResult run =
      run_script("export ASAN_OPTIONS=\"$ASAN_OPTIONS:quarantine_size_mb=4\"\n'" K_BERG_TABLE_BINARY
                 "' --from 4.9 --to 104.899 --step 0.001 --svg chart.svg | tail -n 1",
                 folder);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "104.899  0.36389  0.52649  0.15234 -0.03917 -0.01838  0.01936  0.00077 -0.00998\r\n");
  EXPECT_LT(run.peak_memory_kib, memory_limit_kib());
  EXPECT_LT(std::filesystem::file_size(folder.path() / "chart.svg"), 200000u);
}

// An allocation that fails, as when memory runs out, ends either program with one line naming
// it and status 2, not with an abort. The preloaded module fails every allocation of 512 KiB
// or more; the first is the analysis's table of angles. The sanitizers bring an allocator of
// their own, which a preloaded one cannot stand in for. k-berg-table speaks English in C,
// whatever the caller's language.
TEST(Memory, RunningOutIsNamedInOneLine) {
  if (std::getenv("ASAN_OPTIONS") != nullptr) GTEST_SKIP() << "not under the sanitizers";
  const std::string preload = "LD_PRELOAD='" K_BERG_FAIL_ALLOCATIONS "' ";
  const std::pair<std::string, std::string> runs[] = {
      {"printf '90\\n1\\n' | " + preload + "$K", "k-berg: not enough memory\n"},
      {preload + "LC_ALL=C '" K_BERG_TABLE_BINARY "'", "k-berg-table: not enough memory\n"}};
  for (const auto& [script, report] : runs) {
    TempDir folder;
    const RunResult run = run_script(script, folder);
    EXPECT_EQ(run.status, 2) << script;
    EXPECT_EQ(run.err, report) << script;
  }
}

}  // namespace
