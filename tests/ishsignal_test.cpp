#include "engine/ishsignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/grid.h"

namespace {

constexpr int kCount = grid::kSampleCount;
using Samples = std::array<double, kCount>;

Samples sample_pulse(double cutoff_angle, double exponent) {
  Samples samples;
  samples.fill(-1.0);  // a sample left unwritten fails every check below
  ishsignal::signal(grid::kPeriodStart, grid::kPeriodEnd, grid::kLastIndex, samples.data(),
                    cutoff_angle, exponent);
  return samples;
}

// Sample i lies i / 4096 of a turn from the peak. It is +0 beyond the cut-off (an angle above 180
// cuts at 360 minus it) and positive inside; samples within a millionth of a degree of the
// cut-off are left to rounding. The peak is exactly 1, and the exponent is the power of the
// samples of exponent 1.
TEST(Signal, PeakClippingStepAndExponent) {
  for (double angle : {4.9, 30.0, 90.0, 179.9, 180.0, 180.1}) {
    const Samples linear = sample_pulse(angle, 1.0);
    for (double exponent : {0.93, 2.0, 5.01}) {
      const Samples samples = sample_pulse(angle, exponent);
      EXPECT_EQ(samples[0], 1.0) << angle << " " << exponent;
      const double cutoff = std::min(angle, 360.0 - angle);
      int wrong = 0;
      for (int i = 0; i < kCount; ++i) {
        const double from_peak = std::min(i, kCount - i) * 360.0 / kCount;
        const bool clipped = samples[i] == 0.0 && !std::signbit(samples[i]);
        if (from_peak > cutoff + 1e-6 && !clipped) ++wrong;
        if (from_peak < cutoff - 1e-6 && !(samples[i] > 0.0)) ++wrong;
        if (samples[i] != std::pow(linear[i], exponent)) ++wrong;
      }
      EXPECT_EQ(wrong, 0) << angle << " " << exponent;
    }
  }
}

}  // namespace
