#include "engine/ishsignal.h"

#include <cmath>

namespace ishsignal {

namespace {
constexpr double kPi = 3.141592653589793;
}

// Every operation below is written in the order in which it must be evaluated, so that the
// results are the same bit for bit on every machine.
void signal(const double& period_start, const double& period_end, const std::int32_t& last_index,
            double* samples, const double& cutoff_angle, const double& exponent) {
  const double c = std::cos((kPi * cutoff_angle) / 180.0);
  const double d = 1.0 - c;
  const std::int32_t count = last_index + 1;
  const double h = (period_end - period_start) / static_cast<double>(count);
  // A clipped sample is the power of +0, the same for every one of them: one call serves all.
  const double clipped = std::pow(0.0, exponent);
  for (std::int32_t i = 0; i <= last_index; ++i) {
    const double y = (std::cos(static_cast<double>(i) * h) - c) / d;
    samples[i] = y < 0.0 ? clipped : std::pow(y, exponent);
  }
}

}  // namespace ishsignal
