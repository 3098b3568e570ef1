#include "report/printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/console.h"
#include "tests/fake_files.h"
#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

using testing_support::Step;

constexpr std::size_t kBlockSize = 580;  // 18 records
const std::string kEarlier = "earlier, no line end";

// The reason of the failure the save raised, or "" for a save that went through.
std::string save(platform::FileSystem& files) {
  try {
    printer::output_printer(berg::compute(90.0, 1.0).table(), 1.0, 90.0, files);
  } catch (const textio::Failure& failure) {
    return std::string(failure.reason());
  }
  return "";
}

struct SaveCase {
  std::vector<Step> failing;
  std::size_t append_takes;
  bool read_only;
  std::string reason;      // "" for a save that went through
  std::size_t bytes_kept;  // of the block, after what the file held
  std::vector<Step> steps;
};

// A save is whole or absent: a failure after some of the block went in cuts it back, a
// failure before it (or a write that wrote nothing) leaves the file byte for byte as it was,
// and a cut-back that fails is named. The lock is held before the size is taken and the
// block written, so that no other saver comes in between.
TEST(Printer, ASaveIsWholeOrAbsent) {
  using enum Step;
  const std::string cannot = "Cannot write to file 'K-Berg.txt': ";
  // clang-format off
  const SaveCase cases[] = {
      {{}, 0, false, "", kBlockSize, {open, lock, size, append, sync, close}},
      {{open}, 0, false, "Cannot open file 'K-Berg.txt': open failed", 0, {open}},
      {{}, 0, true, "Cannot write to file opened for READ", 0, {open}},
      {{lock}, 0, false, cannot + "lock failed", 0, {open, lock}},
      {{size}, 0, false, cannot + "size failed", 0, {open, lock, size}},
      {{append}, 0, false, cannot + "append failed", 0, {open, lock, size, append}},
      {{append}, 100, false, cannot + "append failed", 0, {open, lock, size, append, cut_back}},
      {{sync}, 0, false, cannot + "sync failed", 0, {open, lock, size, append, sync, cut_back}},
      {{append, cut_back}, 100, false,
       cannot + "append failed; cannot remove the 100 bytes written: cut_back failed", 100,
       {open, lock, size, append, cut_back}},
      {{close}, 0, false, cannot + "close failed", kBlockSize,
       {open, lock, size, append, sync, close}}};
  // clang-format on
  for (const SaveCase& c : cases) {
    testing_support::FakeFiles files;
    files.content = kEarlier;
    files.failing = c.failing;
    files.append_takes = c.append_takes;
    files.read_only = c.read_only;
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(save(files), c.reason);
    EXPECT_EQ(files.opened, "K-Berg.txt");
    EXPECT_EQ(files.content.substr(0, kEarlier.size()), kEarlier);
    EXPECT_EQ(files.content.size(), kEarlier.size() + c.bytes_kept);
    EXPECT_EQ(files.steps, c.steps);
  }
}

// What only the system shows: the lock between processes, the file-size limit, a FIFO and a
// file the system lets be read only. The report file is written in the current folder, so
// each test gets a folder of its own.
class SystemReportFile : public testing::Test {
 protected:
  std::string save() { return ::save(platform::system_files()); }
  testing_support::CurrentTempDir folder_;
};

// A new file is readable and writable by all that the umask allows.
TEST_F(SystemReportFile, ASaveWaitsWhileAnotherProcessHoldsTheFile) {
  int holder = open("K-Berg.txt", O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  std::thread saver([this] { EXPECT_EQ(save(), ""); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(folder_.read("K-Berg.txt"), "");
  close(holder);  // lets the saver in
  saver.join();
  EXPECT_EQ(folder_.read("K-Berg.txt").size(), kBlockSize);
  std::filesystem::remove("K-Berg.txt");
  EXPECT_EQ(save(), "");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status("K-Berg.txt").permissions()), 0666 & ~mask);
}

// SIGXFSZ is ignored, as the program ignores it, so that a write beyond the limit fails
// instead of ending the process.
TEST_F(SystemReportFile, AWriteBeyondTheFileSizeLimitIsCutBack) {
  folder_.write("K-Berg.txt", kEarlier);
  platform::prepare_console();
  rlimit saved, limit;
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = {kEarlier.size() + kBlockSize - 1, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(save(), "Cannot write to file 'K-Berg.txt': File too large");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier);
}

TEST_F(SystemReportFile, AFifoGetsTheBlockOnlyWhileSomeoneReadsIt) {
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
TEST_F(SystemReportFile, AFileThatMayOnlyBeReadIsOpenedForReading) {
  folder_.write("K-Berg.txt", kEarlier);
  if (std::system("chattr +i K-Berg.txt 2>/dev/null") != 0) GTEST_SKIP() << "no chattr +i here";
  EXPECT_EQ(save(), "Cannot write to file opened for READ");
  static_cast<void>(std::system("chattr -i K-Berg.txt"));
}

}  // namespace
