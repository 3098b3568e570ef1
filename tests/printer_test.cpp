#include "report/printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
const std::string kWaitNotice =
    " Файл K-Berg.txt занят другой записью, ожидание ее завершения...\r\n";

struct Saved {
  std::string reason;  // of the failure the save raised, "" for a save that went through
  std::string screen;  // what the save told the user
};

Saved save(platform::FileSystem& files, double angle = 90.0) {
  textio::StringSink sink;
  textio::Records screen(sink, false);
  Saved saved;
  try {
    printer::output_printer(berg::compute(angle, 1.0).table(), 1.0, angle, files, screen);
  } catch (const textio::Failure& failure) {
    saved.reason = failure.reason();
  }
  screen.flush();
  saved.screen = sink.text();
  return saved;
}

std::string cut_notice(std::size_t bytes) {
  return " Из файла K-Berg.txt удален обрывок прерванной записи (байт: " + std::to_string(bytes) +
         ")\r\n";
}

std::string block_of(double angle) {
  testing_support::FakeFiles files;
  save(files, angle);
  return files.content;
}

struct SaveCase {
  std::vector<Step> failing;
  std::size_t append_takes;
  bool read_only;
  int busy_locks;          // waits for the lock that find another saver holding it
  std::string reason;      // "" for a save that went through
  std::size_t bytes_kept;  // of the block, after what the file held
  std::vector<Step> steps;
};

// A save is whole or absent: a failure after some of the block went in cuts it back, a
// failure before it (or a write that wrote nothing) leaves the file byte for byte as it was,
// and a cut-back that fails is named. The lock is held before the file is looked at and the
// block written, so that no other saver comes in between; a long wait for it is told once.
TEST(Printer, ASaveIsWholeOrAbsent) {
  using enum Step;
  const std::string cannot = "Cannot write to file 'K-Berg.txt': ";
  // clang-format off
  const SaveCase cases[] = {
      {{}, 0, false, 2, "", kBlockSize, {open, lock, lock, lock, size, read, append, sync}},
      {{open}, 0, false, 0, "Cannot open file 'K-Berg.txt': open failed", 0, {open}},
      {{}, 0, true, 0, "Cannot write to file opened for READ", 0, {open}},
      {{lock}, 0, false, 0, cannot + "lock failed", 0, {open, lock}},
      {{size}, 0, false, 0, cannot + "size failed", 0, {open, lock, size}},
      {{read}, 0, false, 0, cannot + "read failed", 0, {open, lock, size, read}},
      {{append}, 0, false, 0, cannot + "append failed", 0, {open, lock, size, read, append}},
      {{append}, 1, false, 0, cannot + "append failed", 0,
       {open, lock, size, read, append, cut_back}},
      {{sync}, 0, false, 0, cannot + "sync failed", 0,
       {open, lock, size, read, append, sync, cut_back}},
      {{append, cut_back}, 100, false, 0,
       cannot + "append failed; cannot remove the 100 bytes written: cut_back failed", 100,
       {open, lock, size, read, append, cut_back}}};
  // clang-format on
  for (const SaveCase& c : cases) {
    testing_support::FakeFiles files;
    files.content = kEarlier;
    files.failing = c.failing;
    files.append_takes = c.append_takes;
    files.read_only = c.read_only;
    files.busy_locks = c.busy_locks;
    SCOPED_TRACE(c.reason);
    const Saved saved = save(files);
    EXPECT_EQ(saved.reason, c.reason);
    EXPECT_EQ(saved.screen, c.busy_locks > 0 ? kWaitNotice : "");
    EXPECT_EQ(files.content, kEarlier + block_of(90.0).substr(0, c.bytes_kept));
    EXPECT_EQ(files.steps, c.steps);
  }
}

// The unfinished block of a killed save, of any length, where the file begins or after a
// whole block, is cut off, and the save says so. Whatever else the file ends in stays byte for
// byte: a line end, others' text, a whole block, a beginning with a field no block holds.
TEST(Printer, CutsOffTheUnfinishedBlockOfAKilledSave) {
  const std::string block = block_of(90.0), other = block_of(120.0);
  // clang-format off
  std::vector<std::pair<std::string, std::size_t>> ends = {
      {"", 0}, {block, 0}, {block + "\r\n\r\nx", 0}, {kEarlier + "\r\n", 0}, {block + "x\n", 0},
      {block + other, 0}, {block + "\r\n\r\n Угол отсечки\t\t=     x", 0}, {block + "\r\n ", 0}};
  // clang-format on
  for (std::size_t length = 1; length < kBlockSize; ++length) {
    ends.push_back({other.substr(0, length), length});
    ends.push_back({block + other + block.substr(0, length), length});
  }
  for (const auto& [end, unfinished] : ends) {
    testing_support::FakeFiles files;
    files.content = end;
    const Saved saved = save(files);
    SCOPED_TRACE(end);
    EXPECT_EQ(files.content, end.substr(0, end.size() - unfinished) + block);
    EXPECT_EQ(saved.screen, unfinished > 0 ? cut_notice(unfinished) : "");
  }
  // A save that cut it off and then failed partway leaves the whole blocks alone.
  testing_support::FakeFiles failing;
  failing.content = block + other.substr(0, 300);
  failing.failing = {Step::append};
  failing.append_takes = 100;
  EXPECT_NE(save(failing).reason, "");
  EXPECT_EQ(failing.content, block);
}

