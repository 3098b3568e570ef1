// k-berg-table's rows and their three forms, against hand-worked values, the results screen
// and Berg's closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "dialogue/main_routine.h"
#include "table/chart.h"
#include "table/csv.h"
#include "table/plain_table.h"
#include "table/rows.h"
#include "tests/run_program.h"

namespace {

constexpr double kPi = 3.141592653589793;

std::string records(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The lines of `text` (CR LF ends) that start with `start`.
std::vector<std::string> lines(const std::string& text, const std::string& start) {
  std::vector<std::string> found;
  for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
    if (at == 0 || text[at - 1] == '\n') found.push_back(text.substr(at, text.find('\r', at) - at));
  }
  return found;
}

// The value of attribute `name` in an element.
std::string attribute(const std::string& element, const std::string& name) {
  const std::size_t at = element.find(" " + name + "=\"") + name.size() + 3;
  return element.substr(at, element.find('"', at) - at);
}

// The fields of each CSV line after the header.
std::vector<std::vector<std::string>> csv_rows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t at = csv.find("\r\n") + 2; at < csv.size(); at = csv.find("\r\n", at) + 2) {
    std::istringstream line(csv.substr(at, csv.find("\r\n", at) - at));
    rows.emplace_back();
    for (std::string field; std::getline(line, field, ',');) rows.back().push_back(field);
  }
  return rows;
}

// The last angle is the last one not above `to`, each computed from its index alone; one past
// `to` by rounding alone is `to` (4.9 + 1752 * 0.1 is 180.10000000000002).
TEST(TableRows, AnglesEndAtTheLastNotAboveTo) {
  const std::tuple<table::AngleRange, std::int64_t, double> cases[] = {
      {{5, 180, 5}, 36, 180}, {{4.9, 180.1, 0.1}, 1753, 180.1}, {{90, 90, 1}, 1, 90},
      {{5, 6, 0.3}, 4, 5.9},  {{10, 20, 0.7}, 15, 19.8},        {{4.9, 5.2, 0.1}, 4, 5.2}};
  for (const auto& [range, count, last] : cases) {
    EXPECT_EQ(table::angle_count(range, table::kMostRows), count) << range.from << " " << range.to;
    EXPECT_NEAR(table::angle_at(range, count - 1), last, 1e-12) << range.from << " " << range.to;
  }
}

// 90 degrees: exponent 1 gives 1/pi, 1/2 and 2/(3 pi); exponent 2 (cos^2 over half a period)
// gives 1/4, 4/(3 pi) and 1/4. Every coefficient is real and positive: phase 0.
TEST(TablePlain, BlocksAlignedUnderRussianHeadings) {
  const auto blocks = table::compute_blocks({1.0, 2.0}, {90, 90, 1});
  const std::string rule(59, '-');
  EXPECT_EQ(table::plain_table(blocks, {0, 1, 2}, true),
            records({
                " Коэффициенты Берга",
                "",
                " Степень функции = 1.000",
                rule,
                "    Угол       α0      φ0       α1      φ1       α2      φ2",
                rule,
                "  90.000  0.31831     0.0  0.50000     0.0  0.21221     0.0",
                "",
                " Степень функции = 2.000",
                rule,
                "    Угол       α0      φ0       α1      φ1       α2      φ2",
                rule,
                "  90.000  0.25000     0.0  0.42441     0.0  0.25000     0.0",
            }));
}

// 60 degrees, exponent 1: a1 = (t - sin t cos t) / (pi (1 - cos t)) = 0.391002 and
// a5 = 2 (sin 5t cos t - 5 cos 5t sin t) / (pi 5 24 (1 - cos t)) = -0.0275664.
TEST(TableCsv, ChosenHarmonicsModuliThenPhases) {
  const auto blocks = table::compute_blocks({1.0}, {60, 60, 1});
  EXPECT_EQ(table::csv_table(blocks, {1, 5}),
            "angle,exponent,a1,a5,phi1,phi5\r\n60.000,1.000,0.39100,0.02757,0.0,180.0\r\n");
}

class NoScreen : public platform::Screen {
  void clear() override {}
  void pause(int) override {}
};

// The dialogue's results rows "k  modulus  phase" for one angle and exponent.
std::vector<std::string> screen_values(const std::string& angle, const std::string& exponent) {
  testing_support::CurrentTempDir folder;
  textio::StringSource source(angle + "\n" + exponent + "\n3\n");
  textio::Input input(source);
  textio::StringSink sink;
  textio::Records output(sink, false);
  NoScreen screen;
  dialogue::Console console{input, output, screen};
  dialogue::main_routine(console);
  output.flush();
  std::vector<std::string> values(20);
  for (const std::string& line : lines(sink.text(), "     ")) {
    std::istringstream fields(line);
    int k = -1;
    if (fields >> k && k >= 0 && k < 10) fields >> values[k] >> values[10 + k];
  }
  return values;
}

