// The files the programs write, and what differs between operating systems in writing them:
// the report file, to which each save appends under a lock, and the chart, replaced whole.
// files-posix.cpp and files-windows.cpp implement it; the build picks one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// How a wait for the report file's lock ended.
enum class LockState { locked, busy, failed };

// The report file while a save has it open. Each operation that can fail returns false and
// sets `error` to the system's text for the error. The file is closed, without a word, when
// the object goes, which also lets the next saver in.
class ReportFile {
 public:
  virtual ~ReportFile() = default;
  // True when the system allowed reading only: nothing can be written.
  virtual bool read_only() const = 0;
  // Waits up to `wait` until no other saver holds the file, then holds it until it is closed:
  // `locked`; `busy` when another saver still holds it; `failed` with `error` set.
  virtual LockState lock(std::chrono::milliseconds wait, std::string* error) = 0;
  virtual bool size(std::uint64_t* bytes, std::string* error) = 0;
  // Reads up to `length` bytes from `offset` into `bytes`. A file that was opened for writing
  // alone reads as empty.
  virtual bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
                    std::string* error) = 0;
  // Appends all bytes at the end of the file; `written` tells how many went in, also when
  // the write failed partway.
  virtual bool append(std::string_view bytes, std::size_t* written, std::string* error) = 0;
  // Cuts the file back to `bytes` long, removing what was appended after that.
  virtual bool cut_back(std::uint64_t bytes, std::string* error) = 0;
  // Flushes the file to stable storage, and the folder's entry for it where this open created
  // the file, so that a new file survives a power loss with its first block.
  virtual bool sync(std::string* error) = 0;
};

// Where report files are opened: the system's files, or a fake in tests.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens `name` for reading and writing at its end, created if absent. Where that is refused
  // for lack of permission, opens it for writing alone, else for reading alone (see
  // ReportFile::read_only). A FIFO is opened for writing alone, and only while a reader has
  // it open, so that no block vanishes unread. On failure returns nullptr and sets `error` to
  // the system's text for the error of the first attempt.
  virtual std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) = 0;
  // Writes a chart to `path` as an editor saves a file (see platform::replace_file).
  virtual bool replace_file(const std::string& path, std::string_view bytes,
                            std::string* error) = 0;
  // True when `path` is the file standard output writes to (see platform::is_standard_output).
  virtual bool is_standard_output(const std::string& path) = 0;
};

// The files of the operating system.
FileSystem& system_files();

// While an object of this class lives, the requests that end the process (on POSIX systems
// SIGINT, SIGTERM, SIGHUP and SIGQUIT; on Windows the console's Ctrl+C, Ctrl+Break and close)
// are held off, so that they never leave a file half written; one that came meanwhile takes
// effect when the object goes. One object at a time.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  ~EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
};

// Writes `bytes` to `path` as an editor saves a file. A symbolic link is followed and its
// target replaced. A regular file is replaced whole: the bytes go to a new temporary file of
// a unique name beside it, which is flushed to stable storage, given the old file's permission
// bits (and, where the process may set them, its owner and group), and renamed over it; the
// folder is flushed after that. `path` holds the old file or the whole new one, never a part,
// and on failure the temporary file is removed. A file its user may not write is refused
// ("Permission denied"). Anything else is written in place, never replaced: a device, a FIFO,
// a terminal, and a file with several hard links, so that every name of it shows the new
// bytes. On failure `error` gets the system's text for the error.
bool replace_file(const std::string& path, std::string_view bytes, std::string* error);

// True when `path` names the very file that standard output writes to, as /dev/stdout does,
// or a file the output was sent to: what goes there should then follow the output, not
// replace the file under it.
bool is_standard_output(const std::string& path);

}  // namespace platform
