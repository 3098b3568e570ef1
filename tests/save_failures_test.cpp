// A save is whole or absent: a write that comes up short leaves K-Berg.txt as it was, savers
// take turns, a FIFO that nobody reads is refused, and standard input that is empty for the
// moment is waited for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "report/printer.h"
#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

// A saved block of 18 records is 580 bytes long.
constexpr std::size_t kBlockSize = 580;
const std::string kEarlier = "earlier\r\n";

// The file-size limit of this process while the object lives. SIGXFSZ is ignored as in main,
// so that a write beyond the limit fails with EFBIG instead of ending this process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    platform::prepare_console();
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_;
};

// The reason of the failure the save raised, or "" for a save that went through.
std::string save() {
  try {
    printer::output_printer({}, 1.0, 90.0);
  } catch (const textio::Failure& failure) {
    return failure.reason();
  }
  return "";
}

class SaveFailures : public testing::Test {
 protected:
  testing_support::CurrentTempDir folder_;
};

TEST_F(SaveFailures, AShortWriteIsCutBackAndTheNextSaveIsWhole) {
  folder_.write("K-Berg.txt", kEarlier);
  {
    FileSizeLimit limit(kEarlier.size() + kBlockSize - 1);
    EXPECT_EQ(save(), "Cannot write to file 'K-Berg.txt': File too large");
  }
  EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier);
  EXPECT_EQ(save(), "");
  std::string report = folder_.read("K-Berg.txt");
  EXPECT_EQ(report.size(), kEarlier.size() + kBlockSize);
  EXPECT_TRUE(report.ends_with(" ----------------------------------\r\n")) << report;
}

TEST_F(SaveFailures, ASaveWaitsWhileAnotherSaverHoldsTheFile) {
  int holder = open("K-Berg.txt", O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  std::thread saver([] { EXPECT_EQ(save(), ""); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(folder_.read("K-Berg.txt"), "");
  close(holder);  // lets the saver in
  saver.join();
  EXPECT_EQ(folder_.read("K-Berg.txt").size(), kBlockSize);
}

// A file that may grow but not shrink: memory sealed against shrinking, reached by a link.
TEST_F(SaveFailures, ACutBackThatFailsIsReportedToo) {
  int memory = memfd_create("report", MFD_ALLOW_SEALING);
  ASSERT_EQ(fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK), 0);
  std::filesystem::create_symlink("/proc/self/fd/" + std::to_string(memory), "K-Berg.txt");
  FileSizeLimit limit(1000);
  EXPECT_EQ(save(), "");
  EXPECT_EQ(save(),
            "Cannot write to file 'K-Berg.txt': File too large; cannot remove the 420 bytes "
            "written: Operation not permitted");
  close(memory);
}

TEST_F(SaveFailures, AFifoGetsTheBlockOnlyWhileSomeoneReadsIt) {
  ASSERT_EQ(mkfifo("K-Berg.txt", 0600), 0);
  EXPECT_EQ(save(), "Cannot open file 'K-Berg.txt': No such device or address");
  int reader = open("K-Berg.txt", O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(save(), "");
  char block[2 * kBlockSize];
  EXPECT_EQ(read(reader, block, sizeof block), static_cast<ssize_t>(kBlockSize));
  close(reader);
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
