#include "textio/vvod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "textio/failure.h"

namespace {

using vvod::IntegerRead;
using vvod::RealRead;

constexpr double kInf = std::numeric_limits<double>::infinity();

struct RealCase {
  const char* typed;
  RealRead kind;
  double value = 0.0;
};

TEST(ReadReal, GrammarOfOneEntry) {
  using enum RealRead;
  // clang-format off
  const RealCase cases[] = {
      {"90", value, 90.0}, {" \t 90.5", value, 90.5}, {"9e1", value, 90.0},
      {"1.0+2", value, 100.0}, {"25-1", value, 2.5}, {"1d2", value, 100.0}, {"1Q-2", value, 0.01},
      {".5", value, 0.5}, {"5.", value, 5.0}, {"-.5", value, -0.5}, {"90 degrees", value, 90.0},
      {"1.5,2", value, 1.5}, {"60/", value, 60.0}, {"60;1", value, 60.0}, {"2*45", value, 45.0},
      {"  20000000*5", value, 5.0},
      {"0.1", value, 0.1}, {"1e999", value, kInf}, {"-1e400", value, -kInf},
      {"1e-400", value, 0.0}, {"4.9e-324", value, 4.9e-324}, {"-Infinity", value, -kInf},
      {"+INF", value, kInf}, {" \t ", blank}, {"abc", bad_character}, {"1.5.2", bad_character},
      {"1e+", bad_character}, {"1+", bad_character}, {"-", bad_character}, {"12x", bad_character},
      {"infinit", bad_character}, {"nan(", bad_character}, {"0*5", bad_character},
      {"\xD1\x83\xD0\xB3", bad_character}, {".", no_digits}, {"-.e5", no_digits},
      {"x", bad_character}, {"infx", bad_character}, {"infinityx", bad_character},
      {"200000000*5", value, 5.0}, {"200000001*5", bad_character},
      {"/", null_entry}, {" ;5", null_entry}, {"3*", null_entry}};
  // clang-format on
  for (const RealCase& c : cases) {
    std::string buffer = c.typed;
    buffer.resize(vvod::kLineBuffer, ' ');
    vvod::RealEntry entry = vvod::read_real(buffer);
    EXPECT_EQ(entry.kind, c.kind) << '"' << c.typed << '"';
    if (c.kind == RealRead::value) {
      EXPECT_EQ(entry.value, c.value) << '"' << c.typed << '"';
    }
  }
  for (const char* typed : {"nan", "-NaN", "NaN(1)", "nan(abc) 5"})
    EXPECT_TRUE(std::isnan(vvod::read_real(typed).value)) << typed;
  EXPECT_TRUE(std::signbit(vvod::read_real("-1e-999").value));
}

// Each call takes one line, cut to 20 characters, its first comma made a point; the values
// read until the failure that ends the input, and that failure's reason and unit.
TEST(Chislo, ReadsOneLineACallUntilTheFailure) {
  struct Case {
    std::string input;
    std::vector<double> values;
    std::string reason;
    int unit;
  };
  const std::string bad = "Bad real number in item 1 of list input";
  const std::string long_line = "1" + std::string(19, ' ') + std::string(100000, 'x') + "\n";
  // clang-format off
  const Case cases[] = {
      {"90,5\n90.5\r\n" + long_line + "12345678901234567890,5\n" + std::string(19, ' ') +
       "1234\n1,5,2\n2\r", {90.5, 90.5, 1.0, 12345678901234567890.0, 1.0, 1.5, 2.0}, "End of file", 5},
      {"\n", {}, "End of file", 0}, {"1.5,2\n", {}, bad, 0}, {"90\r1\n", {}, bad, 0},
      {std::string("9\0" "0\n", 4), {}, bad, 0}, {".\n", {}, "Error during floating point read", 0}};
  // clang-format on
  for (const Case& c : cases) {
    textio::StringSource source(c.input);
    textio::Input in(source);
    std::vector<double> values;
    try {
      for (;;) values.push_back(vvod::chislo(in));
    } catch (const textio::Failure& failure) {
      EXPECT_EQ(values, c.values);
      EXPECT_EQ(failure.reason(), c.reason) << c.input;
      EXPECT_EQ(failure.unit().number, c.unit) << c.input;
    }
  }
}

struct IntegerCase {
  std::string typed;
  IntegerRead kind;
  std::int32_t value = 0;
};

TEST(ReadInteger, GrammarOfOneEntry) {
  using enum IntegerRead;
  // clang-format off
  const IntegerCase cases[] = {
      {"2 abc", value, 2}, {"2,3", value, 2}, {"7;8", value, 7}, {"2*3", value, 3},
      {"\n \t\r\n +007\r", value, 7}, {"-2147483648", value, -2147483648},
      {"2147483647", value, 2147483647}, {"200000000*4", value, 4},
      {std::string(5000, '0') + "3", value, 3}, {"2.5", wrong}, {"12x", wrong}, {"+", wrong},
      {"2147483648", wrong}, {"-2147483649", wrong}, {std::string(5000, '9'), wrong},
      {"0*3", wrong}, {"200000001*4", wrong}, {"2*3*4", wrong}, {"\xD0\xB0", wrong},
      {",", null_entry}, {" / 5", null_entry}, {"3* 9", null_entry}};
  // clang-format on
  for (const IntegerCase& c : cases) {
    // The line that follows must be the next read's: whatever the entry, its line is done.
    textio::StringSource source(c.typed + "\n6\n");
    textio::Input in(source);
    vvod::IntegerEntry entry = vvod::read_integer(in);
    EXPECT_EQ(entry.kind, c.kind) << c.typed.substr(0, 20);
    EXPECT_EQ(entry.value, c.value) << c.typed.substr(0, 20);
    EXPECT_EQ(vvod::read_integer(in).value, 6) << c.typed.substr(0, 20);
  }
}

TEST(Chislointeger, AnswersWrongEntriesAndSkipsNullOnes) {
  textio::StringSource source("abc\n\n/\n2.5\n3*\n 2 \nx\n");
  textio::Input in(source);
  textio::StringSink sink;
  textio::Records out(sink, true);
  EXPECT_EQ(vvod::chislointeger(in, out), 2);
  const std::string wrong = "  Введен неверный символ, введите повторно...\r\n";
  EXPECT_EQ(sink.text(), wrong + wrong);
}

}  // namespace
