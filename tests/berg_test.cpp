#include "engine/berg.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <limits>

#include "engine/grid.h"

namespace {

constexpr double kPi = grid::kPi;
constexpr double kThreshold = 0.00000005;

struct PhaseCase {
  std::complex<double> coefficient;
  double phase;
};

// The moduli, and the phases with their clean-up rules applied in order: none for a modulus
// below the threshold, 0 within 0.1 degree of 0, +180 within 0.1 degree of +-180; the signed
// value is negative for a phase of 180 alone.
TEST(DeriveTable, ModulusAndPhaseRules) {
  const double below = std::nextafter(kThreshold, 0.0);
  const auto at = [](double degrees) { return std::polar(1.0, degrees * kPi / 180.0); };
  const PhaseCase cases[] = {
      {{0.0, below}, 0.0},       {{-below, 0.0}, 0.0},  // 180 if the modulus rule came last
      {{0.0, kThreshold}, 90.0}, {{-kThreshold, 0.0}, 180.0}, {at(-0.05), 0.0},  {at(0.0999), 0.0},
      {at(-179.95), 180.0},      {at(179.9001), 180.0},       {at(-90.0), -90.0}};
  for (const PhaseCase& c : cases) {
    for (int k : {0, 9}) {
      nml1::Coefficients coefficients{};
      coefficients[k] = c.coefficient;
      const berg::Result result(90.0, 1.0, berg::derive_table(coefficients));
      EXPECT_NEAR(result.phase(k), c.phase, 1e-9) << c.coefficient << " k=" << k;
      if (c.phase == 0.0) {
        EXPECT_FALSE(std::signbit(result.phase(k))) << c.coefficient;
      }
      EXPECT_EQ(result.modulus(k), std::abs(c.coefficient)) << c.coefficient;
      EXPECT_EQ(result.signed_value(k), (c.phase == 180.0 ? -1 : 1) * std::abs(c.coefficient));
    }
  }
}

// The exact path's table: the modulus, and the sign as the phase 180, but none (0, not -0)
// below the threshold below which a sampled coefficient has no phase either.
TEST(ExactTable, SignsAsPhasesAboveTheThreshold) {
  const double below = std::nextafter(kThreshold, 0.0);
  const std::array<double, berg::kHarmonics> alpha = {0.5, -0.25, -below,  kThreshold, -kThreshold,
                                                      0.0, -0.0,  -1e-300, below,      -1.0};
  const double phases[] = {0.0, 180.0, 0.0, 0.0, 180.0, 0.0, 0.0, 0.0, 0.0, 180.0};
  const berg::Result result(90.0, 1.0, berg::exact_table(alpha));
  for (int k = 0; k < berg::kHarmonics; ++k) {
    EXPECT_EQ(result.modulus(k), std::fabs(alpha[k])) << k;
    EXPECT_EQ(result.phase(k), phases[k]) << k;
    EXPECT_FALSE(std::signbit(result.phase(k))) << k;
    EXPECT_EQ(result.signed_value(k), phases[k] == 180.0 ? alpha[k] : std::fabs(alpha[k])) << k;
  }
}

}  // namespace

// At 90 degrees the pulse of exponent 2 is cos^2 over half the period, (1 + cos 2t) / 2, whose
// coefficients are exact: alpha_0 = alpha_2 = 1/4, alpha_1 = 4/(3 pi), alpha_3 = 4/(15 pi),
// alpha_4 = 0 and alpha_5 = -4/(105 pi). There cos theta = 0, so gamma_k = alpha_k, and the
// doubler's g_2 = alpha_2 / alpha_0 = 1.
TEST(Result, QuantitiesOfTheCosineSquaredPulse) {
  const berg::Result result = berg::compute(90.0, 2.0);
  const double alpha[] = {0.25, 4 / (3 * kPi), 0.25, 4 / (15 * kPi), 0.0, -4 / (105 * kPi)};
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(result.signed_value(k), alpha[k], 1e-9) << k;
    EXPECT_NEAR(result.gamma(k), alpha[k], 1e-9) << k;
  }
  EXPECT_NEAR(result.cos_theta(), 0.0, 1e-15);
  EXPECT_NEAR(result.g1(), 16 / (3 * kPi), 1e-9);
  EXPECT_NEAR(result.efficiency(0.9), 0.45 * 16 / (3 * kPi), 1e-9);
  EXPECT_NEAR(result.g(2), 1.0, 1e-9);
  EXPECT_NEAR(result.efficiency(0.9, 2), 0.45, 1e-9);
  EXPECT_NEAR(result.level_db(2), 20 * std::log10(3 * kPi / 16), 1e-9);
  EXPECT_EQ(result.level_db(4), -std::numeric_limits<double>::infinity());
  // 120 degrees: cos theta = -1/2, so gamma_k = 3/2 alpha_k.
  const berg::Result wide = berg::compute(120.0, 1.0);
  EXPECT_NEAR(wide.gamma(3), 1.5 * wide.signed_value(3), 1e-15);
  EXPECT_LT(wide.signed_value(3), 0.0);
}

// gamma_k = alpha_k (1 - cos theta)^exponent: at 120 degrees (3/2)^exponent alpha_k; for
// exponent 1 the very bits of alpha_k (1 - cos theta), as every table of exponent 1 printed
// them.
TEST(Result, GammaForTheDevicesLaw) {
  for (double exponent : {0.93, 2.5}) {
    const berg::Result wide = berg::compute(120.0, exponent);
    for (int k = 0; k < berg::kHarmonics; ++k) {
      EXPECT_NEAR(wide.gamma(k), std::pow(1.5, exponent) * wide.signed_value(k), 1e-15) << k;
    }
  }
  for (double angle : {4.9, 33.3, 179.9, 180.1}) {
    const berg::Result result = berg::compute(angle, 1.0);
    for (int k = 0; k < berg::kHarmonics; ++k) {
      EXPECT_EQ(result.gamma(k), result.signed_value(k) * (1.0 - result.cos_theta())) << k;
    }
  }
}
