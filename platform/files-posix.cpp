// The files on Linux and other POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
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

constexpr std::chrono::milliseconds kPoll{10};
constexpr int kMostLinks = 40;  // as many symbolic links in a row as Linux follows
constexpr mode_t kNewFileMode = 0666;
constexpr const char* kOwnDescriptors = "/proc/self/fd";
// A note of the user's own holds what it saves, which is nobody else's business.
constexpr mode_t kOwnFileMode = 0600;
// Never follows a link, never opens what is there (a FIFO would make it wait).
constexpr int kCreateOwn = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool failed(std::string* error) {
  *error = std::strerror(errno);
  return false;
}

// Flushes the folder's entries to stable storage. EINVAL: a file system with nothing to
// flush. A folder its user may not read cannot be opened to flush, which is left at that.
bool sync_folder_of(const std::string& folder, std::string* error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || failed(error);
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL || failed(error);
  ::close(fd);
  return synced;
}

// EINVAL: a device such as /dev/null, or a FIFO, with nothing to flush.
bool sync_descriptor(int fd, std::string* error) {
  return ::fsync(fd) == 0 || errno == EINVAL || failed(error);
}

// Writes all bytes, at `offset` where `positioned`, else where the stream is. `written`
// counts them, also when the write fails partway. A write that takes nothing fails.
bool write_out(int fd, bool positioned, std::uint64_t offset, std::string_view bytes,
               std::size_t* written, std::string* error) {
  *written = 0;
  while (*written < bytes.size()) {
    const char* from = bytes.data() + *written;
    const std::size_t left = bytes.size() - *written;
    const ssize_t count = positioned
                              ? ::pwrite(fd, from, left, static_cast<off_t>(offset + *written))
                              : ::write(fd, from, left);
    if (count > 0) {
      *written += static_cast<std::size_t>(count);
    } else if (count == 0) {
      *error = kNoBytesTaken;
      return false;
    } else if (errno != EINTR) {
      return failed(error);
    }
  }
  return true;
}

bool read_whole(int fd, std::uint64_t offset, std::size_t length, std::string* bytes,
                std::string* error) {
  bytes->assign(length, '\0');
  std::size_t got = 0;
  while (got < bytes->size()) {
    const ssize_t count =
        ::pread(fd, bytes->data() + got, bytes->size() - got, static_cast<off_t>(offset + got));
    if (count == 0) break;
    if (count > 0) {
      got += static_cast<std::size_t>(count);
    } else if (errno != EINTR) {
      return failed(error);
    }
  }
  bytes->resize(got);
  return true;
}

bool is_regular(int fd) {
  struct stat info;
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// A regular file of the process's user with no other name: nobody else can have written it,
// or have linked it here from where the user keeps it for something else.
bool is_own_regular(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

// Creates `path` anew, removing an old regular file of the user's own of that name first;
// anything else there is refused (EEXIST). In a sticky folder, such as /tmp, nobody else may
// remove or replace the user's file between the look and the removal.
int create_own(const std::string& path) {
  const int fd = ::open(path.c_str(), kCreateOwn, kOwnFileMode);
  if (fd >= 0 || errno != EEXIST) return fd;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !is_own_regular(info)) {
    errno = EEXIST;
    return -1;
  }
  if (::unlink(path.c_str()) != 0) return -1;
  return ::open(path.c_str(), kCreateOwn, kOwnFileMode);
}

// Opened without waiting (for a FIFO's reader, or for a lease to be given up), then made
// blocking, so that a write to a FIFO waits while its reader is behind.
bool make_blocking(int fd, std::string* error) {
  return fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 || failed(error);
}

enum class Access { read_write, write_only, read_only };

class PosixReportFile : public ReportFile {
 public:
  // `created_in` names the folder of a file this open created, "" for one that was there.
  PosixReportFile(int fd, Access access, std::string created_in)
      : fd_(fd), access_(access), regular_(is_regular(fd)), created_in_(std::move(created_in)) {}
  ~PosixReportFile() override { ::close(fd_); }
  PosixReportFile(const PosixReportFile&) = delete;
  PosixReportFile& operator=(const PosixReportFile&) = delete;

  bool read_only() const override { return access_ == Access::read_only; }
  bool readable() const override { return access_ != Access::write_only; }
  bool regular() const override { return regular_; }

  // flock has no time limit, so a lock that is busy is tried again until the wait is over.
  WaitState lock(std::chrono::milliseconds wait, std::string* error) override {
    const auto until = std::chrono::steady_clock::now() + wait;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        failed(error);
        return WaitState::failed;
      }
      if (std::chrono::steady_clock::now() >= until) return WaitState::busy;
      std::this_thread::sleep_for(kPoll);
    }
    return WaitState::ready;
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failed(error);
    *bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    return read_whole(fd_, offset, readable() ? length : 0, bytes, error);
  }

  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    return write_out(fd_, false, 0, bytes, written, error);
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    return ftruncate(fd_, static_cast<off_t>(bytes)) == 0 || failed(error);
  }

  bool sync(std::string* error) override {
    return sync_descriptor(fd_, error) &&
           (created_in_.empty() || sync_folder_of(created_in_, error));
  }

 private:
  int fd_;
  Access access_;
  bool regular_;
  std::string created_in_;
};

