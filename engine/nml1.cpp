#include "engine/nml1.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace nml1 {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

// The sums run in increasing j with the angle formed as ((2 pi * k) * j) / n, exactly in this
// order: the results must be the same bit for bit on every machine. No fast transform and no
// table of sines, which would round differently.
void dft1(const std::int32_t& n, const double* samples, Coefficients& coefficients) {
  const double count = static_cast<double>(n);
  // The angles of one harmonic are formed before its sums, each exactly as above, so that
  // the divisions run back to back instead of each waiting in front of a sine and cosine.
  std::vector<double> angles(static_cast<std::size_t>(std::max(n, 0)));
  for (int k = 0; k < kHarmonics; ++k) {
    const double harmonic_turn = kTwoPi * static_cast<double>(k);
    for (std::int32_t j = 0; j < n; ++j) {
      angles[j] = (harmonic_turn * static_cast<double>(j)) / count;
    }
    double re = 0.0;
    double im = 0.0;
    for (std::int32_t j = 0; j < n; ++j) {
      re += samples[j] * std::cos(angles[j]);
      im += samples[j] * -std::sin(angles[j]);
    }
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re) / count, (scale * im) / count};
  }
}

}  // namespace nml1
