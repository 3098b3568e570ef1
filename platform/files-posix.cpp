// The report file and the chart on Linux and other POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

#include "platform/console.h"
#include "platform/files.h"

namespace platform {

namespace {

constexpr int kMostLinks = 40;  // as many symbolic links in a row as Linux follows

bool failed(std::string* error) {
  *error = std::strerror(errno);
  return false;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes the folder's entries to stable storage. EINVAL: a file system with nothing to
// flush. A folder its user may not read cannot be opened to flush, which is left at that.
bool sync_folder(const std::string& folder, std::string* error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || failed(error);
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL || failed(error);
  ::close(fd);
  return synced;
}

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

sigset_t ending_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&signals, signal_number);
  return signals;
}

sigset_t mask_before_hold;

// The file `path` names once its symbolic links are followed, also where the last link points
// at no file yet: as an editor writing through a link, the program creates its target.
bool follow_links(std::string path, std::string* target, std::string* error) {
  for (int links = 0; links < kMostLinks; ++links) {
    struct stat info;
    const bool exists = ::lstat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) return failed(error);
    if (!exists || !S_ISLNK(info.st_mode)) {
      *target = path;
      return true;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link);
    if (length < 0) return failed(error);
    const std::string points_to(link, static_cast<std::size_t>(length));
    path = points_to.starts_with('/') ? points_to : folder_of(path) + "/" + points_to;
  }
  errno = ELOOP;
  return failed(error);
}

// As an editor decides: the file must let its user write it (by the effective user's access
// check), and a file without a single write bit is meant to stay as it is even for the
// superuser, whom access checks let through.
bool may_write(const std::string& path, const struct stat& info, std::string* error) {
  const bool any_write_bit = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (!any_write_bit) errno = EACCES;
  return (any_write_bit && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) ||
         failed(error);
}

// A device, a FIFO or a terminal takes the bytes as they come. A regular file (one with other
// hard links) is written over from its start, cut to the new length and flushed, so that
// every name of it shows the new bytes.
bool write_in_place(const std::string& path, std::string_view bytes, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failed(error);
  struct stat info;
  bool ok = fstat(fd, &info) == 0 || failed(error);
  ok = ok && write_all(fd, bytes, error);
  if (ok && S_ISREG(info.st_mode)) {
    ok =
        (ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0) || failed(error);
  }
  if (::close(fd) != 0 && ok) ok = failed(error);
  return ok;
}

mode_t current_umask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A new file gets the mode the umask allows, as any file the program creates. A replacement
// keeps the old file's permission bits and, where the process may set them, its owner and
// group; where it may not set the owner, a user may still give the file one of their groups.
bool take_over_attributes(int fd, const struct stat* old, std::string* error) {
  constexpr mode_t kNewFileMode = 0666;
  if (old == nullptr) return ::fchmod(fd, kNewFileMode & ~current_umask()) == 0 || failed(error);
  if (::fchown(fd, old->st_uid, old->st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
    // Neither can be set: the file stays the process's own, as any file it creates.
  }
  return ::fchmod(fd, old->st_mode & 07777) == 0 || failed(error);
}

// The bytes go to a temporary file of a short name, made unique by the system, in the
// target's folder, which is renamed over the target. The ending signals are held off
// meanwhile, so that none of them leaves the temporary file behind.
bool write_new(const std::string& target, std::string_view bytes, const struct stat* old,
               std::string* error) {
  const std::string folder = folder_of(target);
  std::string temporary = folder + "/.k-berg-XXXXXX";
  const EndingSignalsHeld held;
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return failed(error);
  bool ok = take_over_attributes(fd, old, error) && write_all(fd, bytes, error) &&
            (::fsync(fd) == 0 || failed(error));
  if (::close(fd) != 0 && ok) ok = failed(error);
  ok = ok && (::rename(temporary.c_str(), target.c_str()) == 0 || failed(error));
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  return sync_folder(folder, error);
}

// A regular file reached through a link that the system resolves by itself, such as
// /proc/self/fd/1 of a file that has since been removed, has no name to be replaced under.
bool same_file(const std::string& path, const struct stat& info) {
  struct stat other;
  return ::stat(path.c_str(), &other) == 0 && other.st_dev == info.st_dev &&
         other.st_ino == info.st_ino;
}

}  // namespace

FileSystem& system_files() {
  static PosixFileSystem files;
  return files;
}

EndingSignalsHeld::EndingSignalsHeld() {
  const sigset_t signals = ending_signals();
  pthread_sigmask(SIG_BLOCK, &signals, &mask_before_hold);
}

EndingSignalsHeld::~EndingSignalsHeld() {
  pthread_sigmask(SIG_SETMASK, &mask_before_hold, nullptr);
}

bool replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  std::string target;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return failed(error);
    return follow_links(path, &target, error) && write_new(target, bytes, nullptr, error);
  }
  if (!S_ISREG(info.st_mode)) return write_in_place(path, bytes, error);
  if (!may_write(path, info, error)) return false;
  if (info.st_nlink > 1) return write_in_place(path, bytes, error);
  if (!follow_links(path, &target, error)) return false;
  if (!same_file(target, info)) return write_in_place(path, bytes, error);
  return write_new(target, bytes, &info, error);
}

}  // namespace platform
