// k-berg-table's modules in-process: the command line, and the rows in their three forms.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "engine/grid.h"
#include "table/chart.h"
#include "table/csv.h"
#include "table/options.h"
#include "table/plain_table.h"
#include "table/rows.h"
#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

constexpr double kPi = grid::kPi;

// "exponents | from..to by step | table harmonics | chart harmonics", or why they are refused.
std::string options(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "k-berg-table");
  std::ostringstream text;
  try {
    const table::Options o =
        table::parse_command_line(static_cast<int>(arguments.size()), arguments.data()).options;
    for (double exponent : o.exponents) text << exponent << ' ';
    text << "| " << o.angles.from << ".." << o.angles.to << " by " << o.angles.step << " | ";
    for (int k : o.table_harmonics) text << k;
    text << " | ";
    for (int k : o.chart_harmonics) text << k;
  } catch (const textio::Error& error) {
    text << error.what();
  }
  return text.str();
}

// The limits are the dialogue's, 4.9 to 180.1 degrees and exponent 0.93 to 5.01, and at most
// 100,000 rows over all blocks: 5 to 54.999 in steps of 0.001 is 50,000 rows a block.
TEST(TableOptions, EachFormAndEachBadArgument) {
  const std::string not_harmonics = "' is neither a harmonic from 0 to 9 nor a range like 0-3";
  const std::pair<std::vector<const char*>, std::string> cases[] = {
      {{}, "1 | 5..180 by 5 | 0123456789 | 0123"},
      {{"--exponent", "0.93,5.01", "--from", "4.9", "--to", "180.1", "--harmonics", "7-9,0,8"},
       "0.93 5.01 | 4.9..180.1 by 5 | 0789 | 0789"},
      {{"--exponent", "2", "--exponent", "1.5", "--to", "54.999", "--step", "0.001"},
       "2 1.5 | 5..54.999 by 0.001 | 0123456789 | 0123"},
      {{"--exponent", "1,2", "--to", "55", "--step", "0.001"},
       "--step: 0.001 makes more than 100000 rows"},
      {{"--step", "1e-300"}, "--step: 1e-300 makes more than 100000 rows"},
      {{"--from", "4.89"}, "--from: 4.89 is not from 4.9 to 180.1"},
      {{"--to", "180.11"}, "--to: 180.11 is not from 4.9 to 180.1"},
      {{"--exponent", "0.92"}, "--exponent: 0.92 is not from 0.93 to 5.01"},
      {{"--exponent", "1,5.02"}, "--exponent: 5.02 is not from 0.93 to 5.01"},
      {{"--step", "0"}, "--step: 0 is not a finite number above 0"},
      {{"--step", "inf"}, "--step: inf is not a finite number above 0"},
      {{"--from", "90", "--to", "80"}, "--from: 90 is above --to 80"},
      {{"--harmonics", "10"}, "--harmonics: '10" + not_harmonics},
      {{"--harmonics", "3-1"}, "--harmonics: '3-1" + not_harmonics},
      {{"--svg", ""}, "--svg: the file name is empty"},
  };
  for (const auto& [arguments, expected] : cases) EXPECT_EQ(options(arguments), expected);
  // What the option library refuses names the argument in its own words.
  for (const char* bad : {"--bogus", "--step"})
    EXPECT_NE(options({bad, "abc"}).find(bad), std::string::npos) << options({bad, "abc"});
}

// The last angle is the last one not above `to`, or `to` when past it by rounding alone.
TEST(TableRows, AnglesEndAtTheLastNotAboveTo) {
  const std::tuple<table::AngleRange, std::int64_t, double> cases[] = {
      {{5, 180, 5}, 36, 180},      {{4.9, 180.1, 0.1}, 1753, 180.1}, {{90, 90, 1}, 1, 90},
      {{10, 20, 0.75}, 14, 19.75}, {{4.9, 5.2, 0.1}, 4, 5.2},        {{100, 180.1, 20}, 5, 180}};
  for (const auto& [range, count, last] : cases) {
    EXPECT_EQ(table::angle_count(range, table::kMostRows), count) << range.from << " " << range.to;
    EXPECT_EQ(table::angle_at(range, count - 1), last) << range.from << " " << range.to;
  }
}

// 90 degrees: exponent 1 gives 1/pi, 1/2 and 2/(3 pi); exponent 2 (cos^2 over half a period)
// gives 1/4, 4/(3 pi) and 1/4. Every coefficient is real and positive: phase 0.
TEST(TablePlain, BlocksAlignedUnderRussianHeadings) {
  const std::string rule = std::string(59, '-') + "\r\n";
  const std::string heading =
      rule + "    Угол       α0      φ0       α1      φ1       α2      φ2\r\n" + rule;
  EXPECT_EQ(table::plain_table(table::compute_blocks({1.0, 2.0}, {90, 90, 1}), {0, 1, 2}, true),
            " Коэффициенты Берга\r\n\r\n Степень функции = 1.000\r\n" + heading +
                "  90.000  0.31831     0.0  0.50000     0.0  0.21221     0.0\r\n"
                "\r\n Степень функции = 2.000\r\n" +
                heading + "  90.000  0.25000     0.0  0.42441     0.0  0.25000     0.0\r\n");
}

