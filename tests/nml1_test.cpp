#include "engine/nml1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/ishsignal.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr std::int32_t kLastIndex = 4095;
constexpr std::int32_t kCount = 4096;
using Samples = std::array<double, kCount>;

Samples sample_pulse(double cutoff_angle, double exponent) {
  const double start = 0.0;
  const double end = 6.283185307179586;
  Samples samples;
  ishsignal::signal(start, end, kLastIndex, samples.data(), cutoff_angle, exponent);
  return samples;
}

nml1::Coefficients analyse(double cutoff_angle, double exponent) {
  const Samples samples = sample_pulse(cutoff_angle, exponent);
  nml1::Coefficients coefficients;
  nml1::dft1(kCount, samples.data(), coefficients);
  return coefficients;
}

struct KnownPulse {
  double angle;
  double exponent;
  std::array<double, nml1::kHarmonics> moduli;  // to five decimals
  std::vector<int> negative;                    // harmonics whose real part is negative
};

// Each modulus rounds to the tabulated five decimals; the real part of every harmonic that does
// not round to zero has the tabulated sign; the imaginary parts are rounding noise.
TEST(Dft1, KnownPulsesToFiveDecimals) {
  const KnownPulse pulses[] = {
      {90.0,
       1.0,
       {0.31831, 0.50000, 0.21221, 0.00000, 0.04244, 0.00000, 0.01819, 0.00000, 0.01011, 0.00000},
       {4, 8}},
      {60.0,
       1.0,
       {0.21800, 0.39100, 0.27566, 0.13783, 0.02757, 0.02757, 0.03150, 0.00985, 0.00985, 0.01378},
       {5, 6, 7}},
      {120.0,
       2.0,
       {0.31411, 0.48007, 0.19409, 0.01838, 0.00919, 0.00263, 0.00066, 0.00131, 0.00066, 0.00012},
       {4, 7}},
  };
  for (const KnownPulse& pulse : pulses) {
    const nml1::Coefficients coefficients = analyse(pulse.angle, pulse.exponent);
    for (int k = 0; k < nml1::kHarmonics; ++k) {
      const std::complex<double> coefficient = coefficients[k];
      EXPECT_NEAR(std::abs(coefficient), pulse.moduli[k], 0.5e-5) << pulse.angle << " " << k;
      EXPECT_LT(std::fabs(coefficient.imag()), 1e-12) << pulse.angle << " " << k;
      if (pulse.moduli[k] == 0.0) continue;
      const bool negative = std::count(pulse.negative.begin(), pulse.negative.end(), k) > 0;
      EXPECT_EQ(coefficient.real() < 0.0, negative) << pulse.angle << " " << k;
    }
  }
}

// Sampled (1 + cos) / 2 has exactly the first two terms; what remains is the rounding of the
// 4096-term sums. Their partial sums stay below about 1024, so each addition is off by at most
// 1.2e-13, and all of them after the scaling by 2/4096 by at most 2.5e-13; a random walk of
// them, as seen, stays near 2e-15.
TEST(Dft1, FullCosineHasOnlyTheFirstTwoTerms) {
  const nml1::Coefficients coefficients = analyse(180.0, 1.0);
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(coefficients[k].real(), 0.5, 2.5e-13) << k;
    EXPECT_LT(std::fabs(coefficients[k].imag()), 1e-15) << k;
  }
  for (int k = 2; k < nml1::kHarmonics; ++k) EXPECT_LT(std::abs(coefficients[k]), 1e-15) << k;
}

// Berg's coefficient a_n of the clipped cosine pulse with exponent 1, cut off at t radians.
double berg_coefficient(int n, double t) {
  const double scale = kPi * (1.0 - std::cos(t));
  if (n == 0) return (std::sin(t) - t * std::cos(t)) / scale;
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0 * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (static_cast<double>(n) * n - 1.0));
}

// An upper bound of |a_n| for n >= 2, from the formula above with |sin| and |cos| at most 1.
double berg_coefficient_bound(double n, double t) {
  return 2.0 * (1.0 + n * std::sin(t)) / (kPi * n * (n * n - 1.0) * (1.0 - std::cos(t)));
}

