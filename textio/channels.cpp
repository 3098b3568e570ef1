#include "textio/channels.h"

#include <algorithm>

#include "platform/platform.h"

namespace textio {

void FdSink::write(std::string_view bytes) {
  std::string ignored;
  platform::write_all(fd_, bytes, &ignored);
}

std::size_t FdSource::read(char* buffer, std::size_t size) {
  return platform::read_some(fd_, buffer, size);
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
