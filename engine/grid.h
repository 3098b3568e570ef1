// The grid every compute pass samples and analyses: one period of the pulse at 4096 points.
// The sampler and the analysis keep tables for this grid alone, so everything that samples
// or analyses takes these numbers from here.
#pragma once

#include <cstdint>

namespace grid {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

constexpr double kPeriodStart = 0.0;
constexpr double kPeriodEnd = kTwoPi;
constexpr std::int32_t kSampleCount = 4096;
constexpr std::int32_t kLastIndex = kSampleCount - 1;

}  // namespace grid
