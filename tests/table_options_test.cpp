// The command line of k-berg-table, parsed in-process: what each accepted form means, and the
// one-line reason each bad argument is refused with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "table/options.h"
#include "textio/failure.h"

namespace {

table::Command parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "k-berg-table");
  return table::parse_command_line(static_cast<int>(arguments.size()), arguments.data());
}

TEST(TableOptions, DefaultsAreExponentOneFiveToOneEightyInFives) {
  const table::Options options = parse({}).options;
  EXPECT_EQ(options.exponents, std::vector<double>{1.0});
  EXPECT_EQ(options.angles.from, 5.0);
  EXPECT_EQ(options.angles.to, 180.0);
  EXPECT_EQ(options.angles.step, 5.0);
  EXPECT_EQ(options.table_harmonics, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(options.chart_harmonics, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(options.csv || options.phases || !options.svg_file.empty());
}

struct Accepted {
  std::vector<const char*> arguments;
  std::vector<double> exponents;
  std::vector<int> harmonics;  // both the table's and the chart's, when given
};

TEST(TableOptions, ExponentsAndHarmonicsInEveryForm) {
  const Accepted cases[] = {
      {{"--exponent", "2", "--exponent", "1.5"}, {2.0, 1.5}, {}},
      {{"--exponent", "1,3,5.01"}, {1.0, 3.0, 5.01}, {}},
      {{"--harmonics", "0-3"}, {1.0}, {0, 1, 2, 3}},
      {{"--harmonics", "3,1,2"}, {1.0}, {1, 2, 3}},
      {{"--harmonics", "7-9,0,8"}, {1.0}, {0, 7, 8, 9}},
      {{"--step", "0.00349"}, {1.0}, {}},  // 50,144 rows
  };
  for (const Accepted& accepted : cases) {
    const table::Options options = parse(accepted.arguments).options;
    EXPECT_EQ(options.exponents, accepted.exponents) << accepted.arguments[1];
    if (accepted.harmonics.empty()) continue;
    EXPECT_EQ(options.table_harmonics, accepted.harmonics) << accepted.arguments[1];
    EXPECT_EQ(options.chart_harmonics, accepted.harmonics) << accepted.arguments[1];
  }
}

struct Refused {
  std::vector<const char*> arguments;
  std::string reason;
};

// The ends of the ranges are the dialogue's: 4.9 to 180.1 degrees, exponent 0.93 to 5.01. At
// most 100,000 rows over all blocks: 5 to 180 in steps of 0.00349 is 50,144 rows a block.
TEST(TableOptions, BadArgumentsAreRefusedWithOneLineNamingThem) {
  const Refused cases[] = {
      {{"--bogus"}, "The following argument was not expected: --bogus"},
      {{"--step", "abc"}, "Could not convert: --step = abc"},
      {{"--exponent", "1,x"}, "Could not convert: --exponent = "},
      {{"--from", "4.89"}, "--from: 4.89 is not from 4.9 to 180.1"},
      {{"--to", "180.11"}, "--to: 180.11 is not from 4.9 to 180.1"},
      {{"--exponent", "0.92"}, "--exponent: 0.92 is not from 0.93 to 5.01"},
      {{"--step", "0"}, "--step: 0 is not a finite number above 0"},
      {{"--step", "inf"}, "--step: inf is not a finite number above 0"},
      {{"--from", "90", "--to", "80"}, "--from: 90 is above --to 80"},
      {{"--step", "0.0017"}, "--step: 0.0017 makes more than 100000 rows"},
      {{"--step", "1e-300"}, "--step: 1e-300 makes more than 100000 rows"},
      {{"--step", "0.00349", "--exponent", "1,2"}, "--step: 0.00349 makes more than 100000"},
      {{"--harmonics", "10"}, "--harmonics: '10' is neither a harmonic from 0 to 9 nor a range"},
      {{"--harmonics", "3-1"}, "--harmonics: '3-1' is neither"},
      {{"--svg", ""}, "--svg: the file name is empty"},
  };
  for (const Refused& refused : cases) {
    try {
      parse(refused.arguments);
      ADD_FAILURE() << refused.reason << ": accepted";
    } catch (const textio::Failure& failure) {
      EXPECT_EQ(failure.reason().rfind(refused.reason, 0), 0u) << failure.reason();
      EXPECT_EQ(failure.reason().find('\n'), std::string::npos) << failure.reason();
    }
  }
}

}  // namespace
