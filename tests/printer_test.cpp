#include "report/printer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include "report/chart_file.h"
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

std::string block_of(double angle) {
  testing_support::FakeFiles files;
  save(files, angle);
  return files.content;
}

// A save is whole or absent: what a failure leaves is cut back, and a cut-back that fails is
// named. Lock, then look, journal, write; a long wait is told once. A FIFO has no journal.
TEST(Printer, ASaveIsWholeOrAbsent) {
  using enum Step;
  const std::string cannot = "Cannot write to file 'K-Berg.txt': ";
  const auto to_write = [](std::vector<Step> more) {
    more.insert(more.begin(), {open, lock, size, read_own, write_own, write});
    return more;
  };
  // Failing steps, bytes a failing write takes, waits for a lease and the lock, read-only?,
  // FIFO?, the failure, the bytes of the block then in the file, the steps taken.
  // clang-format off
  const std::tuple<std::vector<Step>, std::size_t, int, bool, bool, std::string, std::size_t,
                   std::vector<Step>> cases[] = {
      {{}, 0, 2, false, false, "", kBlockSize,
       {open, open, open, lock, lock, lock, size, read_own, write_own, write, sync, remove}},
      {{open}, 0, 0, false, false, "Cannot open file 'K-Berg.txt': open failed", 0, {open}},
      {{}, 0, 0, true, false, "Cannot write to file opened for READ", 0, {open}},
      {{lock}, 0, 0, false, false, cannot + "lock failed", 0, {open, lock}},
      {{size}, 0, 0, false, false, cannot + "size failed", 0, {open, lock, size}},
      {{write}, 0, 0, false, false, cannot + "write failed", 0, to_write({remove})},
      {{write}, 1, 0, false, false, cannot + "write failed", 0, to_write({cut, remove})},
      {{sync}, 0, 0, false, false, cannot + "sync failed", 0, to_write({sync, cut, remove})},
      {{write, cut}, 100, 0, false, false,
       cannot + "write failed; cannot remove the 100 bytes written: cut failed", 100,
       to_write({cut, write_own})},
      {{write}, 100, 0, false, true, cannot + "write failed", 100, {open, lock, write}}};
  // clang-format on
  for (const auto& [failing, takes, busy, read_only, stream, reason, kept, steps] : cases) {
    testing_support::FakeFiles files;
    files.content = kEarlier;
    files.failing = failing;
    files.write_takes = takes;
    files.busy_opens = files.busy_locks = busy;
    files.read_only = read_only;
    files.stream = stream;
    SCOPED_TRACE(reason);
    const Saved saved = save(files);
    EXPECT_EQ(saved.reason, reason);
    EXPECT_EQ(saved.screen, busy > 0 ? kWaitNotice : "");
    EXPECT_EQ(files.content, kEarlier + block_of(90.0).substr(0, kept));
    EXPECT_EQ(files.steps, steps);
    // The journal stays only where the block could not be cut back, saying how much was left.
    EXPECT_EQ(files.files.size(), steps.back() == write_own ? 1U : 0U);
  }
}

// A save that failed and could not cut back leaves `torn` bytes of its block after `before`.
void fail_a_save(testing_support::FakeFiles& files, const std::string& before, std::size_t torn) {
  files.content = before;
  files.failing = {Step::write, Step::cut};
  files.write_takes = torn;
  save(files);
  files.failing.clear();
}

