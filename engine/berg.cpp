#include "engine/berg.h"

#include <cmath>
#include <limits>

#include "engine/grid.h"
#include "engine/integral.h"
#include "engine/ishsignal.h"

namespace berg {

static_assert(integral::kHarmonics == kHarmonics);

namespace {
constexpr double kModulusThreshold = 0.00000005;
constexpr double kZeroPhase = 0.1;
constexpr double kHalfTurnPhase = 179.9;
}  // namespace

HarmonicTable derive_table(const nml1::Coefficients& coefficients) {
  HarmonicTable table;
  for (int k = 0; k < kHarmonics; ++k) {
    const std::complex<double>& coefficient = coefficients[k];
    const double modulus = std::hypot(coefficient.real(), coefficient.imag());
    double phase = (180.0 * std::atan2(coefficient.imag(), coefficient.real())) / grid::kPi;
    if (modulus < kModulusThreshold) phase = 0.0;
    if (std::fabs(phase) < kZeroPhase) phase = 0.0;
    if (std::fabs(phase) > kHalfTurnPhase) phase = 180.0;
    table[k] = modulus;
    table[kHarmonics + k] = phase;
  }
  return table;
}

double Result::cos_theta() const { return std::cos((grid::kPi * angle_) / 180.0); }

double Result::level_db(int k) const {
  if (modulus(k) < kModulusThreshold) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(modulus(k) / modulus(1));
}

Result compute(double angle, double exponent) {
  std::array<double, grid::kSampleCount> samples;
  nml1::Coefficients coefficients;
  ishsignal::signal(grid::kPeriodStart, grid::kPeriodEnd, grid::kLastIndex, samples.data(), angle,
                    exponent);
  nml1::dft1(grid::kSampleCount, samples.data(), coefficients);
  return Result(angle, exponent, derive_table(coefficients));
}

HarmonicTable exact_table(const std::array<double, kHarmonics>& alpha) {
  HarmonicTable table;
  for (int k = 0; k < kHarmonics; ++k) {
    const double modulus = std::fabs(alpha[k]);
    table[k] = modulus;
    table[kHarmonics + k] = modulus >= kModulusThreshold && alpha[k] < 0.0 ? 180.0 : 0.0;
  }
  return table;
}

Result compute_exact(double angle, double exponent) {
  return Result(angle, exponent, exact_table(integral::coefficients(angle, exponent)));
}

}  // namespace berg
