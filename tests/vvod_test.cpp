#include "textio/vvod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vvod::IntegerRead;
using vvod::RealRead;

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string padded(std::string text) {
  text.resize(vvod::kLineBuffer, ' ');
  return text;
}

struct RealCase {
  std::string typed;
  RealRead kind;
  double value = 0.0;
};

void PrintTo(const RealCase& c, std::ostream* out) { *out << '"' << c.typed << '"'; }

class ReadReal : public testing::TestWithParam<RealCase> {};

TEST_P(ReadReal, ReadsTheNumberAtTheStartOfTheBuffer) {
  const RealCase& c = GetParam();
  vvod::RealEntry entry = vvod::read_real(padded(c.typed));
  EXPECT_EQ(entry.kind, c.kind) << '"' << c.typed << '"';
  if (c.kind == RealRead::value) {
    EXPECT_EQ(entry.value, c.value) << '"' << c.typed << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReadReal,
    testing::Values(
        RealCase{"90", RealRead::value, 90.0}, RealCase{"90.5", RealRead::value, 90.5},
        RealCase{" \t 90", RealRead::value, 90.0}, RealCase{"9e1", RealRead::value, 90.0},
        RealCase{"9E+1", RealRead::value, 90.0}, RealCase{"1.0+2", RealRead::value, 100.0},
        RealCase{"1.0+3", RealRead::value, 1000.0}, RealCase{"25-1", RealRead::value, 2.5},
        RealCase{"1d2", RealRead::value, 100.0}, RealCase{"1Q-2", RealRead::value, 0.01},
        RealCase{".5", RealRead::value, 0.5}, RealCase{"5.", RealRead::value, 5.0},
        RealCase{"-.5", RealRead::value, -0.5}, RealCase{"+7", RealRead::value, 7.0},
        RealCase{"90 degrees", RealRead::value, 90.0}, RealCase{"1.5,2", RealRead::value, 1.5},
        RealCase{"60/", RealRead::value, 60.0}, RealCase{"60;1", RealRead::value, 60.0},
        RealCase{"2*45", RealRead::value, 45.0}, RealCase{"0.1", RealRead::value, 0.1},
        RealCase{"12345678901234567890", RealRead::value, 12345678901234567890.0}));

INSTANTIATE_TEST_SUITE_P(RangeEnds, ReadReal,
                         testing::Values(RealCase{"1e999", RealRead::value, kInf},
                                         RealCase{"-1e400", RealRead::value, -kInf},
                                         RealCase{"1e-400", RealRead::value, 0.0},
                                         RealCase{"4.9e-324", RealRead::value, 4.9e-324},
                                         RealCase{"2.2250738585072e-308", RealRead::value,
                                                  2.2250738585072e-308},
                                         RealCase{"inf", RealRead::value, kInf},
                                         RealCase{"-Infinity", RealRead::value, -kInf},
                                         RealCase{"+INF", RealRead::value, kInf}));

INSTANTIATE_TEST_SUITE_P(
    Failures, ReadReal,
    testing::Values(
        RealCase{"", RealRead::blank}, RealCase{" \t ", RealRead::blank},
        RealCase{"abc", RealRead::bad_character}, RealCase{"1.5.2", RealRead::bad_character},
        RealCase{"1e", RealRead::bad_character}, RealCase{"1e+", RealRead::bad_character},
        RealCase{"1+", RealRead::bad_character}, RealCase{"-", RealRead::bad_character},
        RealCase{"12x", RealRead::bad_character}, RealCase{"infinit", RealRead::bad_character},
        RealCase{"nan(", RealRead::bad_character}, RealCase{"0*5", RealRead::bad_character},
        RealCase{"\xD1\x83\xD0\xB3\xD0\xBE\xD0\xBB", RealRead::bad_character},
        RealCase{".", RealRead::no_digits}, RealCase{".e5", RealRead::no_digits},
        RealCase{"-.", RealRead::no_digits}));

INSTANTIATE_TEST_SUITE_P(NoValue, ReadReal,
                         testing::Values(RealCase{"/", RealRead::null_entry},
                                         RealCase{"  ;5", RealRead::null_entry},
                                         RealCase{"3*", RealRead::null_entry},
                                         RealCase{"3*/", RealRead::null_entry}));

TEST(ReadRealSpecials, NotANumberInItsForms) {
  for (std::string typed : {"nan", "NaN", "-nan", "NaN(1)", "nan(abc) 5"}) {
    vvod::RealEntry entry = vvod::read_real(padded(typed));
    EXPECT_EQ(entry.kind, RealRead::value) << typed;
    EXPECT_TRUE(std::isnan(entry.value)) << typed;
  }
  vvod::RealEntry negative_zero = vvod::read_real(padded("-0"));
  EXPECT_TRUE(std::signbit(negative_zero.value));
  vvod::RealEntry tiny = vvod::read_real(padded("-1e-999"));
  EXPECT_EQ(tiny.value, 0.0);
  EXPECT_TRUE(std::signbit(tiny.value));
}

double chislo_of(const std::string& input) {
  textio::StringSource source(input);
  textio::Input in(source);
  return vvod::chislo(in);
}

TEST(Chislo, ReadsOneLineCutToTwentyCharactersWithTheFirstCommaAsPoint) {
  EXPECT_EQ(chislo_of("90,5\n"), 90.5);
  EXPECT_EQ(chislo_of("90.5\r\n"), 90.5);
  EXPECT_EQ(chislo_of("90"), 90.0);
  EXPECT_EQ(chislo_of("1,5,2\n"), 1.5);
  // Only the first 20 characters count, also for the comma.
  EXPECT_EQ(chislo_of("12345678901234567890,5\n"), 12345678901234567890.0);
  EXPECT_EQ(chislo_of(std::string(19, ' ') + "1234\n"), 1.0);
  EXPECT_TRUE(std::isnan(chislo_of("/\n")));
  EXPECT_TRUE(std::isnan(chislo_of("4*\n")));
}

TEST(Chislo, EachCallTakesItsOwnLineHoweverLongTheLineBefore) {
  // Beyond the first 20 characters a line may hold anything.
  std::string input = "1" + std::string(19, ' ') + std::string(100000, 'x') + "\n2\r\n3";
  textio::StringSource source(input);
  textio::Input in(source);
  EXPECT_EQ(vvod::chislo(in), 1.0);
  EXPECT_EQ(vvod::chislo(in), 2.0);
  EXPECT_EQ(vvod::chislo(in), 3.0);
}

const std::string kWrongEntry = "  Введен неверный символ, введите повторно...\r\n";

// Reads integers until the input ends; what the message record wrote goes to `messages`.
struct IntegerRun {
  std::vector<IntegerRead> kinds;
  std::vector<std::int32_t> values;
};

IntegerRun read_all_integers(const std::string& input) {
  textio::StringSource source(input);
  textio::Input in(source);
  IntegerRun run;
  for (vvod::IntegerEntry entry = vvod::read_integer(in); entry.kind != IntegerRead::end;
       entry = vvod::read_integer(in)) {
    run.kinds.push_back(entry.kind);
    if (entry.kind == IntegerRead::value) run.values.push_back(entry.value);
  }
  return run;
}

TEST(ReadInteger, ValueEndsAtASeparatorAndTheRestOfTheLineIsDropped) {
  using Values = std::vector<std::int32_t>;
  EXPECT_EQ(read_all_integers("2 abc\n").values, Values{2});
  EXPECT_EQ(read_all_integers("2,3\n").values, Values{2});
  EXPECT_EQ(read_all_integers("2/3\n7;8\n").values, (Values{2, 7}));
  EXPECT_EQ(read_all_integers("2*3\n").values, Values{3});
  EXPECT_EQ(read_all_integers("\n\n \t\r\n  +007\r\n-2147483648\n2147483647").values,
            (Values{7, -2147483648, 2147483647}));
  EXPECT_EQ(read_all_integers("200000000*4\n").values, Values{4});
}

TEST(ReadInteger, WrongEntriesDropTheirWholeLine) {
  IntegerRun run = read_all_integers(
      "x 5\n2.5\n12x\n+\n-\n2147483648\n-2147483649\n"
      "99999999999999999999999999\n0*3\n200000001*4\n*3\n2*3*4\n"
      "\xD0\xB0\n6\n");
  EXPECT_EQ(run.values, std::vector<std::int32_t>{6});
  EXPECT_EQ(run.kinds.size(), 14u);
  for (std::size_t i = 0; i + 1 < run.kinds.size(); ++i)
    EXPECT_EQ(run.kinds[i], IntegerRead::wrong) << i;
}

TEST(ReadInteger, NullEntriesReadNoValue) {
  IntegerRun run = read_all_integers(",\n / 5\n;\n3*\n3* 9\n8\n");
  EXPECT_EQ(run.kinds, (std::vector<IntegerRead>{IntegerRead::null_entry, IntegerRead::null_entry,
                                                 IntegerRead::null_entry, IntegerRead::null_entry,
                                                 IntegerRead::null_entry, IntegerRead::value}));
  EXPECT_EQ(run.values, std::vector<std::int32_t>{8});
}

TEST(Chislointeger, AnswersWrongEntriesAndSkipsNullOnes) {
  textio::StringSource source("abc\n\n/\n2.5\n3*\n 2 \n");
  textio::Input in(source);
  textio::StringSink sink;
  textio::Records out(sink, true);
  EXPECT_EQ(vvod::chislointeger(in, out), 2);
  EXPECT_EQ(sink.text(), kWrongEntry + kWrongEntry);
}

}  // namespace
