// The byte streams under the record layer and the number entry: standard input and output
// of the process, or strings in tests and when a report block is assembled.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace textio {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Hands the bytes on; errors are the owner's concern, not the record layer's.
  virtual void write(std::string_view bytes) = 0;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; returns 0 at the end of input.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// A file descriptor of the process. Write errors on the console are not reported.
class FdSink : public ByteSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  void write(std::string_view bytes) override;

 private:
  int fd_;
};

class FdSource : public ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  int fd_;
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
