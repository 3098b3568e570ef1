#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

bool is_dev_null(int fd) {
  struct stat stream, null_device;
  return fstat(fd, &stream) == 0 && stat("/dev/null", &null_device) == 0 &&
         stream.st_rdev == null_device.st_rdev && S_ISCHR(stream.st_mode);
}

// Started with its standard error closed, the program must not let a file it opens later take
// that descriptor: a failure report would then be written into the file.
TEST(PrepareConsole, AClosedStandardStreamIsHeldByTheNullDevice) {
  pid_t child = fork();
  if (child == 0) {
    close(platform::kStderr);
    platform::prepare_console();
    int next = open("/dev/zero", O_RDONLY);
    _exit(is_dev_null(platform::kStderr) && next > platform::kStderr ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Standard input in non-blocking mode, empty when read and written to 0.3 s later.
TEST(ReadSome, WaitsWhileANonBlockingPipeIsEmpty) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  fcntl(pipe_ends[0], F_SETFL, O_NONBLOCK);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
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

}  // namespace
