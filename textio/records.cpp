#include "textio/records.h"

namespace textio {

namespace {
constexpr std::size_t kBufferSize = 8192;
constexpr std::string_view kRecordEnd = "\r\n";
}  // namespace

void Records::write_empty() {
  pending_ += kRecordEnd;
  end_record();
}

void Records::text(std::string_view text) {
  pending_ += ' ';
  pending_ += text;
  pending_ += kRecordEnd;
  end_record();
}

void Records::formatted(std::string_view fields) {
  pending_ += fields;
  pending_ += kRecordEnd;
  end_record();
}

void Records::prompt(std::string_view text) {
  pending_ += text;
  flush();
}

void Records::clear_screen() {
  pending_ += clear_sequence_;
  flush();
}

// The pending bytes are taken before they are handed on: a write that fails is not tried
// again by the next flush.
void Records::flush() {
  if (pending_.empty()) return;
  std::string bytes;
  bytes.swap(pending_);
  sink_.write(bytes);
}

void Records::end_record() {
  if (write_through_ || pending_.size() >= kBufferSize) flush();
}

}  // namespace textio
