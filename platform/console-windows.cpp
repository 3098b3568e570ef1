// The console streams on Windows. They are read and written with ReadFile and WriteFile on
// their handles, which pass bytes unchanged: no C runtime text mode stands in between to turn
// the CR LF of each record into CR CR LF.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "platform/console.h"
#include "platform/handles-windows.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace platform {

namespace {

HANDLE standard_handle(int fd) {
  static constexpr DWORD kIds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  return GetStdHandle(kIds[fd]);
}

// What prepare_console changed, to be put back: the console's output code page before the
// program set UTF-8 (0: nothing to put back), and its output mode before the program turned
// on the escape sequences.
UINT saved_output_code_page = 0;
bool output_mode_saved = false;
DWORD saved_output_mode = 0;

void use_utf8() {
  // 0: the process has no console. A console already in UTF-8 needs nothing put back.
  UINT current = GetConsoleOutputCP();
  if (current == 0 || current == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
  saved_output_code_page = current;
}

// Windows 10 and later consoles clear the screen by the same escape sequences as a terminal,
// once they are asked to understand them.
void use_escape_sequences() {
  DWORD mode = 0;
  HANDLE out = standard_handle(kStdout);
  if (!GetConsoleMode(out, &mode) || (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return;
  if (!SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return;
  saved_output_mode = mode;
  output_mode_saved = true;
}

}  // namespace

void prepare_console() {
  use_utf8();
  use_escape_sequences();
  std::atexit(restore_console);
}

void restore_console() {
  if (saved_output_code_page != 0) SetConsoleOutputCP(saved_output_code_page);
  saved_output_code_page = 0;
  if (output_mode_saved) SetConsoleMode(standard_handle(kStdout), saved_output_mode);
  output_mode_saved = false;
}

bool writes_through(int fd) { return GetFileType(standard_handle(fd)) != FILE_TYPE_DISK; }

// Homes the cursor, erases the screen and erases the scroll-back. A console that cannot take
// escape sequences (before Windows 10) is not cleared.
std::string clear_sequence(int fd) {
  DWORD mode = 0;
  const char* term = std::getenv("TERM");
  if (!GetConsoleMode(standard_handle(fd), &mode) ||
      (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 ||
      (term != nullptr && std::string_view(term) == "dumb")) {
    return "";
  }
  return "\x1b[H\x1b[2J\x1b[3J";
}

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

// A pipe whose reader has closed it is ERROR_BROKEN_PIPE, or ERROR_NO_DATA while it closes:
// both read "Broken pipe".
bool write_all(int fd, std::string_view bytes, std::string* error) {
  std::size_t written = 0;
  DWORD code = write_handle(standard_handle(fd), bytes, &written);
  if (code == ERROR_SUCCESS) return true;
  *error = error_text(code);
  return false;
}

}  // namespace platform
