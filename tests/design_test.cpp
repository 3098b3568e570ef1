// The designer's answers held to independent expectations: Berg's closed forms for exponent 1,
// and a scan of every hundredth of a degree of the program's own results.
#include "engine/design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/berg.h"
#include "textio/fields.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Berg's closed forms for exponent 1, the cut-off angle t in radians: alpha_n, and g1.
double berg_alpha(int n, double t) {
  const double scale = kPi * (1.0 - std::cos(t));
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0 * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (n * n - 1.0));
}
double berg_g1(double t) {
  return (t - std::sin(t) * std::cos(t)) / (std::sin(t) - t * std::cos(t));
}
double radians(double degrees) { return degrees * kPi / 180.0; }

std::string printed(double value) { return textio::fixed_field(value, textio::kModulusEdit); }

// The first maximum as the definition reads, by brute force: every hundredth of a degree, the
// lobe ends at the first dip of 0.00001 or more, its top is the middle of the values within
// rounding (1e-14) of the highest.
design::Peak scanned(const std::vector<berg::Result>& scan, int n, bool gamma) {
  const auto value = [&](std::size_t j) {
    return gamma ? scan[j].gamma(n) : scan[j].signed_value(n);
  };
  std::size_t end = 0;
  double best = value(0);
  while (++end < scan.size() && value(end) >= best - 0.00001) best = std::max(best, value(end));
  std::size_t first = end, last = 0;
  for (std::size_t j = 0; j < end; ++j) {
    if (value(j) >= best - 1e-14) first = std::min(first, j), last = j;
  }
  const std::size_t middle = (first + last) / 2;
  return {scan[middle].angle(), value(middle)};
}

TEST(Optima, AreTheFirstMaximaOfAScanOfEveryHundredth) {
  for (double exponent : {1.0, 2.7}) {
    std::vector<berg::Result> scan;
    for (int j = 0; j <= 17520; ++j)
      scan.push_back(berg::compute(std::min(4.9 + j * 0.01, 180.1), exponent));
    for (const design::Optimum& found : design::optima(exponent, {1, 2, 3, 4, 5, 6, 7, 8, 9})) {
      for (bool gamma : {false, true}) {
        const design::Peak expected = scanned(scan, found.harmonic, gamma);
        const design::Peak& peak = gamma ? found.gamma : found.alpha;
        SCOPED_TRACE(testing::Message()
                     << exponent << (gamma ? " gamma" : " alpha") << found.harmonic);
        EXPECT_NEAR(peak.angle, expected.angle, 0.05);
        EXPECT_EQ(printed(peak.value), printed(expected.value));
      }
    }
  }
}

// For exponent 1, gamma_n peaks at 180/n degrees exactly and alpha_n where the closed form
// does (near 120/n); the sampled results put them within 0.05 degree, one unit of the fifth
// decimal below or above.
TEST(Optima, ExponentOneAtTheClosedFormsMaxima) {
  for (const design::Optimum& found : design::optima(1.0, {1, 2, 3, 4, 5, 6, 7, 8, 9})) {
    const int n = found.harmonic;
    double top = 4.9;
    for (double degrees = 4.9; degrees <= 180.0; degrees += 0.001) {
      if (berg_alpha(n, radians(degrees)) > berg_alpha(n, radians(top))) top = degrees;
      if (berg_alpha(n, radians(degrees)) < berg_alpha(n, radians(top)) - 0.001) break;
    }
    EXPECT_NEAR(found.alpha.angle, top, 0.05) << n;
    EXPECT_NEAR(found.alpha.value, berg_alpha(n, radians(top)), 1e-5) << n;
    const double half_turn = 180.0 / n;
    EXPECT_NEAR(found.gamma.angle, half_turn, 0.05) << n;
    EXPECT_NEAR(found.gamma.value,
                berg_alpha(n, radians(half_turn)) * (1 - std::cos(radians(half_turn))), 1e-5)
        << n;
  }
}

// g1 falls from about 2 at narrow pulses to 1 at 180 degrees; the angle found gives the value
// asked for, where the closed form puts it, and a value out of reach has no angle.
TEST(AngleForG1, WhereTheClosedFormReachesIt) {
  for (double wanted : {1.05, 1.5, 1.8, 1.95}) {
    double low = radians(4.9), high = kPi;
    while (high - low > 1e-9) (berg_g1((low + high) / 2) > wanted ? low : high) = (low + high) / 2;
    const std::optional<double> angle = design::angle_for_g1(1.0, wanted);
    ASSERT_TRUE(angle.has_value()) << wanted;
    EXPECT_NEAR(*angle, low * 180.0 / kPi, 0.01) << wanted;
    EXPECT_EQ(printed(berg::compute(*angle, 1.0).g1()), printed(wanted)) << wanted;
  }
  const design::Reach reach = design::g1_reach(1.0);
  EXPECT_EQ(printed(reach.lowest), printed(1.0));
  EXPECT_NEAR(reach.highest, berg_g1(radians(4.9)), 1e-4);
  for (double out_of_reach : {0.99, reach.highest + 1e-6})
    EXPECT_FALSE(design::angle_for_g1(1.0, out_of_reach));
}

}  // namespace