// The cut-back goes by the journal alone: what a failed save left is cut off, of any length,
// after anything; nothing else is (no journal, text after it). Each case saves once more.
TEST(Printer, CutsOffWhatAKilledSaveLeftAndNothingElse) {
  const std::string block = block_of(90.0), other = block_of(120.0);
  const std::string note = "a note, no line end", lf_lines = " Угол отсечки\n\n 90\n";
  const std::string foreign[] = {"",       block,          block + note,      other + "\n\n",
                                 lf_lines, "\r\n\r\n\r\n", block + "\r\n\r\n"};
  for (const std::string& before : foreign) {
    for (std::size_t torn = 1; torn < kBlockSize; ++torn) {
      testing_support::FakeFiles files;
      fail_a_save(files, before, torn);
      const Saved saved = save(files);
      ASSERT_EQ(files.content, before + block) << before << torn;
      ASSERT_EQ(saved.screen, " Из файла K-Berg.txt удален обрывок прерванной записи (байт: " +
                                  std::to_string(torn) + ")\r\n");
    }
  }
  // clang-format off
  const std::string kept[] = {block + "\r\n\r\n", block + "\r", block + block.substr(0, 200), "\r\n\r\n",
                              block + " Угол отсечки\t\t=     90.000\r\n", other.substr(0, 300)};
  // clang-format on
  for (const std::string& end : kept) {
    testing_support::FakeFiles files;
    files.content = end;
    EXPECT_EQ(save(files).screen, "");
    EXPECT_EQ(files.content, end + block);
  }
  // A save killed as it wrote stops at a multiple of 512 bytes of the file, wherever that falls
  // in its block: only there is it cut. The kill abandons the save once `torn` bytes went in.
  for (std::size_t torn = 1; torn < kBlockSize; ++torn) {
    for (const std::size_t before : {1024 - torn, 1023 - torn}) {
      testing_support::FakeFiles files;
      files.content = std::string(before, 'x');
      files.on_step = [&](Step step) {
        if (step == Step::write) throw files.content += block.substr(0, torn);
      };
      ASSERT_THROW(save(files), std::string);
      files.on_step = [](Step) {};
      save(files);
      const std::size_t left = before + torn == 1024 ? 0 : torn;
      ASSERT_EQ(files.content, std::string(before, 'x') + block.substr(0, left) + block) << torn;
    }
  }
  testing_support::FakeFiles followed;
  fail_a_save(followed, block, 300);
  followed.content += note;
  EXPECT_EQ(save(followed).screen, "");
  EXPECT_EQ(followed.content, block + block.substr(0, 300) + note + block);
}

// A torn block that the file refuses to lose (one that may only be appended to) stays, and
// the save goes on after it; one that cannot be read is not checked and stays too. Each is
// told, as is a journal that cannot be written (the block still goes in).
TEST(Printer, WhatCannotBeCutIsKeptAndTold) {
  const std::string block = block_of(90.0);
  testing_support::FakeFiles refusing, write_only;
  fail_a_save(refusing, kEarlier, 250);
  fail_a_save(write_only, kEarlier, 250);
  refusing.failing = {Step::cut};
  const Saved saved = save(refusing);
  EXPECT_EQ(saved.reason, "");
  EXPECT_EQ(saved.screen,
            " Обрывок прерванной записи в конце K-Berg.txt (байт: 250) удалить нельзя (cut "
            "failed), новая запись добавлена после него\r\n");
  EXPECT_EQ(refusing.content, kEarlier + block.substr(0, 250) + block);
  write_only.write_only = true;
  EXPECT_EQ(save(write_only).screen,
            " Файл K-Berg.txt нельзя прочитать: возможный обрывок прерванной записи в его конце "
            "(байт: 250) не проверен и оставлен\r\n");
  EXPECT_EQ(write_only.content, kEarlier + block.substr(0, 250) + block);
  testing_support::FakeFiles no_journal;
  no_journal.failing = {Step::write_own};
  EXPECT_EQ(save(no_journal).screen,
            " Не удалось записать K-Berg.txt.saving (write_own failed): обрывок, если запись "
            "прервут, не будет удален\r\n");
  EXPECT_EQ(no_journal.content, block);
}

const std::string kNotOwnNotice =
    " Файл K-Berg.txt.saving не принадлежит вам или не является обычным файлом: он оставлен без "
    "внимания, и обрывок, если запись прервут, не будет удален\r\n";

