// The console streams of the process, and what differs between operating systems in using
// them: bytes passed unchanged, the screen, the pause. console-posix.cpp and
// console-windows.cpp implement it; the build picks one.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

constexpr int kStdin = 0;
constexpr int kStdout = 1;
constexpr int kStderr = 2;

// Puts the standard streams into the state the programs write and read them in: bytes pass
// unchanged (no line-end translation) and the console shows UTF-8 and understands the escape
// sequences of a terminal. A write beyond the file-size limit of the process fails like any
// other write instead of ending the process.
void prepare_console();

// Puts back what prepare_console changed in the console (on Windows its code page and mode).
// An exit does it by itself; the report of a failure or a fault calls it first, so that the
// report shows in the console's own code page.
void restore_console();

// True when the stream reaches a person or another program as it is written (a console or a
// pipe), false for a regular file, where output may be held in a buffer.
bool writes_through(int fd);

// The bytes that empty the screen the stream shows, with the cursor at its top; empty when the
// stream is not a terminal, or is one that TERM=dumb says cannot do it. A pipe or a file gets
// nothing, so that transcripts stay clean. Asked once, at the start.
std::string clear_sequence(int fd);

// Reads up to `size` bytes and sets `count` to the number read: 0 at the end of input. A
// stream that is empty for the moment is waited for. On a read error returns false and sets
// `error` to the system's text for it.
bool read_some(int fd, char* buffer, std::size_t size, std::size_t* count, std::string* error);

// The error of a write that the system took none of the bytes of, the same on every system:
// such a write is not tried again for ever.
constexpr char kNoBytesTaken[] = "The system took none of the bytes written";

// Hands all bytes to the system, waiting while a stream cannot take more for the moment. On a
// write error, also to a pipe whose reader has gone, returns false and sets `error` to the
// system's text for it (kNoBytesTaken for a write that took nothing). (Where SIGPIPE is not
// ignored, that pipe ends the process first.)
bool write_all(int fd, std::string_view bytes, std::string* error);

// The pause between screens, which the dialogue calls and tests replace by a fake.
class Pause {
 public:
  virtual ~Pause() = default;
  virtual void wait(int seconds) = 0;
};

// The time a pause keeps: the system's, or a fake in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::steady_clock::time_point now() = 0;
  // Sleeps for at most `span`; may end sooner.
  virtual void sleep(std::chrono::nanoseconds span) = 0;
};

// A pause that sleeps on its clock until the seconds have passed, however often a sleep ends
// early.
class SleepingPause : public Pause {
 public:
  explicit SleepingPause(Clock& clock) : clock_(clock) {}
  void wait(int seconds) override;

 private:
  Clock& clock_;
};

// The system's clock, and a pause that sleeps on it.
Clock& system_clock();
Pause& system_pause();

}  // namespace platform
