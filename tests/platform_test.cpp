#include "platform/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

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
