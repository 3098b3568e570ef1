// Folders and files for the tests, and runs of the built k-berg as a separate process, the
// way a script runs it: through the shell, in a folder of the test's own.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

std::string read_file(const std::filesystem::path& path);

// The value of an environment variable that the test build sets, such as K_BERG_BINARY, the
// program under test; throws with a message naming it where it is not set.
std::string setting(const char* name);

// How many descriptors the test process has open.
long open_descriptors();

// Limits the size of files the test process writes while the object lives; a write beyond it
// fails (EFBIG), as the programs ignore SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long bytes);
  ~FileSizeLimit();

 private:
  unsigned long previous_;
};

// A fresh empty folder, removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string read(const std::string& name) const { return read_file(path_ / name); }
  void write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// A fresh folder that is the current directory while the object lives, for code under test
// that works in the current directory, such as the report file.
class CurrentTempDir : public TempDir {
 public:
  CurrentTempDir();
  ~CurrentTempDir();

 private:
  std::filesystem::path previous_;
};

// Standard output and error; the exit status, or 128 plus the signal that ended the program;
// the most resident memory of any of the script's processes.
struct RunResult {
  std::string out, err;
  int status;
  long peak_memory_kib;
};

// Runs `script` with bash in `folder`. The script names the program as $K: the K_BERG_RUNNER
// words (such as "wine") if set, then K_BERG_BINARY. Its standard output and error are regular
// files, standard output also named by $OUT, so that a run can watch what the program wrote.
RunResult run_script(const std::string& script, const TempDir& folder);

}  // namespace testing_support