// A journal that is not the saver's own (another user's, a link, a FIFO) may say anything: it
// is neither believed, nor written over, nor removed, and the save says so, also where the
// block cannot be cut back.
TEST(Printer, AJournalNotOfTheSaversOwnIsLeftAlone) {
  using enum Step;
  const std::string block = block_of(90.0);
  for (const bool cut_fails : {false, true}) {
    testing_support::FakeFiles files;
    fail_a_save(files, kEarlier, 250);  // a journal telling to cut the 250 bytes left
    const std::string planted = files.files.at("K-Berg.txt.saving");
    files.not_own.insert("K-Berg.txt.saving");
    files.steps.clear();
    if (cut_fails) files.failing = {write, cut};
    const Saved saved = save(files);
    EXPECT_EQ(saved.screen, kNotOwnNotice);
    EXPECT_EQ(files.content,
              kEarlier + block.substr(0, 250) + block.substr(0, cut_fails ? 250 : 580));
    EXPECT_EQ(files.files.at("K-Berg.txt.saving"), planted);
    const std::vector<Step> steps = {open, lock, size, read_own, write, cut_fails ? cut : sync};
    EXPECT_EQ(files.steps, steps);
  }
}

// What only the system shows: the lock between processes, a lease, the file-size limit, a FIFO,
// a file that may only be read; each test in a folder of its own, the current one.
class SystemReportFile : public testing::Test {
 protected:
  Saved save() { return ::save(platform::system_files()); }
  testing_support::CurrentTempDir folder_;
};

