// The platform layer for Windows. The console streams and the report file are written with
// ReadFile and WriteFile on their handles, which pass bytes unchanged: no C runtime text mode
// stands in between to turn the CR LF of each record into CR CR LF.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace {

// The most one ReadFile or WriteFile call is given; larger writes are split.
constexpr std::size_t kMaxChunk = 1 << 30;

HANDLE standard_handle(int fd) {
  static constexpr DWORD kIds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  return GetStdHandle(kIds[fd]);
}

// Windows errors that the C library knows, so that the report reads as on other systems
// ("Permission denied", "No space left on device").
struct ErrorMapping {
  DWORD windows;
  int c_library;
};

constexpr ErrorMapping kErrorMappings[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_NAME, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
};

// Any other error in the words of the system, without the final full stop.
std::string system_message(DWORD code) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && std::strchr(" \r\n.", message.back()) != nullptr) {
    message.pop_back();
  }
  return message.empty() ? "Windows error " + std::to_string(code) : message;
}

std::string error_text(DWORD code) {
  for (const ErrorMapping& mapping : kErrorMappings) {
    if (mapping.windows == code) return std::strerror(mapping.c_library);
  }
  return system_message(code);
}

// Writes all bytes, or as many as the system took before it failed, and counts them in
// `written`. Returns ERROR_SUCCESS or the error that stopped the write.
DWORD write_handle(HANDLE handle, std::string_view bytes, std::size_t* written) {
  *written = 0;
  while (*written < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - *written, kMaxChunk));
    DWORD count = 0;
    if (!WriteFile(handle, bytes.data() + *written, chunk, &count, nullptr)) return GetLastError();
    if (count == 0) return ERROR_WRITE_FAULT;
    *written += count;
  }
  return ERROR_SUCCESS;
}

// The handle of the open report file.
HANDLE file_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

class WindowsScreen : public Screen {
 public:
  // A console is cleared by the command interpreter. Redirected output gets nothing, so that
  // transcripts stay clean.
  void clear() override {
    DWORD mode = 0;
    if (!GetConsoleMode(standard_handle(kStdout), &mode)) return;
    static_cast<void>(std::system("cls"));
  }

  void pause(int seconds) override { Sleep(static_cast<DWORD>(seconds) * 1000); }
};

// The console's output code page before the program set UTF-8; 0 when there is nothing to
// put back.
UINT saved_output_code_page = 0;

HANDLE open_file(const char* name, DWORD access, DWORD disposition) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  return CreateFileA(name, access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The address of `address` if its module were loaded at the base its image asks for: the
// address that `addr2line -e k-berg.exe` understands.
std::uintptr_t preferred_address(HMODULE module, const void* address) {
  auto base = reinterpret_cast<const unsigned char*>(module);
  auto dos_header = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt_headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos_header->e_lfanew);
  return nt_headers->OptionalHeader.ImageBase + (static_cast<const unsigned char*>(address) - base);
}

// One frame as "#n  module+0xoffset [0xaddress]\n" into `line`; returns its length. Uses no
// heap, so that it also serves when the program has faulted.
int format_frame(char* line, int size, int number, const void* address) {
  HMODULE module = nullptr;
  constexpr DWORD kFlags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  char path[MAX_PATH] = "?";
  std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(address);
  std::uintptr_t shown = offset;
  if (GetModuleHandleExA(kFlags, static_cast<const char*>(address), &module)) {
    GetModuleFileNameA(module, path, sizeof path);
    offset -= reinterpret_cast<std::uintptr_t>(module);
    shown = preferred_address(module, address);
  }
  const char* name = std::strrchr(path, '\\');
  name = name != nullptr ? name + 1 : path;
  int length = std::snprintf(line, static_cast<std::size_t>(size), "#%d  %s+0x%llx [0x%llx]\n",
                             number, name, static_cast<unsigned long long>(offset),
                             static_cast<unsigned long long>(shown));
  return std::clamp(length, 0, size - 1);
}

constexpr int kFrameLine = MAX_PATH + 64;

void write_frame(HANDLE out, int number, const void* address) {
  char line[kFrameLine];
  DWORD ignored = 0;
  WriteFile(out, line, static_cast<DWORD>(format_frame(line, kFrameLine, number, address)),
            &ignored, nullptr);
}

