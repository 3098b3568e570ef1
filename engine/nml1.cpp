#include "engine/nml1.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace nml1 {

namespace {

constexpr double kTwoPi = 6.283185307179586;

bool is_power_of_two(std::int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// Evaluates the cosine and sine of the angles ((2 pi * k) * j) / n of harmonic k, j = 0 to n - 1.
// When n is a power of two, 1 / n is exact, and multiplying by it rounds the same real number
// as dividing by n, once: the same bits, without a slow division for every term.
void rotate(int k, std::int32_t n, std::vector<double>& cosines, std::vector<double>& sines) {
  const double count = static_cast<double>(n);
  const double reciprocal = 1.0 / count;
  const bool exact_reciprocal = is_power_of_two(n);
  const double harmonic_turn = kTwoPi * static_cast<double>(k);
  for (std::int32_t j = 0; j < n; ++j) {
    const double turn = harmonic_turn * static_cast<double>(j);
    const double angle = exact_reciprocal ? turn * reciprocal : turn / count;
    cosines[j] = std::cos(angle);
    sines[j] = std::sin(angle);
  }
}

}  // namespace

// The sums run in increasing j over the terms samples[j] * e^(-i phi), exactly in this order: the
// results must be the same bit for bit on every machine. No fast transform and no table of sines,
// which would round differently: every term's cosine and sine is evaluated for that term alone.
// They are evaluated for a whole harmonic before its sums, which keeps the two running sums out
// of the way of the library calls.
void dft1(const std::int32_t& n, const double* samples, Coefficients& coefficients) {
  const double count = static_cast<double>(n);
  const std::size_t terms = static_cast<std::size_t>(std::max(n, 0));
  std::vector<double> cosines(terms);
  std::vector<double> sines(terms);
  for (int k = 0; k < kHarmonics; ++k) {
    rotate(k, n, cosines, sines);
    double re = 0.0;
    double im = 0.0;
    for (std::int32_t j = 0; j < n; ++j) {
      re += samples[j] * cosines[j];
      im += samples[j] * -sines[j];
    }
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re) / count, (scale * im) / count};
  }
}

}  // namespace nml1
