// Runs the built k-berg as a separate process, the way a script would: scripted standard
// input, a working folder of the test's own, standard output and error captured whole.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A fresh empty folder, removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string read(const std::string& name) const;
  void write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

struct RunOptions {
  bool close_stdin = false;         // start with no standard input at all
  bool close_stdout_early = false;  // the reader of standard output goes away at once
  int timeout_seconds = 60;         // killed after this, so a hanging program fails the test
};

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;        // the signal that ended it, or 0
  bool timed_out = false;
};

// The command that starts k-berg: the K_BERG_RUNNER words (such as "wine") if set, then
// K_BERG_BINARY.
std::vector<std::string> program_command();

// True when the program under test is a Windows build (K_BERG_BINARY names a .exe), run for
// instance under Wine.
bool testing_windows_program();

RunResult run_program(const std::string& input, const std::filesystem::path& folder,
                      const RunOptions& options = {});

// Bytes as the program writes them: CR LF record ends.
std::string records(const std::vector<std::string>& lines);

}  // namespace testing_support
