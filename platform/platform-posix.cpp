// The platform layer for Linux and other POSIX systems.
#include <cxxabi.h>
#include <errno.h>
#include <execinfo.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace {

std::string error_text(int error_number) { return std::strerror(error_number); }

// Waits until the stream, which is in non-blocking mode, is ready for `events`.
void wait_until_ready(int fd, short events) {
  pollfd stream{fd, events, 0};
  while (poll(&stream, 1, -1) < 0 && errno == EINTR) {
  }
}

class PosixScreen : public Screen {
 public:
  // A terminal is cleared with the escape sequences that home the cursor, erase the screen
  // and erase the scroll-back. A pipe or a file gets nothing, so that transcripts stay clean.
  void clear() override {
    if (!isatty(kStdout)) return;
    static constexpr std::string_view kClear = "\x1b[H\x1b[2J\x1b[3J";
    std::string ignored;
    write_all(kStdout, kClear, &ignored);
  }

  void pause(int seconds) override {
    timespec left{seconds, 0};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
  }
};

// Writes a string from a signal handler, where only async-signal-safe calls are allowed.
void write_raw(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  while (length > 0) {
    ssize_t written = ::write(kStderr, text, length);
    if (written <= 0) return;
    text += written;
    length -= static_cast<std::size_t>(written);
  }
}

struct FaultName {
  int signal_number;
  const char* name;
  const char* description;
};

constexpr FaultName kFaults[] = {
    {SIGSEGV, "SIGSEGV", "Segmentation fault - invalid memory reference"},
    {SIGBUS, "SIGBUS", "Access to an undefined portion of a memory object"},
    {SIGILL, "SIGILL", "Illegal instruction"},
    {SIGFPE, "SIGFPE", "Floating-point exception - erroneous arithmetic operation"},
    {SIGABRT, "SIGABRT", "Process abort signal"},
};

void report_fault(int signal_number) {
  for (const FaultName& fault : kFaults) {
    if (fault.signal_number != signal_number) continue;
    write_raw("\nProgram received signal ");
    write_raw(fault.name);
    write_raw(": ");
    write_raw(fault.description);
    write_raw(".\n\nBacktrace for this error:\n");
  }
  void* frames[64];
  backtrace_symbols_fd(frames, backtrace(frames, 64), kStderr);
  // End the way the system ends a process for this signal.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// The handler also runs on a stack of its own, so that a stack overflow is reported too.
alignas(16) char fault_stack[64 * 1024];

}  // namespace

// A standard stream that the caller closed is opened on /dev/null. Otherwise the report file,
// taking the lowest free descriptor, could become standard error and receive a failure report.
// Standard output is held open for reading only, so that a write to it fails as it would on
// the closed descriptor and the lost output is reported. SIGXFSZ is ignored: a write beyond
// the file-size limit then fails with EFBIG and is reported like any other failed write.
void prepare_console() {
  for (int fd : {kStdin, kStdout, kStderr}) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
      ::open("/dev/null", fd == kStderr ? O_WRONLY : O_RDONLY);
  }
  ::signal(SIGXFSZ, SIG_IGN);
}

void restore_console() {}

bool writes_through(int fd) {
  struct stat info;
  if (fstat(fd, &info) != 0) return true;
  return !S_ISREG(info.st_mode);
}

bool read_some(int fd, char* buffer, std::size_t size, std::size_t* count, std::string* error) {
  for (;;) {
    ssize_t got = ::read(fd, buffer, size);
    if (got >= 0) {
      *count = static_cast<std::size_t>(got);
      return true;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      wait_until_ready(fd, POLLIN);
    } else if (errno != EINTR) {
      *error = error_text(errno);
      return false;
    }
  }
}

WriteResult write_all(int fd, std::string_view bytes, std::string* error) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      wait_until_ready(fd, POLLOUT);
    } else if (errno == EPIPE) {
      return WriteResult::reader_gone;
    } else if (errno != EINTR) {
      *error = error_text(errno);
      return WriteResult::failed;
    }
  }
  return WriteResult::written;
}

Screen& system_screen() {
  static PosixScreen screen;
  return screen;
}

ReportFile::~ReportFile() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

