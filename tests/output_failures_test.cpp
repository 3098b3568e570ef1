// Standard output or input that fails, and a file-size limit, end the program with a report
// naming the stream and status 2, never with status 0 or a silent death by SIGXFSZ. The
// redirections are the shell's: the program is started by /bin/sh.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/run_program.h"

namespace {

struct ShellRun {
  const char* name;
  std::string command;  // "k-berg" stands for the program under test
  std::string unit;     // as the location line of the report names it
  std::string reason;
};

void PrintTo(const ShellRun& run, std::ostream* out) { *out << run.command; }

class OutputFailures : public testing::TestWithParam<ShellRun> {};

TEST_P(OutputFailures, EndWithTheReportAndStatus2) {
  testing_support::TempDir folder;
  std::string program;
  for (const std::string& word : testing_support::program_command()) program += "'" + word + "' ";
  std::string command = GetParam().command;
  command.replace(command.find("k-berg"), 6, program);
  int status =
      std::system(("cd '" + folder.path().string() + "' && (" + command + ") 2> err").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);  // 153 would be a death by SIGXFSZ
  std::string report =
      "(unit = " + GetParam().unit + ")\nk-berg run-time error: " + GetParam().reason + "\n";
  EXPECT_NE(folder.read("err").find(report), std::string::npos) << folder.read("err");
  // A failed save leaves no part of its block behind: each block is 580 bytes.
  EXPECT_EQ(folder.read("K-Berg.txt").size() % 580, 0u);
}

// ulimit -f counts blocks of 512 bytes in /bin/sh.
INSTANTIATE_TEST_SUITE_P(
    Streams, OutputFailures,
    testing::Values(
        ShellRun{"FullDevice", "printf '90\\n1\\n3\\n' | k-berg > /dev/full", "6, file = 'stdout'",
                 "Cannot write to file 'stdout': No space left on device"},
        ShellRun{"ClosedOutput", "printf '90\\n1\\n3\\n' | k-berg >&-", "6, file = 'stdout'",
                 "Cannot write to file 'stdout': Bad file descriptor"},
        ShellRun{"SaveBeyondTheSizeLimit",
                 "ulimit -f 2; printf '90\\n1\\n2\\n2\\n3\\n' | k-berg > /dev/null",
                 "120, file = 'K-Berg.txt'", "Cannot write to file 'K-Berg.txt': File too large"},
        ShellRun{"DirectoryAsInput", "k-berg < / > /dev/null", "5, file = 'stdin'",
                 "Cannot read from file 'stdin': Is a directory"},
        ShellRun{"InputOpenForWritingOnly", "k-berg 0> /dev/null > /dev/null", "5, file = 'stdin'",
                 "Cannot read from file 'stdin': Bad file descriptor"}),
    [](const testing::TestParamInfo<ShellRun>& info) { return std::string(info.param.name); });

}  // namespace
