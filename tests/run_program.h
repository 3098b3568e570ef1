// Runs the built k-berg as a separate process, the way a script would: scripted standard
// input, a working folder of the test's own, standard output and error captured whole.
#pragma once

#include <cstddef>
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

// A part of standard input: `text` written `times` times over. Very long input is built of
// such parts as it is fed, so that the test never holds it whole.
// A fresh folder that is the current directory while the object lives, for code under test
// that works in the current directory, such as the report file.
class CurrentTempDir : public TempDir {
 public:
  CurrentTempDir();
  ~CurrentTempDir();

 private:
  std::filesystem::path previous_;
};

struct InputPart {
  std::string text;
  std::size_t times = 1;
};

struct RunOptions {
  bool close_stdin = false;              // start with no standard input at all
  bool close_stdout_early = false;       // the reader of standard output goes away at once
  bool ignore_sigpipe = false;           // start with SIGPIPE ignored, as some shells leave it
  std::vector<std::string> environment;  // "NAME=value" entries added for the program
  // Once standard output contains `signal_after`, `signal` is sent to the program. Standard
  // input stays open until then, so that the program waits at its prompt.
  std::string signal_after;
  int signal = 0;
  int timeout_seconds = 60;  // killed after this, so a hanging program fails the test
};

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;        // the signal that ended it, or 0
  bool timed_out = false;
  // The most resident memory the process had, in KiB. A forked child starts with the pages
  // of the test process it was forked from, so this is an upper bound of k-berg's own peak.
  long peak_memory_kib = 0;
};

// The command that starts k-berg: the K_BERG_RUNNER words (such as "wine") if set, then
// K_BERG_BINARY.
std::vector<std::string> program_command();

RunResult run_program(const std::vector<InputPart>& input, const std::filesystem::path& folder,
                      const RunOptions& options = {});

// True when the program under test is a Windows build (K_BERG_BINARY names a .exe), run for
// instance under Wine.
bool testing_windows_program();

RunResult run_program(const std::string& input, const std::filesystem::path& folder,
                      const RunOptions& options = {});

// Bytes as the program writes them: CR LF record ends.
std::string records(const std::vector<std::string>& lines);

}  // namespace testing_support
