// The files the programs write, and what differs between operating systems in writing them:
// the report file, to which each save appends under a lock, and the chart, replaced whole.
// files-posix.cpp and files-windows.cpp implement it; the build picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The report file while a save has it open. Each operation that can fail returns false and
// sets `error` to the system's text for the error. The file is closed, without a word, when
// the object goes; a save that needs to know how the close went calls close itself.
class ReportFile {
 public:
  virtual ~ReportFile() = default;
  // True when the system allowed reading only: nothing can be written.
  virtual bool read_only() const = 0;
  // Waits until no other saver holds the file, then holds it until it is closed.
  virtual bool lock(std::string* error) = 0;
  virtual bool size(std::uint64_t* bytes, std::string* error) = 0;
  // Appends all bytes at the end of the file; `written` tells how many went in, also when
  // the write failed partway.
  virtual bool append(std::string_view bytes, std::size_t* written, std::string* error) = 0;
  // Cuts the file back to `bytes` long, removing what was appended after that.
  virtual bool cut_back(std::uint64_t bytes, std::string* error) = 0;
  // Flushes the file to stable storage.
  virtual bool sync(std::string* error) = 0;
  // Closes the file, which also lets the next saver in.
  virtual bool close(std::string* error) = 0;
};

// Where report files are opened: the system's files, or a fake in tests.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens `name` for writing at its end, created if absent. Where writing is refused for lack
  // of permission, opens it for reading only (see ReportFile::read_only). A FIFO is opened
  // only while a reader has it open, so that no block vanishes unread. On failure returns
  // nullptr and sets `error` to the system's text for the error.
  virtual std::unique_ptr<ReportFile> open_report(const std::string& name, std::string* error) = 0;
};

// The files of the operating system.
FileSystem& system_files();

// Writes `bytes` to a new temporary file beside `path`, flushes it to stable storage and
// renames it to `path`, replacing the file there: `path` holds the old file or the whole new
// one, never a part. On failure the temporary file is removed, `path` is left as it was, and
// `error` gets the system's text for the error.
bool replace_file(const std::string& path, std::string_view bytes, std::string* error);

}  // namespace platform
