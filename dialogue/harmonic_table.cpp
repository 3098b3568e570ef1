#include "dialogue/harmonic_table.h"

#include <cmath>

namespace dialogue {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kModulusThreshold = 0.00000005;
constexpr double kZeroPhase = 0.1;
constexpr double kHalfTurnPhase = 179.9;
}  // namespace

void derive_row(int k, const std::complex<double>& coefficient, HarmonicTable& table) {
  const double modulus = std::hypot(coefficient.real(), coefficient.imag());
  double phase = (180.0 * std::atan2(coefficient.imag(), coefficient.real())) / kPi;
  if (modulus < kModulusThreshold) phase = 0.0;
  if (std::fabs(phase) < kZeroPhase) phase = 0.0;
  if (std::fabs(phase) > kHalfTurnPhase) phase = 180.0;
  table[k] = modulus;
  table[10 + k] = phase;
}

}  // namespace dialogue
