// The console streams on Linux and other POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/console.h"

namespace platform {

namespace {

// Waits until the stream, which is in non-blocking mode, is ready for `events`.
void wait_until_ready(int fd, short events) {
  pollfd stream{fd, events, 0};
  while (poll(&stream, 1, -1) < 0 && errno == EINTR) {
  }
}

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

// Homes the cursor, erases the screen and erases the scroll-back.
std::string clear_sequence(int fd) {
  const char* term = std::getenv("TERM");
  if (!isatty(fd) || (term != nullptr && std::string_view(term) == "dumb")) return "";
  return "\x1b[H\x1b[2J\x1b[3J";
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
      *error = std::strerror(errno);
      return false;
    }
  }
}

bool write_all(int fd, std::string_view bytes, std::string* error) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written == 0) {
      *error = kNoBytesTaken;
      return false;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      wait_until_ready(fd, POLLOUT);
    } else if (errno != EINTR) {
      *error = std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace platform
