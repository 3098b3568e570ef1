#include "dialogue/harmonic_table.h"

#include <cmath>

namespace dialogue {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kModulusThreshold = 0.00000005;
constexpr double kZeroPhase = 0.1;
constexpr double kHalfTurnPhase = 179.9;
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

}  // namespace dialogue
