// The report file and the chart on Windows.
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
constexpr int kMostTemporaryNames = 100;

HANDLE open_file(const std::string& name, DWORD access, DWORD disposition,
                 DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileA(name.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
}

bool failed(std::string* error) {
  *error = error_text(GetLastError());
  return false;
}

class WindowsReportFile : public ReportFile {
 public:
  WindowsReportFile(HANDLE handle, DWORD access) : handle_(handle), access_(access) {}
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

  // The whole range a file can have, so that another saver waits while this one writes. A
  // lock that is busy is tried again until the wait is over. ERROR_INVALID_FUNCTION: a device
  // such as NUL, which has no ranges to lock.
  LockState lock(std::chrono::milliseconds wait, std::string* error) override {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    for (;;) {
      OVERLAPPED from_start{};
      constexpr DWORD kTryOnce = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
      if (LockFileEx(handle_, kTryOnce, 0, MAXDWORD, MAXDWORD, &from_start))
        return LockState::locked;
      const DWORD code = GetLastError();
      if (code == ERROR_INVALID_FUNCTION) return LockState::locked;
      if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
        *error = error_text(code);
        return LockState::failed;
      }
      if (GetTickCount64() >= until) return LockState::busy;
      Sleep(kLockPollMilliseconds);
    }
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return failed(error);
    *bytes = static_cast<std::uint64_t>(size.QuadPart);
    return true;
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    bytes->assign((access_ & GENERIC_READ) != 0 ? length : 0, '\0');
    std::size_t got = 0;
    while (got < bytes->size()) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + got);
      at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
      DWORD count = 0;
      const DWORD chunk = static_cast<DWORD>(std::min(bytes->size() - got, kMaxChunk));
      if (!ReadFile(handle_, bytes->data() + got, chunk, &count, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return failed(error);
      }
      if (count == 0) break;
      got += count;
    }
    bytes->resize(got);
    return true;
  }

  // Under the lock, each block is written at the end of the file.
  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    *written = 0;
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(handle_, none, nullptr, FILE_END)) return failed(error);
    DWORD code = write_handle(handle_, bytes, written);
    if (code == ERROR_SUCCESS) return true;
    *error = error_text(code);
    return false;
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(bytes);
    return (SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle_)) ||
           failed(error);
  }

  // ERROR_INVALID_FUNCTION: a device such as NUL that has nothing to flush. The folder entry
  // of a new file is left to the file system, which keeps its own journal of them: Windows
  // flushes a folder only for administrators.
  bool sync(std::string* error) override {
    return FlushFileBuffers(handle_) || GetLastError() == ERROR_INVALID_FUNCTION || failed(error);
  }

 private:
  HANDLE handle_;
  DWORD access_;
};

class WindowsFileSystem : public FileSystem {
 public:
  bool replace_file(const std::string& path, std::string_view bytes, std::string* error) override {
    return platform::replace_file(path, bytes, error);
  }
  bool is_standard_output(const std::string& path) override {
    return platform::is_standard_output(path);
  }
  // Reading and writing, then writing alone, then reading alone. Writing includes the right
  // to cut the file back. A failure names the first attempt's error.
  std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) override {
    constexpr DWORD kAttempts[] = {GENERIC_READ | GENERIC_WRITE, GENERIC_WRITE, GENERIC_READ};
    DWORD first_error = ERROR_SUCCESS;
    for (DWORD access : kAttempts) {
      HANDLE handle = open_file(name, access, access == GENERIC_READ ? OPEN_EXISTING : OPEN_ALWAYS);
      if (handle != INVALID_HANDLE_VALUE)
        return std::make_unique<WindowsReportFile>(handle, access);
      if (first_error == ERROR_SUCCESS) first_error = GetLastError();
      if (GetLastError() != ERROR_ACCESS_DENIED) break;
    }
    *error = error_text(first_error);
    return nullptr;
  }
};

// Held while a file is written; the console's handler waits for it.
SRWLOCK ending_hold = SRWLOCK_INIT;

