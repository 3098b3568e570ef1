// Whatever reaches standard input, and whatever stands where standard output and K-Berg.txt
// should be, k-berg answers as it should: the dialogue goes on, or it ends with its failure
// report and status 2. It never crashes, never hangs, reads any line in bounded memory and
// leaves K-Berg.txt as it was or with whole blocks appended.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tests/run_program.h"

namespace {

namespace fs = std::filesystem;
using testing_support::InputPart;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

const std::string kAnglePrompt = " Угол отсечки, (5-180): ";
const std::string kExponentPrompt = " Степень функции (1-5): ";
const std::string kMenuPrompt = "  Введите соответствующую цифру ...  ";
const std::string kWrongEntry = "  Введен неверный символ, введите повторно...\r\n";
const std::string kSaved = "  Результаты записаны в файл...\r\n";
const std::string kEarlierReport = "kept from an earlier run\r\n";

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

// How far the dialogue got: the prompts shown, the wrong-entry messages and the saves.
struct Dialogue {
  int angle_prompts;
  int exponent_prompts;
  int menu_prompts;
  int wrong_entries;
  int saves;
};

Dialogue dialogue_of(const std::string& out) {
  return {count(out, kAnglePrompt), count(out, kExponentPrompt), count(out, kMenuPrompt),
          count(out, kWrongEntry), count(out, kSaved)};
}

bool operator==(const Dialogue& a, const Dialogue& b) {
  return a.angle_prompts == b.angle_prompts && a.exponent_prompts == b.exponent_prompts &&
         a.menu_prompts == b.menu_prompts && a.wrong_entries == b.wrong_entries &&
         a.saves == b.saves;
}

std::ostream& operator<<(std::ostream& out, const Dialogue& d) {
  return out << "{angle " << d.angle_prompts << ", exponent " << d.exponent_prompts << ", menu "
             << d.menu_prompts << ", wrong " << d.wrong_entries << ", saves " << d.saves << "}";
}

// The block one save of angle 90 and exponent 1 appends, taken from a clean run that ends at
// the menu after the save.
const std::string& block_for_90_and_1() {
  static const std::string block = [] {
    TempDir folder;
    run_program("90\n1\n2\n", folder.path());
    return folder.read("K-Berg.txt");
  }();
  return block;
}

// K-Berg.txt holds what it held before the run and then `saves` whole blocks.
void expect_report_whole(const TempDir& folder, int saves) {
  std::string expected = kEarlierReport;
  for (int i = 0; i < saves; ++i) expected += block_for_90_and_1();
  if (saves > 0) {
    EXPECT_EQ(count(block_for_90_and_1(), "\r\n"), 18);
  }
  EXPECT_EQ(folder.read("K-Berg.txt"), expected);
}

// The reason line of the failure report, or "" when there is none.
std::string failure_reason(const RunResult& run) {
  const std::string prefix = "k-berg run-time error: ";
  std::size_t at = run.err.find(prefix);
  if (at == std::string::npos) return "";
  at += prefix.size();
  return run.err.substr(at, run.err.find('\n', at) - at);
}

void expect_outcome(const RunResult& run, int exit_status, const std::string& reason) {
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exit_status, exit_status);
  EXPECT_EQ(failure_reason(run), reason) << run.err;
  if (reason.empty()) {
    EXPECT_EQ(run.err, "");
  }
}

struct BadInput {
  std::string name;
  std::string input;
  Dialogue dialogue;
  int exit_status;
  std::string reason;  // of the failure report, "" for none
};

// Test names stay short in listings: a case prints as its name.
void PrintTo(const BadInput& bad, std::ostream* out) { *out << bad.name; }

class BadInputTest : public testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, AnswersAsTheDialogueSays) {
  const BadInput& bad = GetParam();
  TempDir folder;
  folder.write("K-Berg.txt", kEarlierReport);
  RunResult run = run_program(bad.input, folder.path());
  expect_outcome(run, bad.exit_status, bad.reason);
  EXPECT_EQ(dialogue_of(run.out), bad.dialogue);
  expect_report_whole(folder, bad.dialogue.saves);
}

const std::string kBadReal = "Bad real number in item 1 of list input";
const std::string kEndOfFile = "End of file";
const std::string kToMenu = "90\n1\n";

