// The files on Windows.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/files.h"
#include "platform/handles-windows.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLockPollMilliseconds = 10;

HANDLE open_file(const std::string& name, DWORD access, DWORD disposition,
                 DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileA(name.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
}

bool failed(std::string* error) {
  *error = error_text(GetLastError());
  return false;
}

bool failed_with(DWORD code, std::string* error) {
  *error = error_text(code);
  return false;
}

bool is_disk(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

bool move_to(HANDLE handle, std::uint64_t offset) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(handle, at, nullptr, FILE_BEGIN);
}

bool cut_handle(HANDLE handle, std::uint64_t bytes, std::string* error) {
  return (move_to(handle, bytes) && SetEndOfFile(handle)) || failed(error);
}

// ERROR_INVALID_FUNCTION: a device such as NUL that has nothing to flush.
bool flush(HANDLE handle, std::string* error) {
  return FlushFileBuffers(handle) || GetLastError() == ERROR_INVALID_FUNCTION || failed(error);
}

bool read_handle(HANDLE handle, std::uint64_t offset, std::size_t length, std::string* bytes,
                 std::string* error) {
  bytes->assign(length, '\0');
  std::size_t got = 0;
  while (got < bytes->size()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + got);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    DWORD count = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(bytes->size() - got, kMaxChunk));
    if (!ReadFile(handle, bytes->data() + got, chunk, &count, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return failed(error);
    }
    if (count == 0) break;
    got += count;
  }
  bytes->resize(got);
  return true;
}

bool file_size(HANDLE handle, std::uint64_t* bytes, std::string* error) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return failed(error);
  *bytes = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

class WindowsReportFile : public ReportFile {
 public:
  WindowsReportFile(HANDLE handle, DWORD access)
      : handle_(handle), access_(access), regular_(is_disk(handle)) {}
  // The lock is given back first: a lock left to CloseHandle may outlive the handle for a
  // while. Giving back a lock that was never taken fails, which changes nothing.
  ~WindowsReportFile() override {
    OVERLAPPED from_start{};
    UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &from_start);
    CloseHandle(handle_);
  }
  WindowsReportFile(const WindowsReportFile&) = delete;
  WindowsReportFile& operator=(const WindowsReportFile&) = delete;

  bool read_only() const override { return access_ == GENERIC_READ; }
  bool readable() const override { return (access_ & GENERIC_READ) != 0; }
  bool regular() const override { return regular_; }

  // The whole range a file can have, so that another saver waits while this one writes. A
  // lock that is busy is tried again until the wait is over. ERROR_INVALID_FUNCTION: a device
  // such as NUL, which has no ranges to lock.
  WaitState lock(std::chrono::milliseconds wait, std::string* error) override {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    for (;;) {
      OVERLAPPED from_start{};
      constexpr DWORD kTryOnce = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
      if (LockFileEx(handle_, kTryOnce, 0, MAXDWORD, MAXDWORD, &from_start))
        return WaitState::ready;
      const DWORD code = GetLastError();
      if (code == ERROR_INVALID_FUNCTION) return WaitState::ready;
      if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
        *error = error_text(code);
        return WaitState::failed;
      }
      if (GetTickCount64() >= until) return WaitState::busy;
      Sleep(kLockPollMilliseconds);
    }
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    return file_size(handle_, bytes, error);
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    return read_handle(handle_, offset, readable() ? length : 0, bytes, error);
  }

  // Under the lock, each block is written at the end of the file.
  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    *written = 0;
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(handle_, none, nullptr, FILE_END)) return failed(error);
    const DWORD code = write_handle(handle_, bytes, written);
    return code == ERROR_SUCCESS || failed_with(code, error);
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    return cut_handle(handle_, bytes, error);
  }

  // The folder entry of a new file is left to the file system, which keeps its own journal
  // of them: Windows flushes a folder only for administrators.
  bool sync(std::string* error) override { return flush(handle_, error); }

 private:
  HANDLE handle_;
  DWORD access_;
  bool regular_;
};

class WindowsChartFile : public ChartFile {
 public:
  explicit WindowsChartFile(HANDLE handle) : handle_(handle), disk_(is_disk(handle)) {}
  ~WindowsChartFile() override { CloseHandle(handle_); }
  WindowsChartFile(const WindowsChartFile&) = delete;
  WindowsChartFile& operator=(const WindowsChartFile&) = delete;

  bool write_at(std::uint64_t offset, std::string_view bytes, std::string* error) override {
    if (disk_ && !move_to(handle_, offset)) return failed(error);
    std::size_t written = 0;
    const DWORD code = write_handle(handle_, bytes, &written);
    return code == ERROR_SUCCESS || failed_with(code, error);
  }

  bool read_all(std::string* bytes, std::string* error) override {
    std::uint64_t size = 0;
    return file_size(handle_, &size, error) &&
           read_handle(handle_, 0, static_cast<std::size_t>(size), bytes, error);
  }

