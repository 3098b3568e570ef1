#include "report/printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

constexpr std::size_t kBlockSize = 580;  // 18 records
const std::string kEarlier = "earlier\r\n";

// Sets the file-size limit of this process and returns the one it had. SIGXFSZ is ignored, as
// the program ignores it, so that a write beyond the limit fails instead of ending the process.
rlimit limit_file_size(rlim_t bytes) {
  platform::prepare_console();
  rlimit saved, limit;
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = {bytes, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limit);
  return saved;
}

// The reason of the failure the save of `table` raised, or "" for a save that went through.
std::string save(const dialogue::HarmonicTable& table = {}, double angle = 90.0) {
  try {
    printer::output_printer(table, 1.0, angle);
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
  EXPECT_EQ(save(table) + save(table), "");
  EXPECT_EQ(folder_.read("K-Berg.txt"), "no line end" + kept + kept);
}

// Four processes save 50 blocks each, all moduli the digit of the saver's angle: every block in
// the file must be one saver's whole block.
TEST_F(Printer, ConcurrentSaversNeverInterleaveTheirBlocks) {
  for (int saver = 0; saver < 4; ++saver) {
    if (fork() == 0) {
      dialogue::HarmonicTable table{};
      table.fill(saver);
      for (int i = 0; i < 50; ++i) save(table, saver);
      _exit(0);
    }
  }
  for (int status = 0, saver = 0; saver < 4; ++saver) EXPECT_GT(wait(&status), 0);
  const mode_t mask = umask(0);  // the file was made readable and writable by all the mask allows
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status("K-Berg.txt").permissions()), 0666 & ~mask);
  const std::string report = folder_.read("K-Berg.txt");
  ASSERT_EQ(report.size(), kBlockSize * 4 * 50);
  for (std::size_t at = 0; at < report.size(); at += kBlockSize) {
    const std::string block = report.substr(at, kBlockSize);
    const std::string modulus = std::string(" ") + block[block.find(".000\r\n") - 1] + ".00000";
    for (std::size_t row = 0, from = 0; row < 10; ++row, from += modulus.size()) {
      ASSERT_NE(from = block.find(modulus, from), std::string::npos) << block;
    }
  }
}

TEST_F(Printer, AShortWriteIsCutBackAndTheNextSaveIsWhole) {
  folder_.write("K-Berg.txt", kEarlier);
  const rlimit saved = limit_file_size(kEarlier.size() + kBlockSize - 1);
  EXPECT_EQ(save(), "Cannot write to file 'K-Berg.txt': File too large");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier);
  EXPECT_EQ(save(), "");
  EXPECT_EQ(folder_.read("K-Berg.txt").size(), kEarlier.size() + kBlockSize);
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
  const rlimit saved = limit_file_size(1000);
  EXPECT_EQ(save(), "");
  EXPECT_EQ(save(),
            "Cannot write to file 'K-Berg.txt': File too large; cannot remove the 420 bytes "
            "written: Operation not permitted");
  setrlimit(RLIMIT_FSIZE, &saved);
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
