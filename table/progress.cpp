#include "table/progress.h"

#include "platform/console.h"
#include "textio/messages.h"

namespace table {

namespace {

constexpr auto kQuietTime = std::chrono::seconds(2);
// Back to the start of the line, and the line erased.
constexpr const char* kEraseLine = "\r\x1b[K";

class NoProgress : public Progress {
 public:
  void searched(std::size_t, std::size_t) override {}
  void finish() override {}
};

// Standard error has nowhere to report its own failure.
void show(const std::string& text) {
  std::string ignored;
  platform::write_all(platform::kStderr, text, &ignored);
}

}  // namespace

std::string progress_line(std::size_t done, std::size_t total) {
  const std::string_view words = messages::translated("search {0} of {1}...");
  return std::string("k-berg-table: ")
      .append(messages::filled(words, {std::to_string(done), std::to_string(total)}));
}

Progress& no_progress() {
  static NoProgress nothing;
  return nothing;
}

TerminalProgress::TerminalProgress()
    : terminal_(!platform::clear_sequence(platform::kStderr).empty()),
      start_(std::chrono::steady_clock::now()) {}

void TerminalProgress::searched(std::size_t done, std::size_t total) {
  if (!terminal_ || std::chrono::steady_clock::now() - start_ < kQuietTime) return;
  show(std::string(kEraseLine) + progress_line(done, total));
  shown_ = true;
}

void TerminalProgress::finish() {
  if (shown_) show(kEraseLine);
  shown_ = false;
}

}  // namespace table
