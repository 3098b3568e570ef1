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

#include "dialogue/harmonic_table.h"
#include "platform/platform.h"
#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

// The report file is written in the current folder: each test gets a folder of its own.
class Printer : public testing::Test {
 protected:
  testing_support::CurrentTempDir folder_;
};

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

// The angle comes first in the file although the exponent comes first in the call. Blocks go
// after whatever the file held, even without a line end; the block is the one kept from a run
// of the real program.
TEST_F(Printer, AppendsWholeBlocksAfterWhatTheFileHeld) {
  const std::string kept =
      testing_support::read_file(std::string(K_BERG_TRANSCRIPTS) + "/save-90-1.K-Berg.txt");
  folder_.write("K-Berg.txt", "no line end");
  const dialogue::HarmonicTable table = dialogue::compute_table(90.0, 1.0);
  printer::output_printer(table, 1.0, 90.0);
  printer::output_printer(table, 1.0, 90.0);
  EXPECT_EQ(folder_.read("K-Berg.txt"), "no line end" + kept + kept);
}

// Savers in four processes: every block in the file is one saver's whole block.
TEST_F(Printer, ConcurrentSaversNeverInterleaveTheirBlocks) {
  constexpr int kSavers = 4, kSavesEach = 50;
  for (int saver = 0; saver < kSavers; ++saver) {
    if (fork() == 0) {
      std::array<double, 20> table{};
      table.fill(saver);
      for (int i = 0; i < kSavesEach; ++i) printer::output_printer(table, 1.0, 1.0 * saver);
      _exit(0);
    }
  }
  for (int status = 0, saver = 0; saver < kSavers; ++saver) {
    wait(&status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string report = folder_.read("K-Berg.txt");
  ASSERT_EQ(report.size(), kBlockSize * kSavers * kSavesEach);
  for (std::size_t at = 0; at < report.size(); at += kBlockSize) {
    const std::string block = report.substr(at, kBlockSize);
    // Each of the ten moduli is the digit of the block's angle.
    const std::string modulus = std::string(" ") + block[block.find(".000\r\n") - 1] + ".00000";
    int rows = 0;
    for (std::size_t row = block.find(modulus); row != std::string::npos;
         row = block.find(modulus, row + 1)) {
      ++rows;
    }
    EXPECT_EQ(rows, 10) << block;
  }
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
