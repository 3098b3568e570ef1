#include "tests/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  path_ = fs::temp_directory_path() / ("k-berg-test-" + std::to_string(random()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream file(path_ / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path_ / name, std::ios::binary) << bytes;
}

CurrentTempDir::CurrentTempDir() : previous_(fs::current_path()) { fs::current_path(path()); }

CurrentTempDir::~CurrentTempDir() { fs::current_path(previous_); }

std::vector<std::string> program_command() {
  std::vector<std::string> command;
  if (const char* runner = std::getenv("K_BERG_RUNNER")) {
    std::istringstream words(runner);
    for (std::string word; words >> word;) command.push_back(word);
  }
  const char* binary = std::getenv("K_BERG_BINARY");
  if (binary == nullptr) throw std::runtime_error("K_BERG_BINARY is not set");
  command.push_back(binary);
  return command;
}

bool testing_windows_program() {
  const char* binary = std::getenv("K_BERG_BINARY");
  return binary != nullptr && std::string_view(binary).ends_with(".exe");
}

namespace {

void start_child(const std::vector<std::string>& command, const fs::path& folder, int in, int out,
                 int err, const RunOptions& options) {
  if (options.close_stdin) {
    close(0);
  } else {
    dup2(in, 0);
  }
  dup2(out, 1);
  dup2(err, 2);
  if (chdir(folder.c_str()) != 0) _exit(127);
  for (const std::string& entry : options.environment) {
    std::size_t equals = entry.find('=');
    setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
  // Tests that end the program by a signal leave no core files behind.
  rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  signal(SIGPIPE, options.ignore_sigpipe ? SIG_IGN : SIG_DFL);
  execvp(argv[0], argv.data());
  _exit(127);
}

// Hands out the input parts in order, each repeated as often as it says.
class Feeder {
 public:
  explicit Feeder(const std::vector<InputPart>& parts) : parts_(parts) { skip_finished(); }

  bool done() const { return part_ == parts_.size(); }

  // What is left of the current repetition of the current part.
  std::string_view pending() const { return std::string_view(parts_[part_].text).substr(offset_); }

  void consume(std::size_t count) {
    offset_ += count;
    if (offset_ == parts_[part_].text.size()) {
      offset_ = 0;
      ++repetition_;
    }
    skip_finished();
  }

 private:
  void skip_finished() {
    while (!done() && (repetition_ == parts_[part_].times || parts_[part_].text.empty())) {
      ++part_;
      repetition_ = 0;
    }
  }

  const std::vector<InputPart>& parts_;
  std::size_t part_ = 0;
  std::size_t repetition_ = 0;
  std::size_t offset_ = 0;
};

// Feeds the input and collects both outputs at once, so that neither side blocks the other.
void exchange(Feeder& input, int in, int out, int err, RunResult& result, const RunOptions& options,
              pid_t child) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  bool signal_pending = options.signal != 0;
  char buffer[65536];
  while (out >= 0 || err >= 0) {
    if (signal_pending && result.out.find(options.signal_after) != std::string::npos) {
      kill(child, options.signal);
      signal_pending = false;
    }
    if (in >= 0 && input.done() && !signal_pending) {
      close(in);
      in = -1;
    }
    pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {in, POLLOUT, 0}};
    int watched = in >= 0 && !input.done() ? 3 : 2;
    if (poll(fds, watched, 100) < 0) continue;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      result.timed_out = true;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        (i == 0 ? out : err) = -1;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
      }
    }
    if (watched == 3 && fds[2].revents != 0) {
      std::string_view pending = input.pending();
      ssize_t sent = write(in, pending.data(), std::min<std::size_t>(pending.size(), 65536));
      if (sent > 0) {
        input.consume(static_cast<std::size_t>(sent));
      } else if (errno != EAGAIN) {  // the program closed its standard input
        close(in);
        in = -1;
      }
    }
  }
  if (in >= 0) close(in);
  if (out >= 0) close(out);
  if (err >= 0) close(err);
}

}  // namespace

RunResult run_program(const std::vector<InputPart>& input, const fs::path& folder,
                      const RunOptions& options) {
  std::vector<std::string> command = program_command();
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("cannot make pipes");
  }
  // The test process must survive the program closing its end of the input pipe early.
  signal(SIGPIPE, SIG_IGN);
  pid_t child = fork();
  if (child == 0) start_child(command, folder, in[0], out[1], err[1], options);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (options.close_stdout_early) {
    close(out[0]);
    out[0] = -1;
  }
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  RunResult result;
  Feeder feeder(input);
  exchange(feeder, in[1], out[0], err[0], result, options, child);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peak_memory_kib = usage.ru_maxrss;
  return result;
}

RunResult run_program(const std::string& input, const fs::path& folder, const RunOptions& options) {
  return run_program(std::vector<InputPart>{{input}}, folder, options);
}

std::string records(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

}  // namespace testing_support
