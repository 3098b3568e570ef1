// The byte streams under the record layer and the number entry: the standard streams of the
// process, or strings, into which a report block or a chart is assembled before it is
// written, and which tests read and write.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "textio/failure.h"

namespace textio {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Hands the bytes on. A sink that cannot hand them on throws textio::Failure, which the
  // record layer lets pass to its caller.
  virtual void write(std::string_view bytes) = 0;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; returns 0 at the end of input. A read error throws
  // textio::Failure.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// A stream of the process, such as standard output, named in failure reports by `unit`. A
// write that fails, also to a pipe whose reader has gone, throws textio::Failure.
class FdSink : public ByteSink {
 public:
  FdSink(int fd, Unit unit) : fd_(fd), unit_(std::move(unit)) {}
  void write(std::string_view bytes) override;

 private:
  int fd_;
  Unit unit_;
};

// A stream of the process, such as standard input. A read error throws textio::Failure naming
// `unit`.
class FdSource : public ByteSource {
 public:
  FdSource(int fd, Unit unit) : fd_(fd), unit_(std::move(unit)) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  int fd_;
  Unit unit_;
};

class StringSink : public ByteSink {
 public:
  void write(std::string_view bytes) override { text_ += bytes; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string text) : text_(std::move(text)) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  std::string text_;
  std::size_t position_ = 0;
};

// Standard input as the entry routines see it: one byte at a time with one byte of look-ahead,
// through a buffer of fixed size, so that a line of any length is read in bounded memory.
class Input {
 public:
  static constexpr int kEnd = -1;

  explicit Input(ByteSource& source) : source_(source) {}
  // The next byte (0 to 255), or kEnd once input has ended.
  int get();
  int peek();

 private:
  bool fill();

  ByteSource& source_;
  char buffer_[4096];
  std::size_t position_ = 0;
  std::size_t size_ = 0;
  bool ended_ = false;
};

}  // namespace textio
