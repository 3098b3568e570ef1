#include "platform/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

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

// Output to a file may be held; to a pipe it goes out as it is written. A pause ends, also
// where errno held EINTR from before.
TEST(Console, WritesThroughAndPauses) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  EXPECT_TRUE(platform::writes_through(pipe_ends[1]));
  EXPECT_FALSE(platform::writes_through(fileno(std::tmpfile())));
  errno = EINTR;
  platform::system_pause().wait(0);
}

// A terminal is cleared unless TERM says it cannot be; a pipe never is.
TEST(ClearSequence, OnlyForATerminalThatCanClear) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal) | unlockpt(terminal), 0);
  const int screen = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  const std::pair<const char*, const char*> terms[] = {{"xterm", "\x1b[H\x1b[2J\x1b[3J"},
                                                       {"dumb", ""}};
  for (const auto& [term, sequence] : terms) {
    setenv("TERM", term, 1);
    EXPECT_EQ(platform::clear_sequence(screen), sequence) << term;
    EXPECT_EQ(platform::clear_sequence(pipe_ends[1]), "") << term;
  }
  for (int fd : {screen, terminal, pipe_ends[0], pipe_ends[1]}) close(fd);
}

// A pipe whose reader has gone is a failure where SIGPIPE is ignored, as the programs' own
// runs may inherit it.
TEST(WriteAll, APipeWithoutReaderFails) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  close(pipe_ends[0]);
  const auto previous = signal(SIGPIPE, SIG_IGN);
  std::string error;
  EXPECT_FALSE(platform::write_all(pipe_ends[1], "lost", &error));
  EXPECT_EQ(error, "Broken pipe");
  signal(SIGPIPE, previous);
  close(pipe_ends[1]);
}

}  // namespace
