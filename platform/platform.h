// Everything that differs between operating systems sits behind this header: the byte
// streams of the console, clearing the screen, the pause, the report file and the reports
// of fatal faults. platform-posix.cpp and platform-windows.cpp implement it; the build
// picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr int kStdin = 0;
constexpr int kStdout = 1;
constexpr int kStderr = 2;

// Puts the standard streams into the state the program writes and reads them in: bytes
// pass unchanged (no line-end translation) and the console shows UTF-8. A write beyond the
// file-size limit of the process fails like any other write instead of ending the process.
void prepare_console();

// Puts back what prepare_console changed in the console (on Windows its code page). An exit
// does it by itself; the report of a failure or a fault calls it first, so that the report
// shows in the console's own code page.
void restore_console();

// True when standard output reaches a person or another program as it is written (a
// console or a pipe), false for a regular file, where output may be held in a buffer.
bool writes_through(int fd);

// Reads up to `size` bytes and sets `count` to the number read: 0 at the end of input. A
// stream that is empty for the moment is waited for. On a read error returns false and sets
// `error` to the system's text for it.
bool read_some(int fd, char* buffer, std::size_t size, std::size_t* count, std::string* error);

// How a write to a stream ended.
enum class WriteResult {
  written,      // all bytes were handed to the system
  reader_gone,  // a pipe whose reader has closed it, where the process was not ended for it
  failed,       // `error` holds the system's text for the error
};

// Hands all bytes to the system, waiting while a stream cannot take more for the moment.
WriteResult write_all(int fd, std::string_view bytes, std::string* error);

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

// The report file, opened to append. The object owns the file and closes it when it goes,
// whatever path the save took. The functions that can fail return false and set `error` to
// the system's text for the error.
class ReportFile {
 public:
  ReportFile() = default;
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Opens `name` for writing at its end, created if absent. Where writing is refused for lack
  // of permission, opens it for reading only (see read_only). A FIFO is opened only while a
  // reader has it open, so that no block vanishes unread.
  bool open(const char* name, std::string* error);
  // True when the system allowed reading only: nothing can be written.
  bool read_only() const { return read_only_; }
  // Waits until no other saver holds the file, then holds it until it is closed.
  bool lock(std::string* error);
  bool size(std::uint64_t* bytes, std::string* error);
  // Appends all bytes at the end of the file; `written` tells how many went in, also when
  // the write failed partway.
  bool append(std::string_view bytes, std::size_t* written, std::string* error);
  // Cuts the file back to `bytes` long, removing what was appended after that.
  bool cut_back(std::uint64_t bytes, std::string* error);
  // Flushes the file to stable storage.
  bool sync(std::string* error);
  // Closes the file, which also lets the next saver in.
  bool close(std::string* error);

 private:
  // The system's handle of the open file: a file descriptor on POSIX systems, a HANDLE on
  // Windows; -1 (which is also Windows' INVALID_HANDLE_VALUE) while none is open.
  std::intptr_t handle_ = -1;
  bool read_only_ = false;
};

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