// Opened write-only and non-blocking, a FIFO that nobody reads is refused with ENXIO; opened
// for reading and writing, the program itself would be its reader and the block would vanish.
// Appending never needed the right to read, so for other files the answers are those of the
// earlier order (reading and writing, reading, writing): a file that may not be written is
// opened to read, and a failure names the error of the attempt to write.
bool ReportFile::open(const char* name, std::string* error) {
  constexpr int kMode = 0666;
  int fd = ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, kMode);
  const int write_error = errno;
  read_only_ = false;
  if (fd < 0 && (write_error == EACCES || write_error == EPERM)) {
    fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    read_only_ = fd >= 0;
  }
  if (fd < 0) {
    *error = error_text(write_error);
    return false;
  }
  handle_ = fd;
  // From here on a write to a FIFO waits while its reader is behind, as writes to it always did.
  if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    *error = error_text(errno);
    return false;
  }
  return true;
}

bool ReportFile::lock(std::string* error) {
  while (flock(static_cast<int>(handle_), LOCK_EX) != 0) {
    if (errno != EINTR) {
      *error = error_text(errno);
      return false;
    }
  }
  return true;
}

bool ReportFile::size(std::uint64_t* bytes, std::string* error) {
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0) {
    *error = error_text(errno);
    return false;
  }
  *bytes = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReportFile::append(std::string_view bytes, std::size_t* written, std::string* error) {
  *written = 0;
  while (*written < bytes.size()) {
    ssize_t count =
        ::write(static_cast<int>(handle_), bytes.data() + *written, bytes.size() - *written);
    if (count >= 0) {
      *written += static_cast<std::size_t>(count);
    } else if (errno != EINTR) {
      *error = error_text(errno);
      return false;
    }
  }
  return true;
}

bool ReportFile::cut_back(std::uint64_t bytes, std::string* error) {
  if (ftruncate(static_cast<int>(handle_), static_cast<off_t>(bytes)) != 0) {
    *error = error_text(errno);
    return false;
  }
  return true;
}

bool ReportFile::sync(std::string* error) {
  // EINVAL: the file is a device such as /dev/null, or a FIFO, with nothing to synchronise.
  if (::fsync(static_cast<int>(handle_)) != 0 && errno != EINVAL) {
    *error = error_text(errno);
    return false;
  }
  return true;
}

bool ReportFile::close(std::string* error) {
  int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (::close(fd) != 0) {
    *error = error_text(errno);
    return false;
  }
  return true;
}

bool replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  constexpr int kMode = 0666;
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kMode);
  if (fd < 0) {
    *error = error_text(errno);
    return false;
  }
  bool ok = write_all(fd, bytes, error) == WriteResult::written;
  if (ok && ::fsync(fd) != 0) {
    *error = error_text(errno);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    *error = error_text(errno);
    ok = false;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = error_text(errno);
    ok = false;
  }
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

void install_fault_reports() {
  // The first listing loads the unwinder, which allocates; do it now, not in the handler.
  void* frames[1];
  backtrace(frames, 1);

  stack_t alternate{};
  alternate.ss_sp = fault_stack;
  alternate.ss_size = sizeof fault_stack;
  sigaltstack(&alternate, nullptr);

  struct sigaction action {};
  action.sa_handler = report_fault;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const FaultName& fault : kFaults) sigaction(fault.signal_number, &action, nullptr);
}

// Each frame as "#n  function [address]", the function's name demangled where the executable
// exports it. Called outside signal handlers only: demangling allocates.
std::string backtrace_listing() {
  void* frames[64];
  int depth = backtrace(frames, 64);
  char** symbols = backtrace_symbols(frames, depth);
  std::string listing;
  for (int i = 1; i < depth; ++i) {  // frame 0 is this function
    std::string symbol = symbols != nullptr ? symbols[i] : "?";
    symbol = symbol.substr(0, symbol.find(" ["));  // the address follows anyway
    std::size_t open = symbol.find('('), plus = symbol.find('+', open);
    if (open != std::string::npos && plus != std::string::npos && plus > open + 1) {
      std::string mangled = symbol.substr(open + 1, plus - open - 1);
      int status = 0;
      char* name = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
      symbol = status == 0 ? name : mangled;
      std::free(name);
    }
    char address[32];
    std::snprintf(address, sizeof address, " [%p]", frames[i]);
    listing.append("#").append(std::to_string(i - 1)).append("  ").append(symbol);
    listing.append(address).append("\n");
  }
  std::free(symbols);
  return listing;
}

}  // namespace platform
