#include "tests/run_program.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
  const char* binary = std::getenv("K_BERG_BINARY");
  if (binary == nullptr) throw std::runtime_error("K_BERG_BINARY is not set");
  const char* runner = std::getenv("K_BERG_RUNNER");
  const std::string program = std::string(runner != nullptr ? runner : "") + " " + binary;
  TempDir captured;
  const fs::path out = captured.path() / "out", err = captured.path() / "err";
  pid_t child = fork();
  if (child == 0) {
    // Runs that end the program by a signal leave no core files behind.
    rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    int in_fd = open("/dev/null", O_RDONLY);
    int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0 || chdir(folder.path().c_str()) != 0) {
      _exit(127);
    }
    setenv("K", program.c_str(), 1);
    setenv("OUT", out.c_str(), 1);
    setenv("ERR", err.c_str(), 1);
    execl("/bin/bash", "bash", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  RunResult result{read_file(out), read_file(err), -1, usage.ru_maxrss};
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.status = 128 + WTERMSIG(status);
  return result;
}

}  // namespace testing_support
