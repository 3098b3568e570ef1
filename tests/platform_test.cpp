#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace
