// Sampling of one period of the normalised cut-off cosine pulse.
#pragma once

#include <cstdint>

namespace ishsignal {

// Writes samples[0] to samples[last_index]: sample i is the pulse at the angle i * h from its
// peak, h being the period divided by last_index + 1. The pulse is (cos - c) / (1 - c) with c
// the cosine of the cut-off angle (degrees), clipped at 0 and raised to `exponent`.
void signal(const double& period_start, const double& period_end, const std::int32_t& last_index,
            double* samples, const double& cutoff_angle, const double& exponent);

}  // namespace ishsignal
