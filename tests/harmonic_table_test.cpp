#include "dialogue/harmonic_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <initializer_list>
#include <limits>

#include "engine/ishsignal.h"
#include "engine/nml1.h"

namespace {

constexpr double kPi = 3.141592653589793;

// A unit coefficient whose phase is `degrees` to within rounding, far closer than any case
// below comes to a threshold.
std::complex<double> coefficient_near_phase(double degrees) {
  return std::polar(1.0, degrees * kPi / 180.0);
}

dialogue::HarmonicTable derived(int k, const std::complex<double>& coefficient) {
  nml1::Coefficients coefficients{};
  coefficients[k] = coefficient;
  return dialogue::derive_table(coefficients);
}

double derived_phase(const std::complex<double>& coefficient) {
  return derived(0, coefficient)[10];
}

TEST(HarmonicTable, ModulusNeitherOverflowsNorUnderflows) {
  EXPECT_DOUBLE_EQ(derived(0, {3e200, 4e200})[0], 5e200);
  EXPECT_DOUBLE_EQ(derived(1, {3e-200, -4e-200})[1], 5e-200);
}

TEST(HarmonicTable, PhaseOfTinyModulusIsZero) {
  const double threshold = 0.00000005;
  const double below = std::nextafter(threshold, 0.0);
  EXPECT_EQ(derived_phase({0.0, below}), 0.0);
  EXPECT_EQ(derived_phase({-below, 0.0}), 0.0);  // would be 180 if the rule came after the others
  EXPECT_DOUBLE_EQ(derived_phase({0.0, threshold}), 90.0);  // strict: the threshold keeps it
  EXPECT_EQ(derived_phase({-threshold, 0.0}), 180.0);
}

TEST(HarmonicTable, PhaseNearZeroBecomesZero) {
  for (double degrees : {-0.05, 0.05, 0.0999}) {
    const double phase = derived_phase(coefficient_near_phase(degrees));
    EXPECT_EQ(phase, 0.0) << degrees;
    EXPECT_FALSE(std::signbit(phase)) << degrees;
  }
}

TEST(HarmonicTable, PhaseNearHalfTurnBecomesPlus180) {
  for (double degrees : {-179.95, 179.95, -179.9001}) {
    EXPECT_EQ(derived_phase(coefficient_near_phase(degrees)), 180.0) << degrees;
  }
}

TEST(HarmonicTable, NotANumberStaysNotANumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  dialogue::HarmonicTable table = derived(2, {nan, nan});
  EXPECT_TRUE(std::isnan(table[2]));
  EXPECT_TRUE(std::isnan(table[12]));
}

// With the widest accepted angle and exponent, harmonics 7 and 8 both print as 0.00000, but
// only harmonic 8 lies below the modulus threshold, so only its phase is cleared.
TEST(HarmonicTable, Angle180Point1Exponent5Point01) {
  const double start = 0.0;
  const double end = 6.283185307179586;
  const std::int32_t last_index = 4095;
  const std::int32_t count = 4096;
  const double angle = 180.1;
  const double exponent = 5.01;
  std::array<double, 4096> samples;
  nml1::Coefficients coefficients;
  ishsignal::signal(start, end, last_index, samples.data(), angle, exponent);
  nml1::dft1(count, samples.data(), coefficients);
  dialogue::HarmonicTable table = dialogue::derive_table(coefficients);

  EXPECT_GT(table[7], 0.00000005);
  EXPECT_LT(table[7], 0.000005);
  EXPECT_EQ(table[17], 180.0);
  EXPECT_LT(table[8], 0.00000005);
  EXPECT_EQ(table[18], 0.0);
}

}  // namespace
