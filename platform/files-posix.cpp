// The report file and the chart on Linux and other POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/console.h"
#include "platform/files.h"

namespace platform {

namespace {

std::string error_text() { return std::strerror(errno); }

class PosixReportFile : public ReportFile {
 public:
  PosixReportFile(int fd, bool read_only) : fd_(fd), read_only_(read_only) {}
  ~PosixReportFile() override {
    if (fd_ != -1) ::close(fd_);
  }
  PosixReportFile(const PosixReportFile&) = delete;
  PosixReportFile& operator=(const PosixReportFile&) = delete;

  bool read_only() const override { return read_only_; }

  bool lock(std::string* error) override {
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) return failed(error);
    }
    return true;
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failed(error);
    *bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    *written = 0;
    while (*written < bytes.size()) {
      ssize_t count = ::write(fd_, bytes.data() + *written, bytes.size() - *written);
      if (count >= 0) {
        *written += static_cast<std::size_t>(count);
      } else if (errno != EINTR) {
        return failed(error);
      }
    }
    return true;
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    return ftruncate(fd_, static_cast<off_t>(bytes)) == 0 || failed(error);
  }

  // EINVAL: the file is a device such as /dev/null, or a FIFO, with nothing to synchronise.
  bool sync(std::string* error) override {
    return ::fsync(fd_) == 0 || errno == EINVAL || failed(error);
  }

  bool close(std::string* error) override {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || failed(error);
  }

 private:
  static bool failed(std::string* error) {
    *error = error_text();
    return false;
  }

  int fd_;
  bool read_only_;
};

class PosixFileSystem : public FileSystem {
 public:
  // Opened write-only and non-blocking, a FIFO that nobody reads is refused with ENXIO;
  // opened for reading and writing, the program itself would be its reader and the block
  // would vanish. A file that may not be written is opened to read, and a failure names the
  // error of the attempt to write. Once open, the descriptor is made blocking again, so that
  // a write to a FIFO waits while its reader is behind.
  std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) override {
    constexpr int kMode = 0666;
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, kMode);
    const int write_error = errno;
    bool read_only = false;
    if (fd < 0 && (write_error == EACCES || write_error == EPERM)) {
      fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      read_only = fd >= 0;
    }
    if (fd < 0) {
      *error = std::strerror(write_error);
      return nullptr;
    }
    auto file = std::make_unique<PosixReportFile>(fd, read_only);
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      *error = error_text();
      return nullptr;
    }
    return file;
  }
};

}  // namespace

FileSystem& system_files() {
  static PosixFileSystem files;
  return files;
}

bool replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  constexpr int kMode = 0666;
  const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kMode);
  if (fd < 0) {
    *error = error_text();
    return false;
  }
  bool ok = write_all(fd, bytes, error);
  if (ok && ::fsync(fd) != 0) {
    *error = error_text();
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    *error = error_text();
    ok = false;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = error_text();
    ok = false;
  }
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace platform