constexpr ULONG kMaxFrames = 62;

// The frames of the calls active in the caller, the caller's own first; a null frame marks the
// start of the thread, and what may follow it is not a call.
USHORT capture_calls(void* (&frames)[kMaxFrames]) {
  USHORT depth = CaptureStackBackTrace(1, kMaxFrames, frames, nullptr);
  USHORT calls = 0;
  while (calls < depth && frames[calls] != nullptr) ++calls;
  return calls;
}

// The active calls at the moment of a fault, unwound from the processor state that Windows
// saved, starting at the faulting instruction.
void write_fault_backtrace(const CONTEXT& fault_context) {
  constexpr int kMaxFrames = 64;
  HANDLE out = standard_handle(kStderr);
  CONTEXT context = fault_context;
  for (int number = 0; number < kMaxFrames && context.Rip != 0; ++number) {
    write_frame(out, number, reinterpret_cast<const void*>(context.Rip));
    DWORD64 image_base = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &image_base, nullptr);
    if (function == nullptr) {  // a leaf function: the return address is on top of the stack
      context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
      context.Rsp += sizeof(DWORD64);
      continue;
    }
    void* handler_data = nullptr;
    DWORD64 frame = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, image_base, context.Rip, function, &context, &handler_data,
                     &frame, nullptr);
  }
}

struct FaultName {
  const char* name;
  const char* description;
};

constexpr FaultName kSegmentationFault = {"SIGSEGV",
                                          "Segmentation fault - invalid memory reference"};
constexpr FaultName kIllegalInstruction = {"SIGILL", "Illegal instruction"};
constexpr FaultName kArithmeticTrap = {"SIGFPE",
                                       "Floating-point exception - erroneous arithmetic operation"};
constexpr FaultName kAbort = {"SIGABRT", "Process abort signal"};

// The signal that stands for a Windows exception, or nullptr for exceptions that are not
// processor faults.
const FaultName* fault_name(DWORD exception_code) {
  switch (exception_code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
      return &kSegmentationFault;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
      return &kIllegalInstruction;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_STACK_CHECK:
      return &kArithmeticTrap;
    default:
      return nullptr;
  }
}

void write_fault_heading(const FaultName& fault) {
  HANDLE out = standard_handle(kStderr);
  DWORD ignored = 0;
  for (const char* text : {"\nProgram received signal ", fault.name, ": ", fault.description,
                           ".\n\nBacktrace for this error:\n"}) {
    WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &ignored, nullptr);
  }
}