// The samples are exact values of the pulse, so the discrete sum for harmonic k is a_k plus its
// aliases a_{mN+k} and a_{mN-k}, m >= 1 (for k = 0, a_{mN} alone), N = 4096. The pulse has kinks
// at +-t, so they fall off only as 1/n^2: their sum is at most about
// (2/pi) cot(t/2) (pi^2/3) / N^2, from 2.9e-6 at 5 degrees to 1.25e-7 at 90 degrees. The bound
// is reached: at angles that are multiples of 22.5 degrees the aliases all have one sign and the
// measured error equals it to three digits. The tolerance is therefore the bound itself, summed
// over m up to 1000 and widened by 2% for the terms beyond (about 0.06%), plus 1e-12 for the
// rounding of the 4096-term sums and of the formula itself (both below 1e-13).
double aliasing_tolerance(int k, double t) {
  constexpr double kSamples = 4096.0;
  double bound = 0.0;
  for (int m = 1; m <= 1000; ++m) {
    bound += berg_coefficient_bound(m * kSamples + k, t);
    if (k > 0) bound += berg_coefficient_bound(m * kSamples - k, t);
  }
  return 1.02 * bound + 1e-12;
}

TEST(Dft1, MatchesBergCoefficientsForExponentOne) {
  for (double degrees = 5.0; degrees <= 180.0; degrees += 2.5) {
    const nml1::Coefficients coefficients = analyse(degrees, 1.0);
    const double t = kPi * degrees / 180.0;
    for (int k = 0; k < nml1::kHarmonics; ++k) {
      EXPECT_NEAR(coefficients[k].real(), berg_coefficient(k, t), aliasing_tolerance(k, t))
          << degrees << " degrees, harmonic " << k;
    }
  }
}

// The analysis written out plainly, one operation at a time in the order stated for it.
void reference_dft1(std::int32_t n, const double* samples, nml1::Coefficients& coefficients) {
  const double two_pi = 6.283185307179586;
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    double re = 0.0;
    double im = 0.0;
    for (std::int32_t j = 0; j < n; ++j) {
      const double phi = ((two_pi * k) * j) / n;
      re += samples[j] * std::cos(phi);
      im += samples[j] * -std::sin(phi);
    }
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re) / n, (scale * im) / n};
  }
}

// Guards any restructuring for speed: the results must stay the same to the last bit, for the
// sample count the program uses and for others.
TEST(Dft1, BitIdenticalToThePlainFormula) {
  for (double angle : {4.9, 33.3, 90.0, 180.1}) {
    for (double exponent : {0.93, 1.0, 5.01}) {
      const Samples samples = sample_pulse(angle, exponent);
      for (std::int32_t n : {kCount, kCount - 1, 1000, 1}) {
        nml1::Coefficients expected;
        nml1::Coefficients actual;
        reference_dft1(n, samples.data(), expected);
        nml1::dft1(n, samples.data(), actual);
        EXPECT_EQ(std::memcmp(actual.data(), expected.data(), sizeof expected), 0)
            << angle << " " << exponent << " n=" << n;
      }
    }
  }
}

}  // namespace

// The usual grid's cosines and the analysis's angles, evaluated once and reused, must give the
// bits of each term evaluated on its own, over both ranges' ends and between them.
TEST(Dft1, ReusedTermsGiveTheBitsOfDirectEvaluation) {
  const double h = (6.283185307179586 - 0.0) / static_cast<double>(kCount);
  for (double angle : {4.9, 5.0, 30.0, 61.7, 90.0, 133.3, 179.9, 180.0, 180.1}) {
    for (double exponent : {0.93, 1.0, 1.5, 2.25, 3.0, 5.01}) {
      const double c = std::cos((kPi * angle) / 180.0);
      Samples direct;
      for (std::int32_t i = 0; i < kCount; ++i) {
        const double y = (std::cos(static_cast<double>(i) * h) - c) / (1.0 - c);
        direct[i] = y < 0.0 ? std::pow(0.0, exponent) : std::pow(y, exponent);
      }
      nml1::Coefficients expected;
      reference_dft1(kCount, direct.data(), expected);
      const Samples samples = sample_pulse(angle, exponent);
      EXPECT_EQ(std::memcmp(samples.data(), direct.data(), sizeof direct), 0) << angle;
      EXPECT_EQ(std::memcmp(analyse(angle, exponent).data(), expected.data(), sizeof expected), 0)
          << angle << " " << exponent;
    }
  }
}
