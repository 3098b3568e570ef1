#include "engine/nml1.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "engine/grid.h"
#include "engine/ishsignal.h"

namespace {

constexpr std::int32_t kCount = grid::kSampleCount;
using Samples = std::array<double, kCount>;

Samples sample_pulse(double cutoff_angle, double exponent, double start = grid::kPeriodStart) {
  Samples samples;
  ishsignal::signal(start, grid::kPeriodEnd, grid::kLastIndex, samples.data(), cutoff_angle,
                    exponent);
  return samples;
}

// Tabulated Berg coefficients, signed: a negative value is a harmonic in opposite phase. (The
// closed forms of exponent 1 hold the results of every angle; see the table's accuracy.)
TEST(Dft1, KnownPulsesToFiveDecimals) {
  struct Known {
    double angle, exponent;
    std::array<double, nml1::kHarmonics> coefficients;
  };
  const Known pulses[] = {{120.0,
                           2.0,
                           {0.31411, 0.48007, 0.19409, 0.01838, -0.00919, 0.00263, 0.00066,
                            -0.00131, 0.00066, 0.00012}}};
  for (const Known& pulse : pulses) {
    const Samples samples = sample_pulse(pulse.angle, pulse.exponent);
    nml1::Coefficients coefficients;
    nml1::dft1(kCount, samples.data(), coefficients);
    for (int k = 0; k < nml1::kHarmonics; ++k) {
      EXPECT_NEAR(coefficients[k].real(), pulse.coefficients[k], 0.5e-5) << pulse.angle << " " << k;
      EXPECT_LT(std::fabs(coefficients[k].imag()), 1e-12) << pulse.angle << " " << k;
    }
  }
}

// The analysis written out plainly, one operation at a time in the order stated for it.
void plain_dft1(std::int32_t n, const double* samples, nml1::Coefficients& coefficients) {
  const double two_pi = grid::kTwoPi;
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    double re = 0.0, im = 0.0;
    for (std::int32_t j = 0; j < n; ++j) {
      const double phi = ((two_pi * k) * j) / n;
      re += samples[j] * std::cos(phi);
      im += samples[j] * -std::sin(phi);
    }
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re) / n, (scale * im) / n};
  }
}

// The engine reuses the grid's cosines and the analysis's angles, evaluated once, and skips
// what cannot change a sum. The samples and the coefficients must still be the bits of each
// term evaluated on its own, in the stated order, over both ranges' ends and between them, for
// the sample count the program uses and for others.
TEST(Dft1, BitIdenticalToEachTermEvaluatedOnItsOwn) {
  for (double start : {0.0, 0.5}) {  // the grid whose cosines are kept, and another
    const double h = (grid::kPeriodEnd - start) / static_cast<double>(kCount);
    for (double angle : {4.9, 5.0, 61.7, 90.0, 133.3, 179.9, 180.0, 180.1}) {
      for (double exponent : {0.93, 1.0, 1.5, 2.25, 5.01}) {
        const double c = std::cos((grid::kPi * angle) / 180.0);
        Samples direct;
        for (std::int32_t i = 0; i < kCount; ++i) {
          const double y = (std::cos(static_cast<double>(i) * h) - c) / (1.0 - c);
          direct[i] = y < 0.0 ? std::pow(0.0, exponent) : std::pow(y, exponent);
        }
        const Samples samples = sample_pulse(angle, exponent, start);
        EXPECT_EQ(std::memcmp(samples.data(), direct.data(), sizeof direct), 0) << angle;
        for (std::int32_t n : {kCount, kCount - 1, 1000, 1}) {
          nml1::Coefficients expected, actual;
          plain_dft1(n, samples.data(), expected);
          nml1::dft1(n, samples.data(), actual);
          EXPECT_EQ(std::memcmp(actual.data(), expected.data(), sizeof expected), 0)
              << angle << " " << exponent << " n=" << n;
        }
      }
    }
  }
}

}  // namespace
