// End-to-end runs of the real k-berg: scripted standard input in an empty folder, the exact
// bytes of standard output and K-Berg.txt, and the exit status.
#include <gtest/gtest.h>

#include <string>

#include "tests/run_program.h"

namespace {

using testing_support::records;
using testing_support::run_program;
using testing_support::TempDir;

const std::string kTitle =
    records({"", " Расчет коэффициентов Берга через", " преобразование Фурье",
             " --------------------------------", ""});
const std::string kAnglePrompt = " Угол отсечки, (5-180): ";
const std::string kExponentPrompt = " Степень функции (1-5): ";
const std::string kMenu = records({"", "  1. Повторить расчет?", "  2. Записать данные в файл?",
                                   "  3. Закончить работу?", ""}) +
                          "  Введите соответствующую цифру ...  ";
const std::string kSaved = records({"  Результаты записаны в файл..."});
const std::string kSignOff = records({"", " 73!"});
const std::string kWrongEntry = records({"  Введен неверный символ, введите повторно..."});

const std::string kResults90 =
    records({"", " Угол отсечки\t\t=     90.000", " Степень функции\t=      1.000",
             " -----------------------------------", "", "    № гарм.\t |Коэфф.|\tФаза", "",
             "       0         0.31831        0.0", "       1         0.50000        0.0",
             "       2         0.21221        0.0", "       3         0.00000        0.0",
             "       4         0.04244      180.0", "       5         0.00000        0.0",
             "       6         0.01819        0.0", "       7         0.00000        0.0",
             "       8         0.01011      180.0", "       9         0.00000        0.0"});

const std::string kResults60 =
    records({"", " Угол отсечки\t\t=     60.000", " Степень функции\t=      1.000",
             " -----------------------------------", "", "    № гарм.\t |Коэфф.|\tФаза", "",
             "       0         0.21800        0.0", "       1         0.39100        0.0",
             "       2         0.27566        0.0", "       3         0.13783        0.0",
             "       4         0.02757        0.0", "       5         0.02757      180.0",
             "       6         0.03150      180.0", "       7         0.00985      180.0",
             "       8         0.00985        0.0", "       9         0.01378        0.0"});

std::string report_block(const std::string& angle, const std::string& rows_source) {
  // The report block carries the same rows as the screen, between its own rules and header.
  std::string rows = rows_source.substr(rows_source.find("       0 "));
  return records({"", "", " Угол отсечки\t\t=     " + angle, " Степень функции\t=      1.000",
                  " ----------------------------------", "    № гарм.  \t |Коэфф.|\tФаза", ""}) +
         rows + records({" ----------------------------------"});
}

TEST(KBerg, CalculatesAndEndsWithTheSignOff) {
  TempDir folder;
  auto run = run_program("90\n1\n3\n", folder.path());
  EXPECT_EQ(run.out, kTitle + kAnglePrompt + kExponentPrompt + kResults90 + kMenu + kSignOff);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "K-Berg.txt"));
}

TEST(KBerg, WholeCycleOfSavesAndANewCalculation) {
  TempDir folder;
  auto run = run_program("90\n1\n2\n2\n1\n60\n1\n2\n3\n", folder.path());
  std::string pass90 = kTitle + kAnglePrompt + kExponentPrompt + kResults90 + kMenu;
  std::string pass60 = kTitle + kAnglePrompt + kExponentPrompt + kResults60 + kMenu;
  std::string saved90 = kSaved + kResults90 + kMenu;
  std::string saved60 = kSaved + kResults60 + kMenu;
  EXPECT_EQ(run.out, pass90 + saved90 + saved90 + pass60 + saved60 + kSignOff);
  EXPECT_EQ(run.exit_status, 0);

  std::string report = folder.read("K-Berg.txt");
  EXPECT_EQ(report, report_block("90.000", kResults90) + report_block("90.000", kResults90) +
                        report_block("60.000", kResults60));
  EXPECT_EQ(report.substr(0, 2), "\r\n");
}

TEST(KBerg, SavesAppendToWhatTheFileHeld) {
  TempDir folder;
  folder.write("K-Berg.txt", "kept from last year\r\n");
  auto run = run_program("60\n1\n2\n3\n", folder.path());
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(folder.read("K-Berg.txt"),
            "kept from last year\r\n" + report_block("60.000", kResults60));
}

