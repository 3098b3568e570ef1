#include "engine/nml1.h"

#include <cmath>

namespace nml1 {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

// The sums run in increasing j with the angle formed as ((2 pi * k) * j) / n, exactly in this
// order: the results must be the same bit for bit on every machine. No fast transform and no
// table of sines, which would round differently.
void dft1(const std::int32_t& n, const double* samples, Coefficients& coefficients) {
  const double count = static_cast<double>(n);
  for (int k = 0; k < kHarmonics; ++k) {
    const double harmonic_turn = kTwoPi * static_cast<double>(k);
    double re = 0.0;
    double im = 0.0;
    for (std::int32_t j = 0; j < n; ++j) {
      const double phi = (harmonic_turn * static_cast<double>(j)) / count;
      re += samples[j] * std::cos(phi);
      im += samples[j] * -std::sin(phi);
    }
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re) / count, (scale * im) / count};
  }
}

}  // namespace nml1
