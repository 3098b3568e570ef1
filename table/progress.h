// How far a long answer is, for a person waiting at a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace table {

// Told after each of an answer's searches, and when the answer is done.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void searched(std::size_t done, std::size_t total) = 0;
  virtual void finish() = 0;
};

// The line that counts the searches, in the language chosen: "k-berg-table: search 3 of 10...".
std::string progress_line(std::size_t done, std::size_t total);

// Nothing shown: for output that no person watches.
Progress& no_progress();

// After about two seconds of searching, a line on standard error that counts the searches,
// rewritten as they go and erased when the answer is done; only where standard error is a
// terminal that can erase a line.
class TerminalProgress : public Progress {
 public:
  TerminalProgress();
  void searched(std::size_t done, std::size_t total) override;
  void finish() override;

 private:
  bool terminal_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace table