LONG WINAPI report_exception(EXCEPTION_POINTERS* exception) {
  const FaultName* fault = fault_name(exception->ExceptionRecord->ExceptionCode);
  if (fault == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  restore_console();
  write_fault_heading(*fault);
  write_fault_backtrace(*exception->ContextRecord);
  // The process ends with the exception code as its status, without the error-report dialog.
  return EXCEPTION_EXECUTE_HANDLER;
}

void report_abort(int signal_number) {
  restore_console();
  write_fault_heading(kAbort);
  void* frames[kMaxFrames];
  USHORT calls = capture_calls(frames);
  for (USHORT i = 0; i < calls; ++i) write_frame(standard_handle(kStderr), i, frames[i]);
  // End the way the C library ends a process for this signal.
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void prepare_console() {
  // 0: the process has no console. A console already in UTF-8 needs nothing put back.
  UINT current = GetConsoleOutputCP();
  if (current == 0 || current == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  saved_output_code_page = current;
  std::atexit(restore_console);
}

void restore_console() {
  if (saved_output_code_page == 0) return;
  SetConsoleOutputCP(saved_output_code_page);
  saved_output_code_page = 0;
}

bool writes_through(int fd) { return GetFileType(standard_handle(fd)) != FILE_TYPE_DISK; }

bool read_some(int fd, char* buffer, std::size_t size, std::size_t* count, std::string* error) {
  HANDLE handle = standard_handle(fd);
  *count = 0;
  // A process started without standard input reads nothing, as from the null device.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return true;
  DWORD got = 0;
  DWORD wanted = static_cast<DWORD>(std::min(size, kMaxChunk));
  if (ReadFile(handle, buffer, wanted, &got, nullptr)) {
    *count = got;
    return true;
  }
  // A pipe whose writer has gone reports ERROR_BROKEN_PIPE: that too is the end of input. So
  // is ERROR_INVALID_FUNCTION, a handle that cannot be read at all, which Wine gives a process
  // started with its standard input closed.
  DWORD code = GetLastError();
  if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF || code == ERROR_INVALID_FUNCTION) {
    return true;
  }
  *error = error_text(code);
  return false;
}

// A pipe whose reader has closed it is ERROR_BROKEN_PIPE, or ERROR_NO_DATA while it closes.
WriteResult write_all(int fd, std::string_view bytes, std::string* error) {
  std::size_t written = 0;
  DWORD code = write_handle(standard_handle(fd), bytes, &written);
  if (code == ERROR_SUCCESS) return WriteResult::written;
  if (code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA) return WriteResult::reader_gone;
  *error = error_text(code);
  return WriteResult::failed;
}

Screen& system_screen() {
  static WindowsScreen screen;
  return screen;
}

ReportFile::~ReportFile() {
  std::string ignored;
  if (handle_ != -1) close(&ignored);
}

// Reading and writing, then reading alone, then writing alone. Writing includes the right to
// cut the file back; under the lock each block is written at the end of the file.
bool ReportFile::open(const char* name, std::string* error) {
  read_only_ = false;
  HANDLE handle = open_file(name, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    handle = open_file(name, GENERIC_READ, OPEN_EXISTING);
    read_only_ = handle != INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE) handle = open_file(name, GENERIC_WRITE, OPEN_ALWAYS);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    *error = error_text(GetLastError());
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  return true;
}

// The whole range a file can have, so that another saver waits while this one writes.
// ERROR_INVALID_FUNCTION: a device such as NUL, which has no ranges to lock.
bool ReportFile::lock(std::string* error) {
  OVERLAPPED from_start{};
  if (!LockFileEx(file_handle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD,
                  &from_start) &&
      GetLastError() != ERROR_INVALID_FUNCTION) {
    *error = error_text(GetLastError());
    return false;
  }
  return true;
}

bool ReportFile::size(std::uint64_t* bytes, std::string* error) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_handle(handle_), &size)) {
    *error = error_text(GetLastError());
    return false;
  }
  *bytes = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

bool ReportFile::append(std::string_view bytes, std::size_t* written, std::string* error) {
  *written = 0;
  LARGE_INTEGER none{};
  if (!SetFilePointerEx(file_handle(handle_), none, nullptr, FILE_END)) {
    *error = error_text(GetLastError());
    return false;
  }
  DWORD code = write_handle(file_handle(handle_), bytes, written);
  if (code == ERROR_SUCCESS) return true;
  *error = error_text(code);
  return false;
}

bool ReportFile::cut_back(std::uint64_t bytes, std::string* error) {
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(bytes);
  if (!SetFilePointerEx(file_handle(handle_), end, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(file_handle(handle_))) {
    *error = error_text(GetLastError());
    return false;
  }
  return true;
}

bool ReportFile::sync(std::string* error) {
  // ERROR_INVALID_FUNCTION: a device such as NUL that has nothing to flush.
  if (!FlushFileBuffers(file_handle(handle_)) && GetLastError() != ERROR_INVALID_FUNCTION) {
    *error = error_text(GetLastError());
    return false;
  }
  return true;
}

// The lock is given back first: a lock left to CloseHandle may outlive the handle for a while.
// Giving back a lock that was never taken fails, which changes nothing.
bool ReportFile::close(std::string* error) {
  HANDLE handle = file_handle(handle_);
  handle_ = -1;
  OVERLAPPED from_start{};
  UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &from_start);
  if (!CloseHandle(handle)) {
    *error = error_text(GetLastError());
    return false;
  }
  return true;
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

void install_fault_reports() {
  // Keep room on the stack for the report when the stack itself has overflowed.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  SetUnhandledExceptionFilter(report_exception);
  std::signal(SIGABRT, report_abort);
}

std::string backtrace_listing() {
  void* frames[kMaxFrames];
  USHORT calls = capture_calls(frames);
  std::string listing;
  for (USHORT i = 0; i < calls; ++i) {
    char line[kFrameLine];
    listing.append(line, static_cast<std::size_t>(format_frame(line, kFrameLine, i, frames[i])));
  }
  return listing;
}

}  // namespace platform
