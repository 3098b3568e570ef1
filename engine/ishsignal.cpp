#include "engine/ishsignal.h"

#include <array>
#include <cmath>

#include "engine/grid.h"

namespace ishsignal {

namespace {

using GridCosines = std::array<double, grid::kSampleCount>;

// The step between samples, computed as signal computes it.
double step(double period_start, double period_end, std::int32_t last_index) {
  const std::int32_t count = last_index + 1;
  return (period_end - period_start) / static_cast<double>(count);
}

double grid_cosine(std::int32_t i, double h) { return std::cos(static_cast<double>(i) * h); }

// The cosines of the grid depend on neither the angle nor the exponent: they are
// evaluated once per process, with the expression of every other grid, so they are the same
// bits.
const GridCosines& usual_grid_cosines() {
  static const GridCosines cosines = [] {
    const double h = step(grid::kPeriodStart, grid::kPeriodEnd, grid::kLastIndex);
    GridCosines values;
    for (std::int32_t i = 0; i <= grid::kLastIndex; ++i) values[i] = grid_cosine(i, h);
    return values;
  }();
  return cosines;
}

bool is_usual_grid(double h, std::int32_t last_index) {
  return last_index == grid::kLastIndex &&
         h == step(grid::kPeriodStart, grid::kPeriodEnd, grid::kLastIndex);
}

}  // namespace

// Every operation below is written in the order in which it must be evaluated, so that the
// results are the same bit for bit on every machine.
void signal(const double& period_start, const double& period_end, const std::int32_t& last_index,
            double* samples, const double& cutoff_angle, const double& exponent) {
  const double c = std::cos((grid::kPi * cutoff_angle) / 180.0);
  const double d = 1.0 - c;
  const double h = step(period_start, period_end, last_index);
  const double* known_cosines =
      is_usual_grid(h, last_index) ? usual_grid_cosines().data() : nullptr;
  // A clipped sample is the power of +0, the same for every one of them: one call serves all.
  const double clipped = std::pow(0.0, exponent);
  // A sample is clipped where (cosine - c) / d < 0. Since d = 1 - c is never negative, that is
  // exactly where cosine < c (no difference of two cosines is small enough for the quotient to
  // round to zero), which spares the division there.
  for (std::int32_t i = 0; i <= last_index; ++i) {
    const double cosine = known_cosines != nullptr ? known_cosines[i] : grid_cosine(i, h);
    if (cosine < c) {
      samples[i] = clipped;
      continue;
    }
    const double y = (cosine - c) / d;
    samples[i] = std::pow(y, exponent);
  }
}

}  // namespace ishsignal
