#include "engine/ishsignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr std::int32_t kLastIndex = 4095;
constexpr int kCount = 4096;
using Samples = std::array<double, kCount>;

constexpr double kAcceptedAngles[] = {4.9, 5.0, 30.0, 90.0, 120.0, 179.9, 180.0, 180.1};
constexpr double kAcceptedExponents[] = {0.93, 1.0, 2.5, 5.0, 5.01};

Samples sample_pulse(double cutoff_angle, double exponent) {
  const double start = 0.0;
  const double end = 6.283185307179586;
  Samples samples;
  samples.fill(-1.0);  // a sample left unwritten fails every check below
  ishsignal::signal(start, end, kLastIndex, samples.data(), cutoff_angle, exponent);
  return samples;
}

// Degrees between sample i and the pulse's peak, the shorter way round.
double degrees_from_peak(int i) { return std::min(i, kCount - i) * 360.0 / kCount; }

// The pulse is cut where the cosine falls below that of the cut-off angle, so an angle above
// 180 cuts at 360 minus it, on the far side of the period.
double effective_cutoff(double cutoff_angle) {
  return cutoff_angle <= 180.0 ? cutoff_angle : 360.0 - cutoff_angle;
}

TEST(Signal, PeakIsExactlyOne) {
  for (double angle : kAcceptedAngles) {
    for (double exponent : kAcceptedExponents) {
      EXPECT_EQ(sample_pulse(angle, exponent)[0], 1.0) << angle << " " << exponent;
    }
  }
}

// Samples further from the peak than the cut-off are exactly +0, those nearer are positive.
// Samples within a millionth of a degree of the cut-off are left out: rounding decides them.
TEST(Signal, ClipsExactlyBeyondTheCutOff) {
  constexpr double kMargin = 1e-6;
  for (double angle : kAcceptedAngles) {
    for (double exponent : kAcceptedExponents) {
      const Samples samples = sample_pulse(angle, exponent);
      const double cutoff = effective_cutoff(angle);
      std::vector<int> wrong;
      for (int i = 0; i < kCount; ++i) {
        const double from_peak = degrees_from_peak(i);
        const bool clipped = samples[i] == 0.0 && !std::signbit(samples[i]);
        if (from_peak > cutoff + kMargin && !clipped) wrong.push_back(i);
        if (from_peak < cutoff - kMargin && !(samples[i] > 0.0)) wrong.push_back(i);
      }
      EXPECT_TRUE(wrong.empty()) << angle << " " << exponent << ": first wrong sample "
                                 << (wrong.empty() ? -1 : wrong.front());
    }
  }
}

TEST(Signal, CutOffAbove180ClipsOnlyTheMiddle) {
  for (double exponent : {1.0, 5.01}) {
    const Samples samples = sample_pulse(180.1, exponent);
    std::vector<int> zeros;
    for (int i = 0; i < kCount; ++i) {
      if (samples[i] == 0.0) zeros.push_back(i);
      if (samples[i] < 0.0) ADD_FAILURE() << "negative sample " << i;
    }
    EXPECT_EQ(zeros, (std::vector<int>{2047, 2048, 2049})) << exponent;
  }
}

}  // namespace
