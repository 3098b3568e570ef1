// The files the programs write: the report file, to which each save appends under a lock, the
// small note a save leaves while it writes, and the chart, replaced whole. Everything goes
// through FileSystem, whose primitives differ between operating systems (files-posix.cpp and
// files-windows.cpp, the build picks one); the rules of the report file and of the chart are
// the report layer's, on top of them, and tests stand a fake in for the primitives.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// How a wait for the report file ended: `ready`; `busy` when another saver (or a program
// holding a lease) still holds it; `failed` with the error set.
enum class WaitState { ready, busy, failed };

// The report file while a save has it open. Each operation that can fail returns false and
// sets `error` to the system's text for the error. The file is closed, without a word, when
// the object goes, which also lets the next saver in.
class ReportFile {
 public:
  virtual ~ReportFile() = default;
  // True when the system allowed reading only: nothing can be written.
  virtual bool read_only() const = 0;
  // False when the system allowed writing only: what the file holds cannot be read.
  virtual bool readable() const = 0;
  // True for a regular file, which keeps what is written and can be cut back; false for a
  // FIFO or a device, which hand the bytes on.
  virtual bool regular() const = 0;
  // Waits up to `wait` until no other saver holds the file, then holds it until it is closed.
  virtual WaitState lock(std::chrono::milliseconds wait, std::string* error) = 0;
  virtual bool size(std::uint64_t* bytes, std::string* error) = 0;
  // Reads up to `length` bytes from `offset` into `bytes`.
  virtual bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
                    std::string* error) = 0;
  // Appends all bytes at the end of the file; `written` tells how many went in, also when
  // the write failed partway. A write that takes no bytes fails (platform::kNoBytesTaken).
  virtual bool append(std::string_view bytes, std::size_t* written, std::string* error) = 0;
  // Cuts the file back to `bytes` long, removing what was appended after that.
  virtual bool cut_back(std::uint64_t bytes, std::string* error) = 0;
  // Flushes the file to stable storage, and the folder's entry for it where this open created
  // the file, so that a new file survives a power loss with its first block.
  virtual bool sync(std::string* error) = 0;
};

// Whose a file is, as read_own tells it: `other` is another user's, a link, or no regular file.
enum class Ownership { absent, own, other };

// What a path names, as the chart's rules look at it.
struct FileFacts {
  // A device is one that hands the bytes on (a terminal, /dev/null); a block device holds a
  // file system or a disk's blocks, which a chart would overwrite.
  enum class Kind { absent, regular, folder, fifo, device, block_device };
  Kind kind = Kind::absent;
  std::uint64_t size = 0;
  int links = 1;
  // Whether an editor would write the file: its user may, and it has a write permission or,
  // on Windows, no read-only attribute (even the superuser leaves such a file alone).
  bool may_write = true;
  // The file the path leads to once symbolic links are followed, also where the last link
  // points at no file yet; "" for a file that has no name of its own to be replaced under.
  std::string target;
};

// A file the chart is written into: a new temporary file, or the chart itself where it is
// written in place. Each operation that can fail returns false and sets `error`.
class ChartFile {
 public:
  virtual ~ChartFile() = default;
  // Writes all bytes from `offset` on; a FIFO or a device takes them where its stream is.
  virtual bool write_at(std::uint64_t offset, std::string_view bytes, std::string* error) = 0;
  virtual bool read_all(std::string* bytes, std::string* error) = 0;
  // Makes sure that the first `bytes` bytes have space on the disk, before they are written.
  virtual bool reserve(std::uint64_t bytes, std::string* error) = 0;
  virtual bool cut_to(std::uint64_t bytes, std::string* error) = 0;
  // Gives the file the permissions (and, where the process may set them, the owner and
  // group) of `old`, or those of a new file where `old` is null.
  virtual bool take_attributes(const FileFacts* old, std::string* error) = 0;
  virtual bool sync(std::string* error) = 0;
  // Gives a file that FileSystem::create_unnamed made the name `path`, which must be free.
  virtual bool give_name(const std::string& path, std::string* error) = 0;
};

// Where the programs' files are: the system's, or a fake in tests; each operation is one of
// the system's calls, or a few of them that belong together.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `name` for reading and writing at its end, created if absent. Where that is refused
  // for lack of permission, opens it for writing alone, else for reading alone (see
  // ReportFile). A FIFO is opened for writing alone, and only while a reader has it open, so
  // that no block vanishes unread. Waits up to `wait` while another program holds a lease on
  // the file (`busy` after that). `failed` sets `error` to the text of the first attempt's.
  virtual WaitState open_report(const std::string& name, std::chrono::milliseconds wait,
                                std::unique_ptr<ReportFile>* file, std::string* error) = 0;

  // Reads at most `limit` bytes from the start of `path`; `found` is false where it is absent.
  virtual bool read_start(const std::string& path, std::size_t limit, std::string* bytes,
                          bool* found, std::string* error) = 0;
  // Reads at most `limit` bytes from the start of `path` only where it is a regular file of
  // the process's user with no other name, opened without following a link: a note that
  // nobody else can have put there. Any other file of that name is left unread (`other`).
  virtual bool read_own(const std::string& path, std::size_t limit, std::string* bytes,
                        Ownership* found, std::string* error) = 0;
  // Makes `bytes` the whole of `path` as a new regular file of the process's user, flushed with
  // its folder entry. An old one of the user's own is replaced; a link, a FIFO, a folder or
  // another user's file of that name is neither followed, opened nor removed, and refused. A
  // write that fails leaves no file behind.
  virtual bool write_own(const std::string& path, std::string_view bytes, std::string* error) = 0;
  // Removes `path`; a path that is already absent is no failure.
  virtual bool remove(const std::string& path, std::string* error) = 0;

  virtual bool look_at(const std::string& path, FileFacts* facts, std::string* error) = 0;
  // A new file at `path`, which must not exist yet.
  virtual std::unique_ptr<ChartFile> create_new(const std::string& path, std::string* error) = 0;
  // A new file in `folder` that no folder lists until ChartFile::give_name, so that no other
  // program can take or open it; null with `unsupported` true where the system or its file
  // system cannot make one.
  virtual std::unique_ptr<ChartFile> create_unnamed(const std::string& folder, bool* unsupported,
                                                    std::string* error) = 0;
  // Opens the file at `path` for writing where it is. A FIFO is opened only while a program
  // reads it, and never waited for.
  virtual std::unique_ptr<ChartFile> open_in_place(const std::string& path, std::string* error) = 0;
  // Renames `from` over `to`; `replacing` tells that `to` exists.
  virtual bool put_in_place(const std::string& from, const std::string& to, bool replacing,
                            std::string* error) = 0;
  virtual bool sync_folder(const std::string& folder, std::string* error) = 0;
  // True when `path` names the very file that standard output writes to, as /dev/stdout does,
  // or a file the output was sent to: what goes there should then follow the output, not
  // replace the file under it.
  virtual bool is_standard_output(const std::string& path) = 0;
};

// The folder `path` is in: "." for a bare name.
std::string folder_of(const std::string& path);
// The path of a file named `name` in the folder `path` is in.
std::string beside(const std::string& path, std::string_view name);

// The files of the operating system.
FileSystem& system_files();

}  // namespace platform