  // Space beyond the file's end is taken as its allocation; only a full disk refuses it (a
  // file system that cannot take it is written as it is).
  bool reserve(std::uint64_t bytes, std::string* error) override {
    std::uint64_t size = 0;
    if (!file_size(handle_, &size, error)) return false;
    if (bytes <= size) return true;
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes);
    if (SetFileInformationByHandle(handle_, FileAllocationInfo, &allocation, sizeof allocation))
      return true;
    const DWORD code = GetLastError();
    return (code != ERROR_DISK_FULL && code != ERROR_HANDLE_DISK_FULL) || failed_with(code, error);
  }

  bool cut_to(std::uint64_t bytes, std::string* error) override {
    return cut_handle(handle_, bytes, error);
  }

  // ReplaceFile gives the new file the old one's attributes, owner and permissions; a new
  // file takes its folder's.
  bool take_attributes(const FileFacts*, std::string*) override { return true; }

  bool sync(std::string* error) override { return flush(handle_, error); }

  // Windows makes no unnamed files (see create_unnamed).
  bool give_name(const std::string&, std::string* error) override {
    return failed_with(ERROR_NOT_SUPPORTED, error);
  }

 private:
  HANDLE handle_;
  bool disk_;
};

// The file's name once links are followed, or "" where the system cannot tell it.
std::string final_name(HANDLE handle) {
  std::string name(MAX_PATH, '\0');
  DWORD length = GetFinalPathNameByHandleA(handle, name.data(), static_cast<DWORD>(name.size()),
                                           FILE_NAME_NORMALIZED);
  if (length >= name.size()) {
    name.resize(length);
    length = GetFinalPathNameByHandleA(handle, name.data(), length, FILE_NAME_NORMALIZED);
  }
  name.resize(length < name.size() ? length : 0);
  return name;
}

bool not_found(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// The user's own note, as Windows can tell it: a file on a disk with no other name, opened as
// itself where it is a link (a reparse point). Its owner is not compared: Windows gives the
// files of a program run as administrator to the Administrators group, which would disown the
// user's own note, and a folder that other users may write to is rare there.
constexpr DWORD kAsItself = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;

bool is_plain_file(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return is_disk(handle) && GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & kNotPlain) == 0 && info.nNumberOfLinks == 1;
}

// Deleted through the handle, which is the file itself, not a name that may have changed.
void delete_file(HANDLE handle) {
  FILE_DISPOSITION_INFO gone{TRUE};
  SetFileInformationByHandle(handle, FileDispositionInfo, &gone, sizeof gone);
}

// A new file, never a link's target; an old plain file of that name is deleted first.
HANDLE create_own(const std::string& path) {
  constexpr DWORD kAccess = GENERIC_WRITE | DELETE;
  HANDLE handle = open_file(path, kAccess, CREATE_NEW, kAsItself);
  if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
  HANDLE old = open_file(path, DELETE | FILE_READ_ATTRIBUTES, OPEN_EXISTING, kAsItself);
  if (old == INVALID_HANDLE_VALUE) return old;
  const bool plain = is_plain_file(old);
  if (plain) delete_file(old);
  CloseHandle(old);
  if (!plain) {
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
  }
  return open_file(path, kAccess, CREATE_NEW, kAsItself);
}

class WindowsFileSystem : public FileSystem {
 public:
  // Reading and writing, then writing alone, then reading alone. Writing includes the right
  // to cut the file back. A failure names the first attempt's error.
  WaitState open_report(const std::string& name, std::chrono::milliseconds,
                        std::unique_ptr<ReportFile>* file, std::string* error) override {
    constexpr DWORD kAttempts[] = {GENERIC_READ | GENERIC_WRITE, GENERIC_WRITE, GENERIC_READ};
    DWORD first_error = ERROR_SUCCESS;
    for (DWORD access : kAttempts) {
      HANDLE handle = open_file(name, access, access == GENERIC_READ ? OPEN_EXISTING : OPEN_ALWAYS);
      if (handle != INVALID_HANDLE_VALUE) {
        *file = std::make_unique<WindowsReportFile>(handle, access);
        return WaitState::ready;
      }
      if (first_error == ERROR_SUCCESS) first_error = GetLastError();
      if (GetLastError() != ERROR_ACCESS_DENIED) break;
    }
    *error = error_text(first_error);
    return WaitState::failed;
  }

  bool read_start(const std::string& path, std::size_t limit, std::string* bytes, bool* found,
                  std::string* error) override {
    HANDLE handle = open_file(path, GENERIC_READ, OPEN_EXISTING);
    *found = handle != INVALID_HANDLE_VALUE;
    bytes->clear();
    if (!*found) return not_found(GetLastError()) || failed(error);
    const bool ok = read_handle(handle, 0, limit, bytes, error);
    CloseHandle(handle);
    return ok;
  }