// The expected dialogue: {angle prompts, exponent prompts, menu prompts, wrong, saves}.
INSTANTIATE_TEST_SUITE_P(
    Entries, BadInputTest,
    testing::Values(
        // The end of input at each prompt, with and without a last line end.
        BadInput{"EndAtAngle", "", {1, 0, 0, 0, 0}, 2, kEndOfFile},
        BadInput{"EndAtExponent", "90", {1, 1, 0, 0, 0}, 2, kEndOfFile},
        BadInput{"EndAtMenu", kToMenu, {1, 1, 1, 0, 0}, 2, kEndOfFile},
        BadInput{"EndAtMenuAfterASave", kToMenu + "2\n", {1, 1, 2, 0, 1}, 2, kEndOfFile},
        BadInput{"EndAtMenuAfterGarbage", kToMenu + "x\n", {1, 1, 1, 1, 0}, 2, kEndOfFile},
        BadInput{"LastChoiceWithoutLineEnd", kToMenu + "3", {1, 1, 1, 0, 0}, 0, ""},
        // Bytes that cannot belong to a number.
        BadInput{"NulInAngle",
                 std::string("9\0"
                             "0\n",
                             4),
                 {1, 0, 0, 0, 0},
                 2,
                 kBadReal},
        BadInput{"InvalidUtf8AsAngle", "\xff\xfe\n", {1, 0, 0, 0, 0}, 2, kBadReal},
        BadInput{"TruncatedUtf8AsExponent", "90\n\xd0\n", {1, 1, 0, 0, 0}, 2, kBadReal},
        BadInput{"NulAndInvalidUtf8AtMenu",
                 kToMenu + std::string("\0\n\xff\xfe\n3\n", 7),
                 {1, 1, 1, 2, 0},
                 0,
                 ""},
        // A CR ends a line only before LF or the end of input; elsewhere it is a character.
        BadInput{"LoneCrInAngle", "90\r1\n", {1, 0, 0, 0, 0}, 2, kBadReal},
        BadInput{"CrAtEndOfInput", "90\r", {1, 1, 0, 0, 0}, 2, kEndOfFile},
        BadInput{"CrAroundMenuChoice", kToMenu + "\r3\r9\n", {1, 1, 1, 0, 0}, 0, ""},
        BadInput{"Tabs", "\t90\t\n\t1\tx\n\t3\t\n", {1, 1, 1, 0, 0}, 0, ""},
        // Long digit strings: a real entry sees only the first 20 characters.
        BadInput{"ZerosPastTheBufferAsAngle",
                 "000000000000000000000090\n90\n1\n3\n",
                 {2, 1, 1, 0, 0},
                 0,
                 ""},
        BadInput{
            "HugeAngle", "1" + std::string(5000, '0') + "\n90\n1\n3\n", {2, 1, 1, 0, 0}, 0, ""},
        BadInput{
            "LeadingZerosAtMenu", kToMenu + std::string(5000, '0') + "3\n", {1, 1, 1, 0, 0}, 0, ""},
        BadInput{
            "HugeMenuChoice", kToMenu + std::string(5000, '9') + "\n3\n", {1, 1, 1, 1, 0}, 0, ""},
        BadInput{"MenuChoicesJustOutsideInt32",
                 kToMenu + "-2147483649\n2147483648\n3\n",
                 {1, 1, 1, 2, 0},
                 0,
                 ""},
        // Infinities, subnormals and zeros are numbers out of range: asked again.
        BadInput{"InfinitiesAndTinyAngles",
                 "1e999\n-1e999\n4.9e-324\n1e-400\n-0\n90\n1\n3\n",
                 {6, 1, 1, 0, 0},
                 0,
                 ""},
        BadInput{
            "InfiniteAndNegativeZeroExponent", "90\n1e999\n-0\n1\n3\n", {1, 3, 1, 0, 0}, 0, ""},
        BadInput{"NegativeZeroAtMenu", kToMenu + "-0\n3\n", {1, 1, 2, 0, 0}, 0, ""}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(BadInput, AMenuFloodedWithGarbageAnswersEveryLine) {
  const std::vector<std::string> garbage = {
      "abc\n",  "2.5\n", "-\n",   "+\n", "12x\n", std::string("\0\n", 2),
      "\xff\n", "0*3\n", "Три\n", "*\n"};
  constexpr int kRounds = 2000;
  std::string input = kToMenu;
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& line : garbage) input += line;
  }
  input += "2\n3\n";
  TempDir folder;
  folder.write("K-Berg.txt", kEarlierReport);
  RunResult run = run_program(input, folder.path());
  expect_outcome(run, 0, "");
  int lines = kRounds * static_cast<int>(garbage.size());
  EXPECT_EQ(dialogue_of(run.out), (Dialogue{1, 1, 2, lines, 1}));
  expect_report_whole(folder, 1);
}

// ---- Lines of 100 MiB with no line end ----

constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kHundredMiB = 100 << 20;

// A line of 100 MiB: `start`, then `fill` up to the full length, with no line end.
std::vector<InputPart> huge_line(const std::string& before, const std::string& start, char fill) {
  return {{before + start}, {std::string(kChunk, fill), kHundredMiB / kChunk}};
}

// Builds under the sanitizers carry shadow memory of their own; their test preset raises the
// limit through K_BERG_MEMORY_LIMIT_MIB. Either way a line held whole would take 100 MiB.
long memory_limit_kib() {
  const char* limit = std::getenv("K_BERG_MEMORY_LIMIT_MIB");
  return (limit != nullptr ? std::atol(limit) : 16) * 1024;
}

struct HugeLine {
  std::string name;
  std::vector<InputPart> input;
  Dialogue dialogue;
  int exit_status;
  std::string reason;
};

void PrintTo(const HugeLine& huge, std::ostream* out) { *out << huge.name; }

