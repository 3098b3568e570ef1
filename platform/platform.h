// Everything that differs between operating systems sits behind this header: the byte
// streams of the console, clearing the screen, the pause, the report file and the reports
// of fatal faults. platform-posix.cpp and platform-windows.cpp implement it; the build
// picks one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

constexpr int kStdin = 0;
constexpr int kStdout = 1;
constexpr int kStderr = 2;

// Puts the standard streams into the state the program writes and reads them in: bytes
// pass unchanged (no line-end translation) and the console shows UTF-8.
void prepare_console();

// Puts back what prepare_console changed in the console (on Windows its code page). An exit
// does it by itself; the report of a failure or a fault calls it first, so that the report
// shows in the console's own code page.
void restore_console();

// True when standard output reaches a person or another program as it is written (a
// console or a pipe), false for a regular file, where output may be held in a buffer.
bool writes_through(int fd);

// Reads up to `size` bytes; returns 0 at the end of input or when the stream is unusable.
std::size_t read_some(int fd, char* buffer, std::size_t size);

// Hands all bytes to the system. On failure returns false and sets `error` to the system's
// text for the error.
bool write_all(int fd, std::string_view bytes, std::string* error);

// The screen and the pause, which the dialogue calls and tests replace by fakes.
class Screen {
 public:
  virtual ~Screen() = default;
  // Empties the console with the cursor at its top. Standard output must be flushed first.
  virtual void clear() = 0;
  virtual void pause(int seconds) = 0;
};

// The real console of this process.
Screen& system_screen();

// The report file, opened to append. `read_only` tells that the system allowed reading only.
struct AppendFile {
  int handle = -1;
  bool read_only = false;
};

// Opens `name` for reading and writing at its end, created if absent. Where that is refused
// for lack of permission, falls back to reading only, then to writing only.
bool open_append(const char* name, AppendFile* file, std::string* error);

// Appends all bytes in one write, so that concurrent savers never interleave.
bool append(const AppendFile& file, std::string_view bytes, std::string* error);

// Flushes the file to stable storage and closes it.
bool sync_and_close(const AppendFile& file, std::string* error);

// Writes `bytes` to a new temporary file beside `path`, flushes it to stable storage and
// renames it to `path`, replacing the file there: `path` holds the old file or the whole new
// one, never a part. On failure the temporary file is removed, `path` is left as it was, and
// `error` gets the system's text for the error.
bool replace_file(const std::string& path, std::string_view bytes, std::string* error);

// Installs the reports of fatal processor faults (invalid memory reference, illegal
// instruction, arithmetic trap, abort), after which the process ends as the system ends it.
void install_fault_reports();

// A listing of the calls active in the caller, one line each, innermost first.
std::string backtrace_listing();

}  // namespace platform
