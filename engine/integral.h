// The Berg coefficients as the integrals they are, without sampling: the constant term and
// harmonics 1 to 9 of the continuous pulse
//
//   f(t) = ((cos t - cos theta) / (1 - cos theta))^p  for |t| < theta, 0 elsewhere, period 2 pi,
//
// alpha_0 = (1/pi) integral_0^theta f dt and alpha_n = (2/pi) integral_0^theta f cos(nt) dt,
// with their signs. The values are accurate to 1e-12 absolute (within 6e-15 of every closed
// form the tests know) for every angle from 4.9 to 180.1 degrees and exponent from 0.93 to
// 5.01.
//
// The integrand goes as (theta - t)^p at the cut-off, which no rule for smooth functions
// integrates well: the quadrature is the double-exponential (tanh-sinh) rule on the whole
// pulse, -theta to theta, whose nodes crowd towards the cut-off, each carrying its distance to
// the cut-off exactly, and cos t - cos theta is taken as 2 sin((theta + t)/2) sin((theta - t)/2),
// which loses nothing near t = theta, also where theta is close to 180 degrees and the first
// factor nearly vanishes. All ten harmonics share the nodes: cos nt by recurrence.
#pragma once

#include <array>

namespace integral {

constexpr int kHarmonics = 10;

// alpha_0 to alpha_9, signed.
using Coefficients = std::array<double, kHarmonics>;

// The coefficients of the pulse cut off at `angle` degrees, 0 < angle < 360, and raised to
// `exponent` > 0 (accurate as stated for 0.93 and above). Above 180 degrees the pulse is that
// of 360 - angle, whose cosine is the same.
Coefficients coefficients(double angle, double exponent);

// The coefficients with what a search for their extrema needs: the rate of change of each
// with the cut-off angle theta (in radians), divided by sin theta. Every alpha_n has zero slope
// at 180 degrees, where the pulse of theta and of 360 - theta meet; divided by sin theta, the
// slope stays finite and continuous there and keeps the sign of the slope below 180 degrees, so
// its roots are the extrema of alpha_n and its sign at 180 tells whether alpha_n ends on a
// maximum. The slopes take a few more nodes than the values, for the pulse's derivative goes
// as (theta - t)^(p - 1) at the cut-off.
struct Tangent {
  Coefficients alpha;
  Coefficients slope_over_sine;
};

Tangent tangent(double angle, double exponent);

// The number of nodes (one side of the symmetric rule) at which `coefficients` evaluates the
// pulse.
int node_count();

}  // namespace integral
