#include "platform/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/files.h"
#include "tests/run_program.h"

namespace {

// Standard input in non-blocking mode, empty when read, its wait interrupted by a signal, and
// written to 0.3 s later.
TEST(ReadSome, WaitsWhileANonBlockingPipeIsEmpty) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  fcntl(pipe_ends[0], F_SETFL, O_NONBLOCK);
  struct sigaction ignore {};
  ignore.sa_handler = [](int) {};
  sigaction(SIGUSR1, &ignore, nullptr);
  const pthread_t reader = pthread_self();
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    pthread_kill(reader, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(write(pipe_ends[1], "90\n1\n3\n", 7), 7);
    close(pipe_ends[1]);
  });
  char buffer[16];
  std::size_t count = 0;
  std::string error;
  EXPECT_TRUE(platform::read_some(pipe_ends[0], buffer, sizeof buffer, &count, &error));
  EXPECT_EQ(std::string(buffer, count), "90\n1\n3\n");
  EXPECT_TRUE(platform::read_some(pipe_ends[0], buffer, sizeof buffer, &count, &error));
  EXPECT_EQ(count, 0u);  // the writer has gone: the true end of input
  writer.join();
  close(pipe_ends[0]);
}

// A clock whose sleeps end early, after 0.3 s at most, as a signal may end one.
struct EarlyWakingClock : platform::Clock {
  std::chrono::steady_clock::time_point now() override { return now_; }
  void sleep(std::chrono::nanoseconds span) override {
    now_ += std::min<std::chrono::nanoseconds>(span, std::chrono::milliseconds(300));
  }
  std::chrono::steady_clock::time_point now_{};
};

TEST(SleepingPause, LastsItsSecondsHoweverOftenASleepEndsEarly) {
  for (int seconds : {0, 1, 2}) {
    EarlyWakingClock clock;
    platform::SleepingPause(clock).wait(seconds);
    EXPECT_EQ(clock.now_.time_since_epoch(), std::chrono::seconds(seconds));
  }
}

// A terminal is cleared unless TERM says it cannot be; a pipe never is (what the sequence does
// on a terminal, the terminal test shows). Output to a pipe goes out as it is written; to a file
// it may be held.
TEST(Console, ClearsOnlyATerminalThatCanAndWritesThroughPipes) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal) | unlockpt(terminal), 0);
  const int screen = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  EXPECT_TRUE(platform::writes_through(pipe_ends[1]));
  EXPECT_FALSE(platform::writes_through(fileno(std::tmpfile())));
  for (const bool can_clear : {true, false}) {
    setenv("TERM", can_clear ? "xterm" : "dumb", 1);
    EXPECT_EQ(platform::clear_sequence(screen).empty(), !can_clear);
    EXPECT_EQ(platform::clear_sequence(pipe_ends[1]), "");
  }
  for (int fd : {screen, terminal, pipe_ends[0], pipe_ends[1]}) close(fd);
}

bool zero_writes = false;  // while set, every write to a descriptor past the standard three

}  // namespace

// ... takes no bytes, as a faulty driver may answer: the write loops must not try for ever.
extern "C" ssize_t write(int fd, const void* bytes, size_t size) {
  if (zero_writes && fd > platform::kStderr) return 0;
  return syscall(SYS_write, fd, bytes, size);
}

namespace {

// A write that takes no bytes fails, to the console or to the report file, rather than being
// tried again for ever.
TEST(Writes, ThatTakeNoBytesFail) {
  testing_support::CurrentTempDir folder;
  std::unique_ptr<platform::ReportFile> file;
  std::string console_error, error;
  ASSERT_EQ(
      platform::system_files().open_report("K-Berg.txt", std::chrono::seconds(1), &file, &error),
      platform::WaitState::ready);
  std::size_t written = 1;
  zero_writes = true;
  const bool to_console = platform::write_all(fileno(std::tmpfile()), "lost", &console_error);
  const bool to_file = file->append("lost", &written, &error);
  zero_writes = false;
  EXPECT_FALSE(to_console || to_file);
  EXPECT_EQ(console_error, platform::kNoBytesTaken);
  EXPECT_EQ(error, platform::kNoBytesTaken);
  EXPECT_EQ(written, 0U);
}

}  // namespace