// Runs on a thread of its own when the console asks the process to end (Ctrl+C, Ctrl+Break,
// the window closed): waits until no file is being written, then lets the next handler, the
// system's, end the process.
BOOL WINAPI end_after_hold(DWORD) {
  AcquireSRWLockExclusive(&ending_hold);
  ReleaseSRWLockExclusive(&ending_hold);
  return FALSE;
}

// A device (NUL, CON, a pipe), a folder, and a file with other hard links are written where
// they are. A file is then cut to the new length and flushed, so that every name of it shows
// the new bytes. A folder refuses to be opened for writing.
bool write_in_place(const std::string& path, std::string_view bytes, std::string* error) {
  HANDLE handle = open_file(path, GENERIC_WRITE, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) return failed(error);
  std::size_t written = 0;
  const DWORD code = write_handle(handle, bytes, &written);
  bool ok = code == ERROR_SUCCESS;
  if (!ok) *error = error_text(code);
  if (ok && GetFileType(handle) == FILE_TYPE_DISK) {
    ok = (SetEndOfFile(handle) && FlushFileBuffers(handle)) || failed(error);
  }
  CloseHandle(handle);
  return ok;
}

// A new file of a name no other file has, beside `target`: names made of the process id and a
// count, so that one left by a run that was killed is passed over.
HANDLE create_temporary(const std::string& target, std::string* name) {
  const std::string folder = target.substr(0, target.find_last_of("\\/") + 1);
  for (int count = 0; count < kMostTemporaryNames; ++count) {
    *name =
        folder + ".k-berg-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count);
    HANDLE handle = CreateFileA(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
  }
  return INVALID_HANDLE_VALUE;
}

// The bytes go to a temporary file beside the target, which then takes the target's place:
// ReplaceFile keeps the old file's attributes, owner and permissions; a new file is moved into
// place, its folder entry written through. The console's requests to end the process wait
// meanwhile, so that none of them leaves the temporary file behind.
bool write_new(const std::string& target, std::string_view bytes, bool replacing,
               std::string* error) {
  const EndingSignalsHeld held;
  std::string temporary;
  HANDLE handle = create_temporary(target, &temporary);
  if (handle == INVALID_HANDLE_VALUE) return failed(error);
  std::size_t written = 0;
  const DWORD code = write_handle(handle, bytes, &written);
  bool ok = code == ERROR_SUCCESS;
  if (!ok) *error = error_text(code);
  ok = ok && (FlushFileBuffers(handle) || failed(error));
  if (!CloseHandle(handle) && ok) ok = failed(error);
  constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const bool placed = replacing ? ReplaceFileA(target.c_str(), temporary.c_str(), nullptr,
                                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                : MoveFileExA(temporary.c_str(), target.c_str(), kMove);
  ok = ok && (placed || failed(error));
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

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

}  // namespace

FileSystem& system_files() {
  static WindowsFileSystem files;
  return files;
}

EndingSignalsHeld::EndingSignalsHeld() {
  AcquireSRWLockExclusive(&ending_hold);
  SetConsoleCtrlHandler(end_after_hold, TRUE);
}

EndingSignalsHeld::~EndingSignalsHeld() {
  SetConsoleCtrlHandler(end_after_hold, FALSE);
  ReleaseSRWLockExclusive(&ending_hold);
}

// The file is looked at through a handle that reads nothing, which follows links.
bool replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  HANDLE handle = open_file(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return failed(error);
    return write_new(path, bytes, false, error);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
  const bool known = !disk || GetFileInformationByHandle(handle, &info) || failed(error);
  const std::string target = disk ? final_name(handle) : "";
  CloseHandle(handle);
  if (!known) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    *error = error_text(ERROR_ACCESS_DENIED);
    return false;
  }
  const bool replaceable = disk && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                           info.nNumberOfLinks == 1 && !target.empty();
  return replaceable ? write_new(target, bytes, true, error) : write_in_place(path, bytes, error);
}

// Files are the same where their volume and their id on it are; pipes and consoles have
// no id and are never taken for the same. Wine cannot tell the volume of a standard handle
// it inherited from its host and gives 0: the id alone then decides, since taking the output
// for another file would replace what was just written there.
bool is_standard_output(const std::string& path) {
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

}  // namespace platform
