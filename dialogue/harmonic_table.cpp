#include "dialogue/harmonic_table.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/ishsignal.h"

namespace dialogue {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kModulusThreshold = 0.00000005;
constexpr double kZeroPhase = 0.1;
constexpr double kHalfTurnPhase = 179.9;

// The grid of every pass: one period from 0 to 2 pi at 4096 points.
constexpr double kPeriodStart = 0.0;
constexpr double kPeriodEnd = 6.283185307179586;
constexpr std::int32_t kLastIndex = 4095;
constexpr std::int32_t kSampleCount = 4096;
}  // namespace

HarmonicTable derive_table(const nml1::Coefficients& coefficients) {
  HarmonicTable table;
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    const std::complex<double>& coefficient = coefficients[k];
    const double modulus = std::hypot(coefficient.real(), coefficient.imag());
    double phase = (180.0 * std::atan2(coefficient.imag(), coefficient.real())) / kPi;
    if (modulus < kModulusThreshold) phase = 0.0;
    if (std::fabs(phase) < kZeroPhase) phase = 0.0;
    if (std::fabs(phase) > kHalfTurnPhase) phase = 180.0;
    table[k] = modulus;
    table[nml1::kHarmonics + k] = phase;
  }
  return table;
}

HarmonicTable compute_table(double angle, double exponent) {
  std::array<double, kSampleCount> samples;
  nml1::Coefficients coefficients;
  ishsignal::signal(kPeriodStart, kPeriodEnd, kLastIndex, samples.data(), angle, exponent);
  nml1::dft1(kSampleCount, samples.data(), coefficients);
  return derive_table(coefficients);
}

}  // namespace dialogue