  // A file that cannot be opened is taken for another's, except where it is absent.
  bool read_own(const std::string& path, std::size_t limit, std::string* bytes, Ownership* found,
                std::string* error) override {
    bytes->clear();
    HANDLE handle = open_file(path, GENERIC_READ, OPEN_EXISTING, kAsItself);
    if (handle == INVALID_HANDLE_VALUE) {
      *found = not_found(GetLastError()) ? Ownership::absent : Ownership::other;
      return true;
    }
    *found = is_plain_file(handle) ? Ownership::own : Ownership::other;
    const bool ok = *found == Ownership::other || read_handle(handle, 0, limit, bytes, error);
    CloseHandle(handle);
    return ok;
  }

  bool write_own(const std::string& path, std::string_view bytes, std::string* error) override {
    HANDLE handle = create_own(path);
    if (handle == INVALID_HANDLE_VALUE) return failed(error);
    std::size_t written = 0;
    const DWORD code = write_handle(handle, bytes, &written);
    const bool ok = (code == ERROR_SUCCESS || failed_with(code, error)) && flush(handle, error);
    if (!ok) delete_file(handle);
    CloseHandle(handle);
    return ok;
  }

  bool remove(const std::string& path, std::string* error) override {
    return DeleteFileA(path.c_str()) || not_found(GetLastError()) || failed(error);
  }

  // The file is looked at through a handle that reads nothing, which follows links. A pipe or
  // a console is a device here: Windows has no FIFOs in its folders.
  bool look_at(const std::string& path, FileFacts* facts, std::string* error) override {
    *facts = FileFacts{};
    HANDLE handle = open_file(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (handle == INVALID_HANDLE_VALUE) {
      facts->target = path;
      return GetLastError() == ERROR_FILE_NOT_FOUND || failed(error);
    }
    facts->kind = FileFacts::Kind::device;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = is_disk(handle);
    const bool known = !disk || GetFileInformationByHandle(handle, &info) || failed(error);
    if (disk && known) {
      const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      facts->kind = folder ? FileFacts::Kind::folder : FileFacts::Kind::regular;
      facts->size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
      facts->links = static_cast<int>(info.nNumberOfLinks);
      facts->may_write = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
      facts->target = final_name(handle);
    }
    CloseHandle(handle);
    return known;
  }

  std::unique_ptr<ChartFile> create_new(const std::string& path, std::string* error) override {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      failed(error);
      return nullptr;
    }
    return std::make_unique<WindowsChartFile>(handle);
  }

  // A file that no folder lists cannot be made here: the temporary chart gets a random name.
  std::unique_ptr<ChartFile> create_unnamed(const std::string&, bool* unsupported,
                                            std::string*) override {
    *unsupported = true;
    return nullptr;
  }

  // For reading too, so that the old bytes can be kept; a device that may only be written
  // (a pipe's writing end) is opened for writing alone.
  std::unique_ptr<ChartFile> open_in_place(const std::string& path, std::string* error) override {
    HANDLE handle = open_file(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
      handle = open_file(path, GENERIC_WRITE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
      failed(error);
      return nullptr;
    }
    return std::make_unique<WindowsChartFile>(handle);
  }

  // ReplaceFile keeps the old file's attributes, owner and permissions; a new file is moved
  // into place, its folder entry written through.
  bool put_in_place(const std::string& from, const std::string& to, bool replacing,
                    std::string* error) override {
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const bool placed = replacing ? ReplaceFileA(to.c_str(), from.c_str(), nullptr,
                                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                  : MoveFileExA(from.c_str(), to.c_str(), kMove);
    return placed || failed(error);
  }

  // Windows flushes a folder only for administrators; the file system journals its entries.
  bool sync_folder(const std::string&, std::string*) override { return true; }

  // Files are the same where their volume and their id on it are; pipes and consoles have
  // no id and are never taken for the same. Wine cannot tell the volume of a standard handle
  // it inherited from its host and gives 0: the id alone then decides, since taking the output
  // for another file would replace what was just written there.
  bool is_standard_output(const std::string& path) override {
    HANDLE named = open_file(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (named == INVALID_HANDLE_VALUE) return false;
    FILE_ID_INFO file{}, output{};
    const bool known = GetFileInformationByHandleEx(named, FileIdInfo, &file, sizeof file) &&
                       GetFileInformationByHandleEx(GetStdHandle(STD_OUTPUT_HANDLE), FileIdInfo,
                                                    &output, sizeof output);
    CloseHandle(named);
    const auto& id = file.FileId.Identifier;
    const bool some_file = std::any_of(std::begin(id), std::end(id), [](BYTE b) { return b != 0; });
    const bool same_volume =
        output.VolumeSerialNumber == 0 || file.VolumeSerialNumber == output.VolumeSerialNumber;
    return known && some_file && same_volume &&
           std::equal(std::begin(id), std::end(id), std::begin(output.FileId.Identifier));
  }
};

}  // namespace

std::string folder_of(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? "." : path.substr(0, separator + 1);
}

std::string beside(const std::string& path, std::string_view name) {
  const std::size_t separator = path.find_last_of("\\/");
  return path.substr(0, separator == std::string::npos ? 0 : separator + 1) + std::string(name);
}

FileSystem& system_files() {
  static WindowsFileSystem files;
  return files;
}

}  // namespace platform
