#include "report/printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

// The report file is written in the current folder: each test gets a folder of its own.
class Printer : public testing::Test {
 protected:
  testing_support::CurrentTempDir folder_;
};

std::string records(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The angle comes first in the file although the exponent comes first in the call; moduli are
// rows 0 to 9 and phases rows 10 to 19, each edited with its own rounding.
TEST_F(Printer, AppendsWholeBlocksAfterWhatTheFileHeld) {
  const std::array<double, 20> table = {
      0.5, 0.0625, 1e-9,    -0.0, 123.456789, 0.000004, 0.015625, 0.000015, 99.999999, 0.3,
      0.0, 180.0,  -179.95, 0.05, 99999.94,   100000.0, -0.04,    45.25,    45.35,     -1.0};
  // clang-format off
  const std::string block = records({
      "", "", " Угол отсечки\t\t=    120.000", " Степень функции\t=      2.500",
      " ----------------------------------", "    № гарм.  \t |Коэфф.|\tФаза", "",
      "       0         0.50000        0.0", "       1         0.06250      180.0",
      "       2         0.00000     -179.9", "       3        -0.00000        0.1",
      "       4       123.45679    99999.9", "       5         0.00000    *******",
      "       6         0.01562       -0.0", "       7         0.00002       45.2",
      "       8       100.00000       45.4", "       9         0.30000       -1.0",
      " ----------------------------------"});
  // clang-format on
  folder_.write("K-Berg.txt", "no line end at the end");
  printer::output_printer(table, 2.5, 120.0);
  printer::output_printer(table, 2.5, 120.0);
  EXPECT_EQ(folder_.read("K-Berg.txt"), "no line end at the end" + block + block);
}

TEST_F(Printer, ConcurrentSaversNeverInterleaveTheirBlocks) {
  constexpr int kSavers = 4, kSavesEach = 50;
  std::vector<pid_t> savers;
  for (int saver = 0; saver < kSavers; ++saver) {
    pid_t pid = fork();
    if (pid == 0) {
      std::array<double, 20> table{};
      table.fill(saver);
      for (int i = 0; i < kSavesEach; ++i) printer::output_printer(table, 1.0, 1.0 * saver);
      _exit(0);
    }
    savers.push_back(pid);
  }
  for (pid_t pid : savers) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  // Each block is one saver's: every modulus in it is the digit of its angle.
  const std::string report = folder_.read("K-Berg.txt");
  const std::size_t block_size = report.find("\r\n\r\n\r\n", 1) + 2;
  ASSERT_EQ(report.size(), block_size * kSavers * kSavesEach);
  for (std::size_t at = 0; at < report.size(); at += block_size) {
    const std::string block = report.substr(at, block_size);
    const std::string modulus = std::string(" ") + block[block.find(".000\r\n") - 1] + ".00000";
    int rows = 0;
    for (std::size_t row = block.find(modulus); row != std::string::npos;
         row = block.find(modulus, row + 1)) {
      ++rows;
    }
    ASSERT_EQ(rows, 10) << block;
  }
}

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

TEST_F(Printer, AShortWriteIsCutBackAndTheNextSaveIsWhole) {
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

TEST_F(Printer, ASaveWaitsWhileAnotherSaverHoldsTheFile) {
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
TEST_F(Printer, ACutBackThatFailsIsReportedToo) {
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

TEST_F(Printer, AFifoGetsTheBlockOnlyWhileSomeoneReadsIt) {
  ASSERT_EQ(mkfifo("K-Berg.txt", 0600), 0);
  EXPECT_EQ(save(), "Cannot open file 'K-Berg.txt': No such device or address");
  int reader = open("K-Berg.txt", O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(save(), "");
  char block[2 * kBlockSize];
  EXPECT_EQ(read(reader, block, sizeof block), static_cast<ssize_t>(kBlockSize));
  close(reader);
}

// Root may write to any file whatever its mode; only the immutable attribute stops it, and
// then the file opens for reading only.
TEST_F(Printer, AFileOpenForReadingOnlyIsAFailureAndStaysAsItWas) {
  folder_.write("K-Berg.txt", kEarlier);
  if (std::system("chattr +i K-Berg.txt 2>/dev/null") != 0) GTEST_SKIP() << "no chattr +i here";
  EXPECT_EQ(save(), "Cannot write to file opened for READ");
  static_cast<void>(std::system("chattr -i K-Berg.txt"));
  EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier);
}

}  // namespace
