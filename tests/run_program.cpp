#include "tests/run_program.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string setting(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) {
    throw std::runtime_error(std::string(name) + " is not set: run the test through ctest");
  }
  return value;
}

long open_descriptors() {
  return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  previous_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, SIG_IGN);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = previous_;
  setrlimit(RLIMIT_FSIZE, &limit);
}

TempDir::TempDir() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("k-berg-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path_ / name, std::ios::binary) << bytes;
}

CurrentTempDir::CurrentTempDir() : previous_(fs::current_path()) { fs::current_path(path()); }

CurrentTempDir::~CurrentTempDir() { fs::current_path(previous_); }

RunResult run_script(const std::string& script, const TempDir& folder) {
  const std::string binary = setting("K_BERG_BINARY");
  const char* runner = std::getenv("K_BERG_RUNNER");
  TempDir captured;
  const std::string out = (captured.path() / "out").string();
  const std::string err = (captured.path() / "err").string();
  // Runs that end the program by a signal leave no core files behind.
  captured.write("script", "ulimit -c 0\nK='" + std::string(runner != nullptr ? runner : "") + " " +
                               binary + "'\nOUT='" + out + "'\n" + script + "\n");
  const int status =
      std::system(("cd '" + folder.path().string() + "' && exec bash '" + captured.path().string() +
                   "/script' </dev/null >'" + out + "' 2>'" + err + "'")
                      .c_str());
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const int ended = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  return {read_file(out), read_file(err), ended, usage.ru_maxrss};
}

}  // namespace testing_support