class HugeLineTest : public testing::TestWithParam<HugeLine> {};

TEST_P(HugeLineTest, IsReadInBoundedMemory) {
  const HugeLine& huge = GetParam();
  TempDir folder;
  folder.write("K-Berg.txt", kEarlierReport);
  auto start = std::chrono::steady_clock::now();
  RunResult run = run_program(huge.input, folder.path());
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  expect_outcome(run, huge.exit_status, huge.reason);
  EXPECT_EQ(dialogue_of(run.out), huge.dialogue);
  expect_report_whole(folder, 0);
  EXPECT_LT(run.peak_memory_kib, memory_limit_kib());
  RecordProperty("peak_memory_kib", std::to_string(run.peak_memory_kib));
  std::cout << "peak memory " << run.peak_memory_kib << " KiB, " << took.count() << " s\n";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HugeLineTest,
    testing::Values(
        // The first 20 characters count; the rest of the line is passed over.
        HugeLine{"AngleThenBlanks", huge_line("", "90", ' '), {1, 1, 0, 0, 0}, 2, kEndOfFile},
        HugeLine{"AngleOfLetters", huge_line("", "", 'x'), {1, 0, 0, 0, 0}, 2, kBadReal},
        HugeLine{"ExponentThenBlanks", huge_line("90\n", "1", ' '), {1, 1, 1, 0, 0}, 2, kEndOfFile},
        // At the menu the whole line is read: a choice and blanks, or one long number.
        HugeLine{"MenuChoiceThenBlanks", huge_line(kToMenu, "3", ' '), {1, 1, 1, 0, 0}, 0, ""},
        HugeLine{
            "MenuChoiceOfDigits", huge_line(kToMenu, "", '9'), {1, 1, 1, 1, 0}, 2, kEndOfFile}),
    [](const testing::TestParamInfo<HugeLine>& info) { return info.param.name; });

TEST(BadInput, NoStandardInputAtAllEndsAtTheFirstPrompt) {
  TempDir folder;
  RunOptions options;
  options.close_stdin = true;
  RunResult run = run_program("", folder.path(), options);
  expect_outcome(run, 2, kEndOfFile);
  EXPECT_EQ(dialogue_of(run.out), (Dialogue{1, 0, 0, 0, 0}));
}

// ---- Where standard output and the report go ----

TEST(BadOutput, AClosedPipeOnStandardOutputEndsTheProgramBySigpipe) {
  TempDir folder;
  RunOptions options;
  options.close_stdout_early = true;
  RunResult run = run_program("90\n1\n2\n3\n", folder.path(), options);
  EXPECT_EQ(run.signal, SIGPIPE);
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(fs::exists(folder.path() / "K-Berg.txt"));
}

TEST(BadOutput, WithSigpipeIgnoredTheDialogueGoesOnUnseen) {
  TempDir folder;
  folder.write("K-Berg.txt", kEarlierReport);
  RunOptions options;
  options.close_stdout_early = true;
  options.ignore_sigpipe = true;
  RunResult run = run_program("90\n1\n2\n3\n", folder.path(), options);
  expect_outcome(run, 0, "");
  expect_report_whole(folder, 1);
}

TEST(BadReportFile, ADirectoryIsLeftAlone) {
  TempDir folder;
  fs::create_directory(folder.path() / "K-Berg.txt");
  RunResult run = run_program("90\n1\n2\n3\n", folder.path());
  expect_outcome(run, 2, "Cannot open file 'K-Berg.txt': Is a directory");
  EXPECT_EQ(count(run.out, kSaved), 0);
  EXPECT_TRUE(fs::is_empty(folder.path() / "K-Berg.txt"));
}

TEST(BadReportFile, AFileThatCannotBeWrittenIsLeftUnchanged) {
  TempDir folder;
  folder.write("K-Berg.txt", kEarlierReport);
  // Root may write to any file whatever its mode; only the immutable attribute stops it.
  std::string file = (folder.path() / "K-Berg.txt").string();
  if (std::system(("chattr +i '" + file + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "chattr +i does not work in " << folder.path()
                 << ", so no file here refuses writing";
  }
  RunResult run = run_program("90\n1\n2\n3\n", folder.path());
  std::system(("chattr -i '" + file + "'").c_str());
  expect_outcome(run, 2, "Cannot write to file opened for READ");
  EXPECT_EQ(count(run.out, kSaved), 0);
  expect_report_whole(folder, 0);
}

TEST(BadReportFile, ALinkToAFullDeviceStaysALink) {
  TempDir folder;
  fs::create_symlink("/dev/full", folder.path() / "K-Berg.txt");
  RunResult run = run_program("90\n1\n2\n3\n", folder.path());
  expect_outcome(run, 2, "Cannot write to file 'K-Berg.txt': No space left on device");
  EXPECT_EQ(count(run.out, kSaved), 0);
  EXPECT_EQ(fs::read_symlink(folder.path() / "K-Berg.txt"), "/dev/full");
}

}  // namespace