// 60 degrees, exponent 1: by Berg's closed forms (below), a1 = 0.391002 and a5 = -0.0275664.
TEST(TableCsv, ChosenHarmonicsModuliThenPhases) {
  EXPECT_EQ(table::csv_table(table::compute_blocks({1.0}, {60, 60, 1}), {1, 5}),
            "angle,exponent,a1,a5,phi1,phi5\r\n60.000,1.000,0.39100,0.02757,0.0,180.0\r\n");
}

// Every value of a row as the dialogue showed it for the same angle and exponent, in the
// transcript kept from a run of k-berg: the harmonic number, modulus and phase of each row.
TEST(TableCsv, EveryValueIsTheOneTheDialogueShows) {
  std::istringstream kept(
      testing_support::read_file(std::string(K_BERG_TRANSCRIPTS) + "/save-90-1.stdout"));
  std::string moduli, phases;
  for (std::string line; std::getline(kept, line) && moduli.size() < 80;) {
    std::istringstream fields(line);
    std::string k, modulus, phase;
    if (line.starts_with("     ") && fields >> k >> modulus >> phase) {
      moduli += "," + modulus;
      phases += "," + phase;
    }
  }
  const auto blocks = table::compute_blocks({1.0}, {90, 90, 1});
  const std::string csv = table::csv_table(blocks, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(csv.substr(csv.find('\n') + 1), "90.000,1.000" + moduli + phases + "\r\n");
}

// The lines of the chart that start with `start`; in one, the text after `before` to a " or <.
std::vector<std::string> lines(const std::string& svg, const std::string& start) {
  std::vector<std::string> found;
  std::istringstream document(svg);
  for (std::string line; std::getline(document, line);)
    if (line.starts_with(start)) found.push_back(line);
  return found;
}
std::string after(const std::string& line, const std::string& before) {
  const std::size_t at = line.find(before) + before.size();
  return line.substr(at, line.find_first_of("\"<", at) - at);
}

// Read as a person reads it, the first and last labelled tick of each axis giving its scale (y
// labels sit 5 pixels below their line), every curve point is at its value in the table.
TEST(TableChart, CurvePointsSitAtTheTableValues) {
  const auto blocks = table::compute_blocks({1.0, 2.0}, {5, 180, 5});
  const std::string svg = table::berg_chart(blocks, {0, 1, 2, 3});
  const auto pixel = [&svg](const std::string& axis, double value) {
    const auto ticks = lines(svg, "<text class=\"" + axis + "-tick\"");
    const std::string at = " " + axis + "=\"", first = ticks.front(), last = ticks.back();
    const double v0 = std::stod(after(first, ">")), p0 = std::stod(after(first, at));
    const double v1 = std::stod(after(last, ">")), p1 = std::stod(after(last, at));
    return p0 + (value - v0) * (p1 - p0) / (v1 - v0);
  };
  int points = 0;
  for (const std::string& curve : lines(svg, "<polyline class=\"curve\"")) {
    const int k = std::stoi(after(curve, "data-harmonic=\""));
    const table::Block& block = blocks[after(curve, "data-exponent=\"") == "1.000" ? 0 : 1];
    std::istringstream xy(after(curve, "points=\""));
    for (double x, y; xy >> x && xy.ignore() && xy >> y; ++points) {
      const table::Row& row = block.rows.at(points % 36);
      EXPECT_NEAR(x, pixel("x", row.angle), 0.01) << k << " at " << row.angle;
      EXPECT_NEAR(y, pixel("y", row.result.modulus(k)) - 5.0, 0.01) << k << " at " << row.angle;
    }
  }
  EXPECT_EQ(points, 2 * 4 * 36);
}

// Berg's a_n, exponent 1, cut off at t: int (cos x - cos t) cos nx, |x| < t, / (pi (1 - cos t)).
double berg(int n, double t) {
  const double scale = kPi * (1.0 - std::cos(t));
  if (n == 0) return (std::sin(t) - t * std::cos(t)) / scale;
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0 * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (n * n - 1.0));
}

// The sampled pulse aliases harmonics n = 4096 m +- k onto k. As |a_n| <= 2 (1 + n sin t) /
// (pi n (n^2 - 1) (1 - cos t)), their sum is at most about (2/pi) (pi^2/3) cot(t/2) / 4096^2
// plus 2.5e-11 / (1 - cos t) for the 1, widened by 2% for n^2 - 1 and mN - k against (mN)^2.
// Above 180 degrees the sampler clips at 360 less the angle. The README quotes the worst error.
TEST(TableAccuracy, ExponentOneWithinTheAliasingBoundOverTheWholeRange) {
  const auto blocks = table::compute_blocks({1.0}, {4.9, 180.1, 0.1});
  double worst = 0.0, worst_angle = 0.0;
  for (const table::Row& row : blocks[0].rows) {
    const double t = kPi * std::min(row.angle, 360.0 - row.angle) / 180.0;
    const double bound = 1.02 * 2.0 * kPi / 3.0 / std::tan(t / 2.0) / 4096.0 / 4096.0 +
                         2.5e-11 / (1.0 - std::cos(t));
    for (int k = 0; k < 10; ++k) {
      const double error = std::fabs(row.result.modulus(k) - std::fabs(berg(k, t)));
      EXPECT_LE(error, bound + 1e-12) << row.angle << " " << k;
      if (error > worst) std::tie(worst, worst_angle) = std::tie(error, row.angle);
    }
  }
  std::cout << "worst error " << worst << " at " << worst_angle << " degrees\n";
}

}  // namespace
