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
#include <thread>
#include <utility>

#include "platform/console.h"
#include "platform/files.h"

namespace platform {

namespace {

constexpr std::chrono::milliseconds kLockPoll{10};
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

enum class Access { read_write, write_only, read_only };

class PosixReportFile : public ReportFile {
 public:
  // `created_in` names the folder of a file this open created, "" for one that was there.
  PosixReportFile(int fd, Access access, std::string created_in)
      : fd_(fd), access_(access), created_in_(std::move(created_in)) {}
  ~PosixReportFile() override { ::close(fd_); }
  PosixReportFile(const PosixReportFile&) = delete;
  PosixReportFile& operator=(const PosixReportFile&) = delete;

  bool read_only() const override { return access_ == Access::read_only; }

  // flock has no time limit, so a lock that is busy is tried again until the wait is over.
  LockState lock(std::chrono::milliseconds wait, std::string* error) override {
    const auto until = std::chrono::steady_clock::now() + wait;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        failed(error);
        return LockState::failed;
      }
      if (std::chrono::steady_clock::now() >= until) return LockState::busy;
      std::this_thread::sleep_for(kLockPoll);
    }
    return LockState::locked;
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failed(error);
    *bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    bytes->assign(access_ == Access::write_only ? 0 : length, '\0');
    std::size_t got = 0;
    while (got < bytes->size()) {
      const ssize_t count =
          ::pread(fd_, bytes->data() + got, bytes->size() - got, static_cast<off_t>(offset + got));
      if (count == 0) break;
      if (count > 0) got += static_cast<std::size_t>(count);
      if (count < 0 && errno != EINTR) return failed(error);
    }
    bytes->resize(got);
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
    if (::fsync(fd_) != 0 && errno != EINVAL) return failed(error);
    return created_in_.empty() || sync_folder(created_in_, error);
  }

 private:
  int fd_;
  Access access_;
  std::string created_in_;
};

struct Attempt {
  int flags;
  Access access;
};

// The first of the attempts that opens the file; past one refused for lack of permission,
// the next is tried. On failure, errno is the first attempt's error.
int open_first(const std::string& name, std::initializer_list<Attempt> attempts, Access* access) {
  constexpr int kMode = 0666;
  int first_error = 0;
  for (const Attempt& attempt : attempts) {
    const int fd = ::open(name.c_str(), attempt.flags | O_CLOEXEC, kMode);
    if (fd >= 0) {
      *access = attempt.access;
      return fd;
    }
    if (first_error == 0) first_error = errno;
    if (errno != EACCES && errno != EPERM) break;
  }
  errno = first_error;
  return -1;
}

class PosixFileSystem : public FileSystem {
 public:
  bool replace_file(const std::string& path, std::string_view bytes, std::string* error) override {
    return platform::replace_file(path, bytes, error);
  }
  bool is_standard_output(const std::string& path) override {
    return platform::is_standard_output(path);
  }
  // Opened write-only and non-blocking, a FIFO that nobody reads is refused with ENXIO;
  // opened for reading too, the program itself would be its reader and the block would
  // vanish. Any other file is opened blocking, so that the open waits while the system breaks
  // a lease another program holds on it (as NFS delegations and Samba oplocks are), and for
  // reading too, so that a save can look at how the file ends. Once open, the descriptor is
  // blocking, so that a write to a FIFO waits while its reader is behind.
  std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) override {
    struct stat info;
    const bool found = ::stat(name.c_str(), &info) == 0;
    const bool absent = !found && errno == ENOENT;
    const bool fifo = found && S_ISFIFO(info.st_mode);
    Access access = Access::read_only;
    const int fd = fifo ? open_first(name,
                                     {{O_WRONLY | O_NONBLOCK, Access::write_only},
                                      {O_RDONLY | O_NONBLOCK, Access::read_only}},
                                     &access)
                        : open_first(name,
                                     {{O_RDWR | O_CREAT | O_APPEND, Access::read_write},
                                      {O_WRONLY | O_CREAT | O_APPEND, Access::write_only},
                                      {O_RDONLY, Access::read_only}},
                                     &access);
    if (fd < 0) {
      failed(error);
      return nullptr;
    }
    auto file = std::make_unique<PosixReportFile>(fd, access, absent ? folder_of(name) : "");
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      failed(error);
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
  // Where neither can be set, the file stays the process's own, as any file it creates.
  if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old->st_gid));
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

bool is_standard_output(const std::string& path) {
  struct stat named, output;
  return ::stat(path.c_str(), &named) == 0 && ::fstat(kStdout, &output) == 0 &&
         named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

}  // namespace platform