mode_t current_umask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

class PosixChartFile : public ChartFile {
 public:
  explicit PosixChartFile(int fd) : fd_(fd), regular_(is_regular(fd)) {}
  ~PosixChartFile() override { ::close(fd_); }
  PosixChartFile(const PosixChartFile&) = delete;
  PosixChartFile& operator=(const PosixChartFile&) = delete;

  bool write_at(std::uint64_t offset, std::string_view bytes, std::string* error) override {
    std::size_t written = 0;
    return write_out(fd_, regular_, offset, bytes, &written, error);
  }

  bool read_all(std::string* bytes, std::string* error) override {
    struct stat info;
    if (fstat(fd_, &info) != 0) return failed(error);
    return read_whole(fd_, 0, static_cast<std::size_t>(info.st_size), bytes, error);
  }

  // Where the system can, the space is taken beyond the file's end without making it longer,
  // so that a process killed before it writes leaves the old bytes as they were, not followed
  // by zeros. A file system that cannot reserve space (EOPNOTSUPP) is written as it is.
  bool reserve(std::uint64_t bytes, std::string* error) override {
#ifdef FALLOC_FL_KEEP_SIZE
    const int code =
        bytes == 0 || ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0
            ? 0
            : errno;
#else
    const int code = bytes == 0 ? 0 : ::posix_fallocate(fd_, 0, static_cast<off_t>(bytes));
#endif
    if (code == 0 || code == EOPNOTSUPP) return true;
    errno = code;
    return failed(error);
  }

  bool cut_to(std::uint64_t bytes, std::string* error) override {
    return ftruncate(fd_, static_cast<off_t>(bytes)) == 0 || failed(error);
  }

  // A new file gets the mode the umask allows, as any file the program creates. Where the
  // process may not set the owner, a user may still give the file one of their groups; where
  // neither can be set, the file stays the process's own.
  bool take_attributes(const FileFacts* old, std::string* error) override {
    if (old == nullptr) return ::fchmod(fd_, kNewFileMode & ~current_umask()) == 0 || failed(error);
    struct stat info;
    if (::stat(old->target.c_str(), &info) != 0) return failed(error);
    if (::fchown(fd_, info.st_uid, info.st_gid) != 0) {
      static_cast<void>(::fchown(fd_, static_cast<uid_t>(-1), info.st_gid));
    }
    return ::fchmod(fd_, info.st_mode & 07777) == 0 || failed(error);
  }

  bool sync(std::string* error) override { return sync_descriptor(fd_, error); }

  // Through /proc, as any user may link a file it holds open (linkat by the descriptor alone
  // asks for a privilege). O_TMPFILE without O_EXCL keeps such a file linkable.
  bool give_name(const std::string& path, std::string* error) override {
    const std::string self = std::string(kOwnDescriptors) + "/" + std::to_string(fd_);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
           failed(error);
  }

 private:
  int fd_;
  bool regular_;
};

struct Attempt {
  int flags;
  Access access;
};

