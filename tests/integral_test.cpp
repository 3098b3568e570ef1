// The Berg integrals by quadrature held to values computed without it (tests/berg_forms.h):
// Berg's closed forms for exponent 1 over the whole range, the cosine sums of exponents 2 and
// 3, and 180 degrees by the gamma function for any exponent.
#include "engine/integral.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/berg.h"
#include "tests/berg_forms.h"
#include "textio/fields.h"

namespace {

using berg_forms::cut_off;

constexpr double kAccuracy = 1e-12;

std::string printed(double value) { return textio::fixed_field(value, textio::kModulusEdit); }
// A coefficient as a row shows it: below 5e-8 it has no phase, so no sign.
double shown(double alpha) { return std::fabs(alpha) < 5e-8 ? std::fabs(alpha) : alpha; }

// Every alpha_0 to alpha_9 of the accepted range in steps of 0.1 degree, 180.1 included, as
// k-berg-table --from 4.9 --to 180.1 --step 0.1 takes its angles: within 1e-12 of Berg's
// forms, and every digit of the exact rows printed as theirs.
TEST(Integral, ExponentOneIsBergsClosedFormsToEveryPrintedDigit) {
  double worst = 0.0;
  for (int i = 0; i <= 1752; ++i) {
    const double angle = 4.9 + i * 0.1;
    const integral::Coefficients alpha = integral::coefficients(angle, 1.0);
    const berg::Result row = berg::compute_exact(angle, 1.0);
    for (int n = 0; n < integral::kHarmonics; ++n) {
      const double expected = static_cast<double>(berg_forms::exponent_one(n, cut_off(angle)));
      worst = std::max(worst, std::fabs(alpha[n] - expected));
      ASSERT_NEAR(alpha[n], expected, kAccuracy) << angle << " degrees, n = " << n;
      ASSERT_EQ(printed(row.signed_value(n)), printed(shown(expected)))
          << angle << " degrees, n = " << n;
    }
  }
  std::cout << "worst error " << worst << "\n";
}

TEST(Integral, IntegerExponentsAreTheirCosineSums) {
  for (int p : {2, 3}) {
    for (double angle : {15.0, 22.5, 37.0, 60.0, 90.0, 111.1, 135.0, 150.0, 170.0, 179.0, 179.9,
                         179.999, 180.0, 180.05, 180.1}) {
      const integral::Coefficients alpha = integral::coefficients(angle, p);
      for (int n = 0; n < integral::kHarmonics; ++n) {
        EXPECT_NEAR(alpha[n], berg_forms::integer_exponent(n, p, cut_off(angle)), kAccuracy)
            << "exponent " << p << ", " << angle << " degrees, n = " << n;
      }
    }
  }
}

// At 180 degrees the pulse is cos^(2p)(t/2), its cut-off a zero of order 2p; the harmonics
// beyond an integer exponent vanish.
TEST(Integral, HalfTurnIsTheGammaFunctions) {
  for (double p : {0.93, 1.0, 1.5, 2.0, 2.7, 3.0, 5.01}) {
    const integral::Coefficients alpha = integral::coefficients(180.0, p);
    for (int n = 0; n < integral::kHarmonics; ++n) {
      EXPECT_NEAR(alpha[n], berg_forms::half_turn(n, p), kAccuracy) << p << " n = " << n;
    }
  }
}

// The slopes: the closed forms' derivatives by central differences in long double, for
// exponent 1; and at 180 degrees, where the slope is zero, the slope over the sine is minus
// the second derivative from below, finite.
TEST(Integral, SlopesOverTheSineAreTheDerivativesOverTheSine) {
  for (double angle : {4.9, 30.0, 90.0, 122.5, 170.0, 179.9, 180.0}) {
    const integral::Tangent at = integral::tangent(angle, 1.0);
    const long double t = berg_forms::radians(angle);
    for (int n = 0; n < integral::kHarmonics; ++n) {
      long double expected;
      if (angle == 180.0) {
        // alpha_n(180 - h) = alpha_n(180) - h^2/2 K_n + O(h^3): extrapolated from h and 2h.
        const auto second = [&](long double h) {
          return 2.0L * (berg_forms::exponent_one(n, t) - berg_forms::exponent_one(n, t - h)) /
                 (h * h);
        };
        expected = 2.0L * second(1e-5L) - second(2e-5L);
      } else {
        const long double h = 1e-6L;
        expected = (berg_forms::exponent_one(n, t + h) - berg_forms::exponent_one(n, t - h)) /
                   (2.0L * h) / std::sin(t);
      }
      EXPECT_NEAR(at.slope_over_sine[n], static_cast<double>(expected),
                  1e-6 * (1.0 + std::fabs(static_cast<double>(expected))))
          << angle << " degrees, n = " << n;
    }
  }
}

}  // namespace
