#include "textio/channels.h"

#include <algorithm>

#include "platform/console.h"
#include "textio/messages.h"

namespace textio {

// A failure is told in the language a program chose: the dialogue chooses none, and its
// reports, which scripts read, stay as they are.
using messages::filled;
using messages::translated;

void FdSink::write(std::string_view bytes) {
  std::string error;
  if (platform::write_all(fd_, bytes, &error)) return;
  throw Failure(unit_, filled(translated("Cannot write to file '{0}': {1}"), {unit_.file, error}));
}

std::size_t FdSource::read(char* buffer, std::size_t size) {
  std::size_t count = 0;
  std::string error;
  if (!platform::read_some(fd_, buffer, size, &count, &error)) {
    throw Failure(unit_,
                  filled(translated("Cannot read from file '{0}': {1}"), {unit_.file, error}));
  }
  return count;
}

std::size_t StringSource::read(char* buffer, std::size_t size) {
  std::size_t count = std::min(size, text_.size() - position_);
  std::copy_n(text_.data() + position_, count, buffer);
  position_ += count;
  return count;
}

bool Input::fill() {
  if (position_ < size_) return true;
  if (ended_) return false;
  size_ = source_.read(buffer_, sizeof buffer_);
  position_ = 0;
  // Once ended, input stays ended, even if a terminal would deliver more later.
  ended_ = size_ == 0;
  return !ended_;
}

int Input::peek() { return fill() ? static_cast<unsigned char>(buffer_[position_]) : kEnd; }

int Input::get() {
  int byte = peek();
  if (byte != kEnd) ++position_;
  return byte;
}

}  // namespace textio
