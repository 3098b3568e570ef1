// The designer's answers held to maxima and roots found here, on values the engine's
// quadrature does not give: Berg's closed forms for exponent 1, the cosine sums of exponents
// 2 and 3, and for exponent 1.5 the slow rule of the tests' own (tests/berg_forms.h).
#include "engine/design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "engine/berg.h"
#include "tests/berg_forms.h"
#include "textio/fields.h"

namespace {

using berg_forms::radians;
using Form = std::function<long double(int n, long double t)>;  // alpha_n, t in radians

std::string to_hundredths(double angle) { return textio::fixed_field(angle, {8, 2}); }

// The first maximum as the angle rises from 4.9 degrees: the first half degree after which
// the value falls by more than rounding, then golden section between its neighbours; 180 if
// it never falls (gamma_n of exponent n rises to 180 by less than 1e-15 over the last
// half degree).
design::Peak first_maximum(const std::function<long double(long double)>& value) {
  const auto angle = [](int step) { return std::min(4.9L + step / 2.0L, 180.0L); };
  int i = 0;
  long double here = value(angle(0)), next = 0.0L;
  while (angle(i) < 180.0L && (next = value(angle(i + 1))) > here - 1e-15L) ++i, here = next;
  if (angle(i) == 180.0L) return {180.0, static_cast<double>(here)};
  const long double golden = (std::sqrt(5.0L) - 1.0L) / 2.0L;
  long double a = angle(std::max(i - 1, 0)), b = angle(i + 1);
  long double x1 = b - golden * (b - a), x2 = a + golden * (b - a);
  long double v1 = value(x1), v2 = value(x2);
  while (b - a > 1e-9L) {
    if (v1 < v2) {
      a = x1, x1 = x2, v1 = v2, x2 = a + golden * (b - a), v2 = value(x2);
    } else {
      b = x2, x2 = x1, v2 = v1, x1 = b - golden * (b - a), v1 = value(x1);
    }
  }
  return {static_cast<double>((a + b) / 2), static_cast<double>(value((a + b) / 2))};
}

void expect_peak(const design::Peak& found, const design::Peak& expected, double within) {
  EXPECT_NEAR(found.angle, expected.angle, within);
  EXPECT_EQ(to_hundredths(found.angle), to_hundredths(expected.angle));
  EXPECT_NEAR(found.value, expected.value, 1e-12);
}

TEST(Optima, TheFirstMaximaOfTheFormsOfEachExponent) {
  const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const auto cosine_sum = [](int p) -> Form {
    return [p](int n, long double t) { return berg_forms::integer_exponent(n, p, t); };
  };
  const struct {
    double exponent;
    Form alpha;
    std::vector<int> harmonics;
    double within;  // degrees: the forms' rounding limits their golden section
  } cases[] = {{1.0, berg_forms::exponent_one, all, 1e-6},
               {2.0, cosine_sum(2), all, 1e-5},
               {3.0, cosine_sum(3), all, 1e-5},
               {1.5, berg_forms::exponent_one_and_a_half, {2}, 1e-5}};
  for (const auto& c : cases) {
    for (const design::Optimum& found : design::optima(c.exponent, c.harmonics)) {
      const int n = found.harmonic;
      SCOPED_TRACE(testing::Message() << "exponent " << c.exponent << ", n = " << n);
      const auto alpha = [&](long double degrees) { return c.alpha(n, radians(degrees)); };
      const auto gamma = [&](long double degrees) {
        return alpha(degrees) * std::pow(1.0L - std::cos(radians(degrees)), c.exponent);
      };
      expect_peak(found.alpha, first_maximum(alpha), c.within);
      expect_peak(found.gamma, first_maximum(gamma), c.within);
    }
  }
}

// For exponent 1, gamma_n = 2 (sin n t cos t - n cos n t sin t) / (pi n (n^2 - 1)) rises where
// sin n t sin t > 0: its maxima are at the odd multiples of 180/n, 2 sin t / (pi (n^2 - 1)),
// the highest nearest 90 degrees (the first of two as high), above the first from n = 5 on.
TEST(Optima, TheHighestLobeWhereItIsNotTheFirst) {
  for (const design::Optimum& found : design::optima(1.0, {1, 2, 3, 4, 5, 6, 7, 8, 9})) {
    const int n = found.harmonic;
    double top = 180.0 / n;
    for (double at = top; at <= 180.0; at += 360.0 / n) {
      if (std::sin(radians(at)) > std::sin(radians(top)) + 1e-12) top = at;
    }
    EXPECT_FALSE(found.alpha_top) << n;
    ASSERT_EQ(found.gamma_top.has_value(), top != 180.0 / n) << n;
    if (!found.gamma_top) continue;
    EXPECT_NEAR(found.gamma_top->angle, top, 1e-7) << n;
    EXPECT_NEAR(found.gamma_top->value,
                2 * std::sin(radians(top)) / (berg_forms::kPi * (n * n - 1)), 1e-12);
  }
}

long double g1_of_exponent_one(long double t) {
  return berg_forms::exponent_one(1, t) / berg_forms::exponent_one(0, t);
}

// The angle of a g1 is where the closed form puts it; the reach's ends, as printed, are
// accepted at their angles, and a value beyond them is refused.
TEST(AngleForG1, TheRootOfTheClosedFormAndTheEndsAsPrinted) {
  for (double wanted : {1.05, 1.5, 1.78947, 1.95, 1.998}) {
    long double low = radians(4.9L), high = berg_forms::kPi;
    while (high - low > 1e-15L)
      (g1_of_exponent_one((low + high) / 2) > wanted ? low : high) = (low + high) / 2;
    const std::optional<double> angle = design::angle_for_g1(1.0, wanted);
    ASSERT_TRUE(angle.has_value()) << wanted;
    EXPECT_NEAR(*angle, static_cast<double>(low * 180.0L / berg_forms::kPi), 1e-8) << wanted;
  }
  const design::Reach reach = design::g1_reach(1.0);
  EXPECT_NEAR(reach.lowest, 1.0, 1e-12);
  EXPECT_NEAR(reach.highest, g1_of_exponent_one(radians(4.9L)), 1e-12);
  EXPECT_EQ(design::angle_for_g1(1.0, 1.99854), 4.9);  // 1.998537... as printed
  EXPECT_NEAR(design::angle_for_g1(1.0, 1.0).value_or(0.0), 180.0, 1e-6);
  for (double beyond : {0.99999, 1.998545}) EXPECT_FALSE(design::angle_for_g1(1.0, beyond));
}

// Other exponents: the angle found gives the g1 asked for, and g1 is on the other side of it
// a tenth of a degree before, so it is the first.
TEST(AngleForG1, RoundTripsForOtherExponents) {
  for (double exponent : {0.93, 1.5, 2.7, 5.01}) {
    const design::Reach reach = design::g1_reach(exponent);
    for (double share : {0.01, 0.3, 0.9}) {
      const double wanted = reach.lowest + share * (reach.highest - reach.lowest);
      const std::optional<double> angle = design::angle_for_g1(exponent, wanted);
      ASSERT_TRUE(angle.has_value()) << exponent << " " << wanted;
      EXPECT_NEAR(berg::compute_exact(*angle, exponent).g1(), wanted, 1e-12);
      EXPECT_GT(berg::compute_exact(*angle - 0.1, exponent).g1(), wanted);
    }
  }
}

}  // namespace