// The first of the attempts that opens the file; past one refused for lack of permission,
// the next is tried. On failure, errno is the first attempt's error.
int open_first(const std::string& name, std::initializer_list<Attempt> attempts, Access* access) {
  int first_error = 0;
  for (const Attempt& attempt : attempts) {
    const int fd = ::open(name.c_str(), attempt.flags | O_CLOEXEC, kNewFileMode);
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

// Opened write-only, a FIFO that nobody reads is refused with ENXIO; opened for reading too,
// the program itself would be its reader and the block would vanish. Any other file is opened
// for reading too where it may be, so that a save can look at how the file ends.
int open_report_once(const std::string& name, bool fifo, Access* access) {
  if (fifo) {
    return open_first(
        name,
        {{O_WRONLY | O_NONBLOCK, Access::write_only}, {O_RDONLY | O_NONBLOCK, Access::read_only}},
        access);
  }
  constexpr int kAppend = O_CREAT | O_APPEND | O_NONBLOCK;
  return open_first(name,
                    {{O_RDWR | kAppend, Access::read_write},
                     {O_WRONLY | kAppend, Access::write_only},
                     {O_RDONLY | O_NONBLOCK, Access::read_only}},
                    access);
}

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

// A regular file reached through a link that the system resolves by itself, such as
// /proc/self/fd/1 of a file that has since been removed, has no name to be replaced under.
bool same_file(const std::string& path, const struct stat& info) {
  struct stat other;
  return ::stat(path.c_str(), &other) == 0 && other.st_dev == info.st_dev &&
         other.st_ino == info.st_ino;
}

FileFacts::Kind kind_of(mode_t mode) {
  if (S_ISREG(mode)) return FileFacts::Kind::regular;
  if (S_ISDIR(mode)) return FileFacts::Kind::folder;
  if (S_ISFIFO(mode)) return FileFacts::Kind::fifo;
  if (S_ISBLK(mode)) return FileFacts::Kind::block_device;
  return FileFacts::Kind::device;
}

class PosixFileSystem : public FileSystem {
 public:
  // A lease another program holds (as NFS delegations and Samba oplocks are) makes an open
  // that does not wait fail with EWOULDBLOCK while the system asks the holder to give it up:
  // tried again until the wait is over.
  WaitState open_report(const std::string& name, std::chrono::milliseconds wait,
                        std::unique_ptr<ReportFile>* file, std::string* error) override {
    struct stat info;
    const bool found = ::stat(name.c_str(), &info) == 0;
    const bool absent = !found && errno == ENOENT;
    const bool fifo = found && S_ISFIFO(info.st_mode);
    const auto until = std::chrono::steady_clock::now() + wait;
    Access access = Access::read_only;
    int fd = open_report_once(name, fifo, &access);
    while (fd < 0 && errno == EWOULDBLOCK) {
      if (std::chrono::steady_clock::now() >= until) return WaitState::busy;
      std::this_thread::sleep_for(kPoll);
      fd = open_report_once(name, fifo, &access);
    }
    if (fd < 0) {
      failed(error);
      return WaitState::failed;
    }
    *file = std::make_unique<PosixReportFile>(fd, access, absent ? folder_of(name) : "");
    if (!make_blocking(fd, error)) {
      file->reset();
      return WaitState::failed;
    }
    return WaitState::ready;
  }

  bool read_start(const std::string& path, std::size_t limit, std::string* bytes, bool* found,
                  std::string* error) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    *found = fd >= 0;
    bytes->clear();
    if (fd < 0) return errno == ENOENT || failed(error);
    const bool ok = read_whole(fd, 0, limit, bytes, error);
    ::close(fd);
    return ok;
  }

  // Judged by the descriptor opened, which is what is read: nothing can be swapped in between.
  // Opened without following a link or waiting for a FIFO's writer. A file that cannot be
  // opened is judged by its name, as nothing of it is read.
  bool read_own(const std::string& path, std::size_t limit, std::string* bytes, Ownership* found,
                std::string* error) override {
    bytes->clear();
    struct stat info;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      const int code = errno;
      *found = Ownership::absent;
      if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT || failed(error);
      *found = is_own_regular(info) ? Ownership::own : Ownership::other;
      errno = code;
      return *found == Ownership::other || failed(error);
    }
    const bool own = ::fstat(fd, &info) == 0 && is_own_regular(info);
    *found = own ? Ownership::own : Ownership::other;
    const bool ok = !own || read_whole(fd, 0, limit, bytes, error);
    ::close(fd);
    return ok;
  }

  // The file was created by this call, so that removing it where the write failed removes
  // nobody else's.
  bool write_own(const std::string& path, std::string_view bytes, std::string* error) override {
    const int fd = create_own(path);
    if (fd < 0) return failed(error);
    std::size_t written = 0;
    bool ok = write_out(fd, false, 0, bytes, &written, error) && sync_descriptor(fd, error);
    if (::close(fd) != 0 && ok) ok = failed(error);
    if (!ok) ::unlink(path.c_str());
    return ok && sync_folder_of(folder_of(path), error);
  }

  bool remove(const std::string& path, std::string* error) override {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT || failed(error);
  }

  bool look_at(const std::string& path, FileFacts* facts, std::string* error) override {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) return failed(error);
      *facts = FileFacts{};
      return follow_links(path, &facts->target, error);
    }
    facts->kind = kind_of(info.st_mode);
    facts->size = static_cast<std::uint64_t>(info.st_size);
    facts->links = static_cast<int>(info.st_nlink);
    const bool any_write_bit = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    facts->may_write = any_write_bit && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    if (!follow_links(path, &facts->target, error)) return false;
    if (!same_file(facts->target, info)) facts->target.clear();
    return true;
  }

  std::unique_ptr<ChartFile> create_new(const std::string& path, std::string* error) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      failed(error);
      return nullptr;
    }
    return std::make_unique<PosixChartFile>(fd);
  }

  // Linux's O_TMPFILE: EISDIR from a kernel that predates it, EOPNOTSUPP (or EINVAL) from a
  // file system without it. Without /proc such a file could be named only with a privilege
  // (linkat's AT_EMPTY_PATH), so the system then counts as one without them.
  std::unique_ptr<ChartFile> create_unnamed(const std::string& folder, bool* unsupported,
                                            std::string* error) override {
#ifdef O_TMPFILE
    *unsupported = ::access(kOwnDescriptors, X_OK) != 0;
    if (*unsupported) return nullptr;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    *unsupported = fd < 0 && (errno == EISDIR || errno == EOPNOTSUPP || errno == EINVAL);
    if (fd < 0) {
      failed(error);
      return nullptr;
    }
    return std::make_unique<PosixChartFile>(fd);
#else
    static_cast<void>(folder);
    static_cast<void>(error);
    *unsupported = true;
    return nullptr;
#endif
  }

  // Opened for reading too, so that the old bytes can be kept. A FIFO is opened for writing
  // alone, without waiting: one that no program reads is refused (ENXIO) at once.
  std::unique_ptr<ChartFile> open_in_place(const std::string& path, std::string* error) override {
    struct stat info;
    const bool fifo = ::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
    const int flags = (fifo ? O_WRONLY : O_RDWR) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
      failed(error);
      return nullptr;
    }
    auto file = std::make_unique<PosixChartFile>(fd);
    if (!make_blocking(fd, error)) return nullptr;
    return file;
  }

  bool put_in_place(const std::string& from, const std::string& to, bool,
                    std::string* error) override {
    return ::rename(from.c_str(), to.c_str()) == 0 || failed(error);
  }

  bool sync_folder(const std::string& folder, std::string* error) override {
    return sync_folder_of(folder, error);
  }

  bool is_standard_output(const std::string& path) override {
    struct stat named, output;
    return ::stat(path.c_str(), &named) == 0 && ::fstat(kStdout, &output) == 0 &&
           named.st_dev == output.st_dev && named.st_ino == output.st_ino;
  }
};

}  // namespace

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string beside(const std::string& path, std::string_view name) {
  const std::size_t slash = path.rfind('/');
  return path.substr(0, slash == std::string::npos ? 0 : slash + 1) + std::string(name);
}

FileSystem& system_files() {
  static PosixFileSystem files;
  return files;
}

}  // namespace platform
