// The report file and the chart on Windows.
#include <windows.h>

#include "platform/files.h"
#include "platform/handles-windows.h"

namespace platform {

namespace {

HANDLE open_file(const char* name, DWORD access, DWORD disposition) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  return CreateFileA(name, access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class WindowsReportFile : public ReportFile {
 public:
  WindowsReportFile(HANDLE handle, bool read_only) : handle_(handle), read_only_(read_only) {}
  ~WindowsReportFile() override {
    std::string ignored;
    if (handle_ != INVALID_HANDLE_VALUE) close(&ignored);
  }
  WindowsReportFile(const WindowsReportFile&) = delete;
  WindowsReportFile& operator=(const WindowsReportFile&) = delete;

  bool read_only() const override { return read_only_; }

  // The whole range a file can have, so that another saver waits while this one writes.
  // ERROR_INVALID_FUNCTION: a device such as NUL, which has no ranges to lock.
  bool lock(std::string* error) override {
    OVERLAPPED from_start{};
    return LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &from_start) ||
           GetLastError() == ERROR_INVALID_FUNCTION || failed(error);
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return failed(error);
    *bytes = static_cast<std::uint64_t>(size.QuadPart);
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

  // ERROR_INVALID_FUNCTION: a device such as NUL that has nothing to flush.
  bool sync(std::string* error) override {
    return FlushFileBuffers(handle_) || GetLastError() == ERROR_INVALID_FUNCTION || failed(error);
  }

  // The lock is given back first: a lock left to CloseHandle may outlive the handle for a while.
  // Giving back a lock that was never taken fails, which changes nothing.
  bool close(std::string* error) override {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    OVERLAPPED from_start{};
    UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &from_start);
    return CloseHandle(handle) || failed(error);
  }

 private:
  static bool failed(std::string* error) {
    *error = error_text(GetLastError());
    return false;
  }

  HANDLE handle_;
  bool read_only_;
};

class WindowsFileSystem : public FileSystem {
 public:
  // Reading and writing, then reading alone, then writing alone. Writing includes the right
  // to cut the file back.
  std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) override {
    bool read_only = false;
    HANDLE handle = open_file(name.c_str(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
      handle = open_file(name.c_str(), GENERIC_READ, OPEN_EXISTING);
      read_only = handle != INVALID_HANDLE_VALUE;
      if (handle == INVALID_HANDLE_VALUE) {
        handle = open_file(name.c_str(), GENERIC_WRITE, OPEN_ALWAYS);
      }
    }
    if (handle == INVALID_HANDLE_VALUE) {
      *error = error_text(GetLastError());
      return nullptr;
    }
    return std::make_unique<WindowsReportFile>(handle, read_only);
  }
};

}  // namespace

FileSystem& system_files() {
  static WindowsFileSystem files;
  return files;
}

bool replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = error_text(GetLastError());
    return false;
  }
  std::size_t written = 0;
  const DWORD code = write_handle(handle, bytes, &written);
  bool ok = code == ERROR_SUCCESS;
  if (!ok) *error = error_text(code);
  if (ok && !FlushFileBuffers(handle)) {
    *error = error_text(GetLastError());
    ok = false;
  }
  if (!CloseHandle(handle) && ok) {
    *error = error_text(GetLastError());
    ok = false;
  }
  constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (ok && !MoveFileExA(temporary.c_str(), path.c_str(), kReplace)) {
    *error = error_text(GetLastError());
    ok = false;
  }
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

}  // namespace platform