TEST(KBerg, OutOfRangeAndNullEntriesAskAgainSilently) {
  TempDir folder;
  auto run =
      run_program("4.89\n180.11\nnan\n/\n3*\n90,0\n0.92\n5.02\n1\n0\n4\n-1\n3\n", folder.path());
  std::string angle_prompts;
  for (int i = 0; i < 6; ++i) angle_prompts += kAnglePrompt;
  std::string exponent_prompts = kExponentPrompt + kExponentPrompt + kExponentPrompt;
  std::string menu_prompts = "  Введите соответствующую цифру ...  ";
  menu_prompts += menu_prompts + menu_prompts;
  EXPECT_EQ(run.out, kTitle + angle_prompts + exponent_prompts + kResults90 + kMenu + menu_prompts +
                         kSignOff);
  EXPECT_EQ(run.exit_status, 0);
}

TEST(KBerg, WrongMenuEntriesGetTheMessageWithoutANewPrompt) {
  TempDir folder;
  auto run = run_program("90\n1\nabc\n2.5\n\n   \n/\n3\n", folder.path());
  EXPECT_EQ(run.out, kTitle + kAnglePrompt + kExponentPrompt + kResults90 + kMenu + kWrongEntry +
                         kWrongEntry + kSignOff);
  EXPECT_EQ(run.exit_status, 0);
}

struct Failure {
  std::string name;
  std::string input;
  std::string reason;
  std::string location;
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class KBergFailure : public testing::TestWithParam<Failure> {};

TEST_P(KBergFailure, EndsWithTheReportAndStatusTwo) {
  TempDir folder;
  auto run = run_program(GetParam().input, folder.path());
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_NE(run.err.find("k-berg run-time error: " + GetParam().reason +
                         "\n\nError termination. "
                         "Backtrace:\n"),
            std::string::npos)
      << run.err;
  std::string first_line = run.err.substr(0, run.err.find('\n'));
  EXPECT_TRUE(first_line.starts_with("At line ")) << first_line;
  EXPECT_TRUE(first_line.ends_with(GetParam().location)) << first_line;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "K-Berg.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, KBergFailure,
    testing::Values(
        Failure{"NoInputAtAll", "", "End of file", " (unit = 5, file = 'stdin')"},
        Failure{"NoExponent", "90\n", "End of file", " (unit = 5, file = 'stdin')"},
        Failure{"EmptyLine", "\n", "End of file", "textio/vvod.cpp"},
        Failure{"Letters", "abc\n", "Bad real number in item 1 of list input", "textio/vvod.cpp"},
        Failure{"CommaThenSeparator", "1.5,2\n", "Bad real number in item 1 of list input",
                "textio/vvod.cpp"},
        Failure{"PointAlone", ".\n", "Error during floating point read", "textio/vvod.cpp"},
        Failure{"NoMenuChoice", "90\n1\n", "End of file", " (unit = 5, file = 'stdin')"},
        Failure{"EndAfterWrongChoice", "90\n1\nabc\n", "End of file",
                " (unit = 5, file = 'stdin')"}),
    [](const testing::TestParamInfo<Failure>& info) { return info.param.name; });

TEST(KBerg, EndOfInputAtTheMenuWritesNoRetryMessage) {
  TempDir folder;
  auto run = run_program("90\n1\n", folder.path());
  EXPECT_EQ(run.out, kTitle + kAnglePrompt + kExponentPrompt + kResults90 + kMenu);
  EXPECT_EQ(run.exit_status, 2);
}

TEST(KBerg, ADirectoryNamedLikeTheReportCannotBeOpened) {
  TempDir folder;
  std::filesystem::create_directory(folder.path() / "K-Berg.txt");
  auto run = run_program("90\n1\n2\n3\n", folder.path());
  // Windows refuses a directory as a file by denying access; POSIX systems say what it is.
  std::string reason =
      testing_support::testing_windows_program() ? "Permission denied" : "Is a directory";
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_NE(run.err.find(" (unit = 120)\nk-berg run-time error: Cannot open file 'K-Berg.txt': " +
                         reason + "\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find(kSaved), std::string::npos);
}

TEST(KBerg, AFullDiskIsNeverReportedAsASave) {
  TempDir folder;
  std::filesystem::create_symlink("/dev/full", folder.path() / "K-Berg.txt");
  auto run = run_program("90\n1\n2\n3\n", folder.path());
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_NE(run.err.find(" (unit = 120, file = 'K-Berg.txt')\nk-berg run-time error: Cannot write "
                         "to file 'K-Berg.txt': No space left on device\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find(kSaved), std::string::npos);
}

}  // namespace
