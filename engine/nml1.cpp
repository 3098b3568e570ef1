#include "engine/nml1.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/grid.h"

namespace nml1 {

namespace {

// The cosine and the negated sine of every harmonic's angle at one sample: the sums take
// e^(-i phi), and negating is exact, so the table holds -sin rather than negating it in each term.
struct Turn {
  std::array<double, kHarmonics> cosine;
  std::array<double, kHarmonics> minus_sine;
};
using Turns = std::vector<Turn>;
using Sums = std::array<double, kHarmonics>;

bool is_power_of_two(std::int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// Evaluates the cosine and sine of the angles ((2 pi * k) * j) / n, j = 0 to n - 1. When n is
// a power of two, 1 / n is exact, and multiplying by it rounds the same real number as
// dividing by n, once: the same bits, without a slow division for every term.
Turns turns_of(std::int32_t n) {
  const double count = static_cast<double>(n);
  const double reciprocal = 1.0 / count;
  const bool exact_reciprocal = is_power_of_two(n);
  Turns turns(static_cast<std::size_t>(std::max(n, 0)));
  for (int k = 0; k < kHarmonics; ++k) {
    const double harmonic_turn = grid::kTwoPi * static_cast<double>(k);
    for (std::int32_t j = 0; j < n; ++j) {
      const double turn = harmonic_turn * static_cast<double>(j);
      const double angle = exact_reciprocal ? turn * reciprocal : turn / count;
      turns[j].cosine[k] = std::cos(angle);
      turns[j].minus_sine[k] = -std::sin(angle);
    }
  }
  return turns;
}

// The angles depend on n alone: for the grid's count they are evaluated once per process.
const Turns& usual_turns() {
  static const Turns turns = turns_of(grid::kSampleCount);
  return turns;
}

}  // namespace

// The sums run in increasing j over the terms samples[j] * e^(-i phi), exactly in this order: the
// results must be the same bit for bit on every machine. No fast transform, which would round
// differently: every term's cosine and sine is that of its own angle, evaluated with the same
// expression whether it comes from the table of the usual count or is evaluated for this call.
// The ten harmonics' sums advance together, one sample at a time, so that they do not wait on
// one another; the inner loop is unrolled so that all twenty sums stay in registers. A zero
// sample is skipped: its terms are zeros, and adding a zero leaves a sum's bits unchanged,
// since a sum that starts at +0 can never become -0 (x + -x is +0).
void dft1(const std::int32_t& n, const double* samples, Coefficients& coefficients) {
  Turns computed;
  const Turns& turns = n == grid::kSampleCount ? usual_turns() : (computed = turns_of(n));
  Sums re{};
  Sums im{};
  for (std::int32_t j = 0; j < n; ++j) {
    const double sample = samples[j];
    if (sample == 0.0) continue;
    const Turn& turn = turns[j];
#pragma GCC unroll 10
    for (int k = 0; k < kHarmonics; ++k) {
      re[k] += sample * turn.cosine[k];
      im[k] += sample * turn.minus_sine[k];
    }
  }
  const double count = static_cast<double>(n);
  for (int k = 0; k < kHarmonics; ++k) {
    const double scale = k == 0 ? 1.0 : 2.0;
    coefficients[k] = {(scale * re[k]) / count, (scale * im[k]) / count};
  }
}

}  // namespace nml1