TEST(TableCsv, EveryValueIsTheOneTheResultsScreenShows) {
  const std::pair<const char*, const char*> pairs[] = {
      {"4.9", "0.93"}, {"33.3", "1.7"}, {"120", "2"}, {"179.9", "5.01"}, {"180.1", "3.3"}};
  for (const auto& [angle, exponent] : pairs) {
    const double a = std::stod(angle);
    const auto blocks = table::compute_blocks({std::stod(exponent)}, {a, a, 1});
    const auto fields = csv_rows(table::csv_table(blocks, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}))[0];
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 2, fields.end()),
              screen_values(angle, exponent))
        << angle << " " << exponent;
  }
}

// The chart read as a person reads it: the first and last labelled tick of each axis give its
// scale (y labels sit 5 pixels below their grid line), and every curve point must sit where its
// table value, as CSV shows it, belongs, within the rounding of the pixels and of the value.
TEST(TableChart, CurvePointsSitAtTheTableValues) {
  const auto blocks = table::compute_blocks({1.0, 2.0}, {5, 180, 5});
  const std::string svg = table::berg_chart(blocks, {0, 1, 2, 3});
  EXPECT_NE(svg.find("степени функции 1.000, 2.000"), std::string::npos);
  const auto scale = [&svg](const std::string& axis, double offset) {
    const auto ticks = lines(svg, "<text class=\"" + axis + "-tick\"");
    const auto value = [](const std::string& t) { return std::stod(t.substr(t.find('>') + 1)); };
    const double v0 = value(ticks.front()), p0 = std::stod(attribute(ticks.front(), axis)) - offset;
    const double v1 = value(ticks.back()), p1 = std::stod(attribute(ticks.back(), axis)) - offset;
    return [=](const std::string& value) {
      return p0 + (std::stod(value) - v0) * (p1 - p0) / (v1 - v0);
    };
  };
  const auto x_of = scale("x", 0.0);
  const auto y_of = scale("y", 5.0);
  const auto rows = csv_rows(table::csv_table(blocks, {0, 1, 2, 3}));
  int points_checked = 0;
  for (const std::string& curve : lines(svg, "<polyline class=\"curve\"")) {
    const int k = std::stoi(attribute(curve, "data-harmonic"));
    const std::string exponent = attribute(curve, "data-exponent");
    std::istringstream points(attribute(curve, "points"));
    std::size_t r = exponent == "1.000" ? 0 : 36;
    for (double x, y; points >> x && points.ignore() && points >> y; ++r, ++points_checked) {
      ASSERT_EQ(rows.at(r)[1], exponent);
      EXPECT_NEAR(x, x_of(rows[r][0]), 0.01) << k << " at " << rows[r][0];
      EXPECT_NEAR(y, y_of(rows[r][2 + k]), 0.02) << k << " at " << rows[r][0];
    }
  }
  EXPECT_EQ(points_checked, 2 * 4 * 36);
}

// Berg's coefficients of the clipped cosine pulse, exponent 1, cut off at t radians: with
// u = cos x - cos t over |x| < t, a_n = (1/pi) int u cos nx dx / (1 - cos t), which gives
// a0 = (sin t - t cos t) / (pi (1 - cos t)), a1 = (t - sin t cos t) / (pi (1 - cos t)) and
// a_n = 2 (sin nt cos t - n cos nt sin t) / (pi n (n^2 - 1) (1 - cos t)) for n >= 2.
double berg(int n, double t) {
  const double scale = kPi * (1.0 - std::cos(t));
  if (n == 0) return (std::sin(t) - t * std::cos(t)) / scale;
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0 * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (n * n - 1.0));
}

// The sampled pulse aliases harmonics n = 4096 m +- k onto k. By the bound |a_n| <= 2 (1 +
// n sin t) / (pi n (n^2 - 1) (1 - cos t)), their sum is at most about (2/pi) cot(t/2) (pi^2/3) /
// 4096^2 (2.9e-6 at 4.9 degrees, 1.25e-7 at 90), plus 2.5e-11 / (1 - cos t) for the 1 in the
// bound, widened by 2% for n^2 - 1 and mN - k against (mN)^2. Above 180 degrees the sampler
// clips at 360 degrees less the angle, the pulse of that angle. The test holds every modulus of
// the whole range within that and reports the worst error, which the README quotes.
TEST(TableAccuracy, ExponentOneWithinTheAliasingBoundOverTheWholeRange) {
  const auto blocks = table::compute_blocks({1.0}, {4.9, 180.1, 0.1});
  double worst = 0.0;
  double worst_angle = 0.0;
  for (const table::Row& row : blocks[0].rows) {
    const double t = kPi * std::min(row.angle, 360.0 - row.angle) / 180.0;
    const double bound =
        1.02 * (2.0 / kPi) / std::tan(t / 2.0) * (kPi * kPi / 3.0) / 4096.0 / 4096.0 +
        2.5e-11 / (1.0 - std::cos(t));
    for (int k = 0; k < 10; ++k) {
      const double error = std::fabs(row.values[k] - std::fabs(berg(k, t)));
      EXPECT_LE(error, bound + 1e-12) << row.angle << " " << k;
      if (error > worst) std::tie(worst, worst_angle) = std::tie(error, row.angle);
    }
  }
  EXPECT_LT(worst, 3e-6);
  std::cout << "worst error " << worst << " at " << worst_angle << " degrees\n";
}

}  // namespace
