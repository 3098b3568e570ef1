#include "report/printer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_program.h"

namespace {

// The report file is written in the current folder: each test gets a folder of its own.
class Printer : public testing::Test {
 protected:
  testing_support::CurrentTempDir folder_;
};

std::array<double, 20> table_with_rounding_cases() {
  return {0.5, 0.0625, 1e-9,    -0.0, 123.456789, 0.000004, 0.015625, 0.000015, 99.999999, 0.3,
          0.0, 180.0,  -179.95, 0.05, 99999.94,   100000.0, -0.04,    45.25,    45.35,     -1.0};
}

TEST_F(Printer, AppendsTheBlockWithTheAngleBeforeTheExponent) {
  printer::output_printer(table_with_rounding_cases(), 2.5, 120.0);
  std::string expected = testing_support::records({
      "",
      "",
      " Угол отсечки\t\t=    120.000",
      " Степень функции\t=      2.500",
      " ----------------------------------",
      "    № гарм.  \t |Коэфф.|\tФаза",
      "",
      "       0         0.50000        0.0",
      "       1         0.06250      180.0",
      "       2         0.00000     -179.9",
      "       3        -0.00000        0.1",
      "       4       123.45679    99999.9",
      "       5         0.00000    *******",
      "       6         0.01562       -0.0",
      "       7         0.00002       45.2",
      "       8       100.00000       45.4",
      "       9         0.30000       -1.0",
      " ----------------------------------",
  });
  EXPECT_EQ(folder_.read("K-Berg.txt"), expected);
}

TEST_F(Printer, KeepsWhatTheFileHeldAndAppendsAfterIt) {
  folder_.write("K-Berg.txt", "no line end at the end");
  printer::output_printer(table_with_rounding_cases(), 1.0, 90.0);
  printer::output_printer(table_with_rounding_cases(), 1.0, 90.0);
  std::string report = folder_.read("K-Berg.txt");
  ASSERT_TRUE(report.starts_with("no line end at the end\r\n\r\n Угол"));
  std::string blocks = report.substr(22);
  EXPECT_EQ(blocks.substr(0, blocks.size() / 2), blocks.substr(blocks.size() / 2));
}

TEST_F(Printer, ConcurrentSaversNeverInterleaveTheirBlocks) {
  constexpr int kSavers = 4;
  constexpr int kSavesEach = 50;
  std::vector<pid_t> savers;
  for (int saver = 0; saver < kSavers; ++saver) {
    pid_t pid = fork();
    if (pid == 0) {
      std::array<double, 20> table{};
      table.fill(static_cast<double>(saver));
      for (int i = 0; i < kSavesEach; ++i) printer::output_printer(table, 1.0, 10.0 + saver);
      _exit(0);
    }
    savers.push_back(pid);
  }
  for (pid_t pid : savers) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // Every block must be one saver's 18 records, in order, with nothing of another inside.
  std::string report = folder_.read("K-Berg.txt");
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < report.size();) {
    std::size_t end = report.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(report.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), 18u * kSavers * kSavesEach);
  for (std::size_t block = 0; block < lines.size(); block += 18) {
    ASSERT_TRUE(lines[block + 2].starts_with(" Угол отсечки")) << block;
    std::string saver_digit = lines[block + 2].substr(lines[block + 2].size() - 5, 1);
    for (int row = 7; row < 17; ++row) {
      std::string expected_modulus = "         " + saver_digit + ".00000";
      ASSERT_EQ(lines[block + row].substr(8, 16), expected_modulus) << block << " " << row;
    }
    ASSERT_EQ(lines[block + 17], " ----------------------------------");
  }
}

}  // namespace