// A request to end the process that comes while the block is written takes effect once the
// block is flushed, never partway. The saving child tells each step it takes through a pipe.
TEST(Printer, EndingSignalsWaitUntilTheBlockIsFlushed) {
  int steps[2];
  ASSERT_EQ(pipe(steps), 0);
  const pid_t child = fork();
  if (child == 0) {
    testing_support::FakeFiles files;
    files.on_step = [&](Step step) {
      if (step == Step::append) raise(SIGTERM);
      static_cast<void>(write(steps[1], "0123456" + static_cast<int>(step), 1));
    };
    _exit(save(files).reason.empty() ? 0 : 1);
  }
  close(steps[1]);
  std::string told;
  for (char step; read(steps[0], &step, 1) == 1;) told += step;
  close(steps[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(told, "012346");
}

// What only the system shows: the lock between processes, a lease, the file-size limit, a FIFO,
// a file that may only be read; each test in a folder of its own, the current one.
class SystemReportFile : public testing::Test {
 protected:
  Saved save() { return ::save(platform::system_files()); }
  testing_support::CurrentTempDir folder_;
};

// A save waits for another process's, telling so after a second (not for a shorter wait); it
// then cuts off what a killed save left. A new file is readable and writable by all that the
// umask allows. No save leaves a descriptor open.
TEST_F(SystemReportFile, ASaveWaitsWhileAnotherProcessHoldsTheFile) {
  const std::string block = block_of(90.0);
  folder_.write("K-Berg.txt", block.substr(0, 300));
  const long open_before = testing_support::open_descriptors();
  for (int wait : {300, 1500}) {
    int holder = open("K-Berg.txt", O_WRONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    std::thread saver([this, wait] {
      EXPECT_EQ(save().screen, (wait > 1000 ? kWaitNotice : "") + cut_notice(300));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    EXPECT_EQ(folder_.read("K-Berg.txt").size(), 300U);
    close(holder);  // lets the saver in
    saver.join();
    EXPECT_EQ(folder_.read("K-Berg.txt"), block);
    folder_.write("K-Berg.txt", block.substr(0, 300));
  }
  std::filesystem::remove("K-Berg.txt");
  EXPECT_EQ(save().reason, "");
  EXPECT_EQ(testing_support::open_descriptors(), open_before);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status("K-Berg.txt").permissions()), 0666 & ~mask);
}

// A lease (what NFS delegations and Samba oplocks hold) is waited for until its holder gives
// it up: here the holder ends by the SIGIO that tells it another process opens the file.
TEST_F(SystemReportFile, ASaveWaitsForALeaseToBeBroken) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    const int fd = open("K-Berg.txt", O_RDONLY | O_CREAT, 0644);
    const bool leased = fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
    static_cast<void>(write(ready[1], leased ? "y" : "n", 1));
    if (leased) pause();  // until the SIGIO that asks for the lease ends it
    _exit(0);
  }
  char told = 'n';
  static_cast<void>(read(ready[0], &told, 1));
  for (int end : ready) close(end);
  const Saved saved = told == 'y' ? save() : Saved{};
  int status = 0;
  waitpid(holder, &status, 0);
  if (told != 'y') GTEST_SKIP() << "no leases here";
  EXPECT_EQ(saved.reason, "");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGIO) << status;
  EXPECT_EQ(folder_.read("K-Berg.txt").size(), kBlockSize);
}

TEST_F(SystemReportFile, AWriteBeyondTheFileSizeLimitIsCutBack) {
  folder_.write("K-Berg.txt", kEarlier);
  {
    const testing_support::FileSizeLimit limit(kEarlier.size() + kBlockSize - 1);
    EXPECT_EQ(save().reason, "Cannot write to file 'K-Berg.txt': File too large");
  }
  EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier);
}

TEST_F(SystemReportFile, AFifoGetsTheBlockOnlyWhileSomeoneReadsIt) {
  ASSERT_EQ(mkfifo("K-Berg.txt", 0600), 0);
  EXPECT_EQ(save().reason, "Cannot open file 'K-Berg.txt': No such device or address");
  int reader = open("K-Berg.txt", O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(save().reason, "");
  char block[2 * kBlockSize];
  EXPECT_EQ(read(reader, block, sizeof block), static_cast<ssize_t>(kBlockSize));
  close(reader);
}

// Root may write to any file whatever its mode; only the immutable attribute stops it, and
// then the file opens for reading only.
TEST_F(SystemReportFile, AFileThatMayOnlyBeReadIsOpenedForReading) {
  folder_.write("K-Berg.txt", kEarlier);
  if (std::system("chattr +i K-Berg.txt 2>/dev/null") != 0) GTEST_SKIP() << "no chattr +i here";
  EXPECT_EQ(save().reason, "Cannot write to file opened for READ");
  static_cast<void>(std::system("chattr -i K-Berg.txt"));
}

}  // namespace