// A save waits for another process's lock, and for a lease (as NFS and Samba hold), telling so
// after a second. A new file gets the umask's mode; no descriptor or journal is left.
TEST_F(SystemReportFile, ASaveWaitsForALockAndALease) {
  const long open_before = testing_support::open_descriptors();
  EXPECT_EQ(save().reason, "");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status("K-Berg.txt").permissions()), 0666 & ~mask);
  const int fd = open("K-Berg.txt", O_RDONLY);
  const auto previous = signal(SIGIO, SIG_IGN);  // how a lease's holder is asked to give it up
  std::size_t saves = 1;
  for (const bool lease : {false, true}) {
    if ((lease ? fcntl(fd, F_SETLEASE, F_RDLCK) : flock(fd, LOCK_EX)) != 0) continue;  // none here
    std::thread holder([fd, lease] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1200));
      static_cast<void>(lease ? fcntl(fd, F_SETLEASE, F_UNLCK) : flock(fd, LOCK_UN));
    });
    EXPECT_EQ(save().screen, kWaitNotice) << lease;
    holder.join();
    ++saves;
  }
  close(fd);
  signal(SIGIO, previous);
  EXPECT_GE(saves, 2U);
  EXPECT_EQ(folder_.read("K-Berg.txt").size(), saves * kBlockSize);
  EXPECT_EQ(testing_support::open_descriptors(), open_before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

// Beyond the file-size limit a save is cut back and leaves no journal, also where the journal
// itself goes beyond it; where the file may only be appended to (chattr +a) its part stays,
// noted in the journal, and the next save keeps it, says so, and goes through.
TEST_F(SystemReportFile, AWriteBeyondTheFileSizeLimit) {
  const std::string block = block_of(90.0), before = block_of(120.0) + "\r\n";
  folder_.write("K-Berg.txt", before);
  {
    const testing_support::FileSizeLimit limited(100);
    const Saved saved = save();
    EXPECT_EQ(saved.reason, "Cannot write to file 'K-Berg.txt': File too large");
    EXPECT_EQ(saved.screen,
              " Не удалось записать K-Berg.txt.saving (File too large): обрывок, "
              "если запись прервут, не будет удален\r\n");
  }
  EXPECT_FALSE(std::filesystem::exists("K-Berg.txt.saving"));
  for (const bool append_only : {false, true}) {
    folder_.write("K-Berg.txt", before);
    if (append_only && std::system("chattr +a K-Berg.txt 2>/dev/null") != 0)
      GTEST_SKIP() << "no chattr +a here";
    {
      const testing_support::FileSizeLimit limited(before.size() + 577);
      EXPECT_EQ(save().reason, "Cannot write to file 'K-Berg.txt': File too large" +
                                   std::string(append_only ? "; cannot remove the 577 bytes "
                                                             "written: Operation not permitted"
                                                           : ""));
    }
    EXPECT_EQ(std::filesystem::exists("K-Berg.txt.saving"), append_only);
    const Saved saved = save();
    EXPECT_EQ(saved.reason, "");
    EXPECT_EQ(saved.screen, append_only ? " Обрывок прерванной записи в конце K-Berg.txt (байт: "
                                          "577) удалить нельзя (Operation not permitted), новая "
                                          "запись добавлена после него\r\n"
                                        : "");
    EXPECT_EQ(folder_.read("K-Berg.txt"),
              before + (append_only ? block.substr(0, 577) : "") + block);
    static_cast<void>(std::system("chattr -a K-Berg.txt 2>/dev/null"));
  }
}

// In a sticky folder everyone may write to, another user (nobody, uid 65534) plants the
// journal's name: a journal that tells to cut the whole file, a link to the report or to a
// file of the saver's, a FIFO. Each is left as it is, and so is all the saver had.
TEST_F(SystemReportFile, AJournalAnotherUserPlantedIsLeftAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can act as another user here";
  const std::string journal = "K-Berg.txt.saving", block = block_of(90.0);
  const std::string forged =
      "k-berg: a save appends at 0, 580 bytes, 20 written:\n" + kEarlier + std::string(560, ' ');
  const std::function<int()> plants[] = {[&] {
                                           folder_.write(journal, forged);
                                           return 0;
                                         },
                                         [&] { return symlink("K-Berg.txt", journal.c_str()); },
                                         [&] { return symlink("private", journal.c_str()); },
                                         [&] { return mkfifo(journal.c_str(), 0666); }};
  std::filesystem::permissions(".",
                               std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
  alarm(20);  // a save that waits for a FIFO's reader would wait for ever
  for (const auto& plant : plants) {
    folder_.write("K-Berg.txt", kEarlier);
    folder_.write("private", "the saver's own");
    const pid_t child = fork();
    if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 ? plant() : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    struct stat planted;
    ASSERT_EQ(lstat(journal.c_str(), &planted), 0);
    const Saved saved = save();
    EXPECT_EQ(saved.reason, "");
    EXPECT_EQ(saved.screen, kNotOwnNotice);
    EXPECT_EQ(folder_.read("K-Berg.txt"), kEarlier + block);
    EXPECT_EQ(folder_.read("private"), "the saver's own");
    std::string bytes, error;
    EXPECT_FALSE(platform::system_files().write_own(journal, "mine", &error));
    EXPECT_EQ(error, "File exists");
    platform::Ownership found = platform::Ownership::own;
    EXPECT_TRUE(platform::system_files().read_own(journal, 100, &bytes, &found, &error));
    EXPECT_EQ(found, platform::Ownership::other);
    struct stat after;
    ASSERT_EQ(lstat(journal.c_str(), &after), 0);
    EXPECT_EQ(std::tie(after.st_ino, after.st_uid, after.st_size),
              std::tie(planted.st_ino, planted.st_uid, planted.st_size));
    std::filesystem::remove(journal);
  }
  alarm(0);
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

// SIGTERM as the bytes are written waits until the file is whole; for a FIFO, which may wait
// for ever, it does not. The child tells each step through a pipe (the writing one unsaid).
TEST(EndingSignals, WaitWhileAFileCanBeLeftHalfWritten) {
  using enum Step;
  const std::tuple<bool, bool, std::vector<Step>> cases[] = {
      // a chart?, a FIFO?, steps told
      {false, false, {open, lock, size, read_own, write_own, write, sync, remove}},
      {false, true, {open, lock}},
      {true, false, {look, create, attributes, write, sync, name, place, sync_folder}},
      {true, true, {look, open}}};
  for (const auto& [chart, stream, told_steps] : cases) {
    int steps[2];
    ASSERT_EQ(pipe(steps), 0);
    const pid_t child = fork();
    if (child == 0) {
      testing_support::FakeFiles files;
      files.stream = stream;
      if (stream) files.facts["chart.svg"] = {platform::FileFacts::Kind::fifo, 0, 1, true, ""};
      files.files["chart.svg"] = "";
      files.on_step = [&](Step step) {
        if (step == write) raise(SIGTERM);
        static_cast<void>(::write(steps[1], &step, 1));
      };
      std::string error;
      _exit(chart ? chart_file::replace_file(files, "chart.svg", "new", &error)
                  : save(files).reason.empty());
    }
    close(steps[1]);
    std::vector<Step> told;
    for (Step step; ::read(steps[0], &step, 1) == 1;) told.push_back(step);
    close(steps[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(told, told_steps);
  }
}

}  // namespace
