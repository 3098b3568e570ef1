// What a stage designer asks of the Berg coefficients for a given exponent: at which cut-off
// angle a harmonic is strongest, and at which angle the fundamental's g1 = alpha_1 / alpha_0
// takes a given value. Both search the Berg integrals themselves (integral::tangent), smooth
// functions of the angle, over the accepted angles, 4.9 to 180.1 degrees: each maximum and
// each angle is a true root of a smooth function, found to 1e-10 degree.
//
// Above 180 degrees every coefficient is that of 360 degrees less the angle, so the searches
// run from 4.9 to 180 degrees; a quantity still rising at 180 has its maximum there.
#pragma once

#include <optional>
#include <vector>

namespace design {

// A cut-off angle in degrees and the value a quantity takes there.
struct Peak {
  double angle;
  double value;
};

// The first maximum of a harmonic's signed alpha and of its gamma and, where a later maximum
// between 4.9 and 180.1 degrees is higher than the first, the highest one.
struct Optimum {
  int harmonic;
  Peak alpha;
  Peak gamma;
  std::optional<Peak> alpha_top = std::nullopt;
  std::optional<Peak> gamma_top = std::nullopt;
};

// For each of `harmonics` (1 to 9), the first maximum of alpha_n and of gamma_n (as
// berg::Result::gamma gives it, alpha_n (1 - cos theta)^exponent) as the angle rises from 4.9
// degrees: the first angle where the slope turns from rising to falling, or 180 degrees if it
// is still rising there (or flat up to it but for rounding, 1e-12), and the value at that
// angle, as berg::compute_exact gives it.
//
// The search scans the slopes every half degree, finds each change of sign by regula falsi to
// 1e-10 degree, and takes the values there from the integrals. About 3 ms an exponent for all
// nine harmonics.
std::vector<Optimum> optima(double exponent, const std::vector<int>& harmonics);

// The values g1 takes between 4.9 and 180.1 degrees.
struct Reach {
  double lowest;
  double highest;
};

Reach g1_reach(double exponent);

// The first cut-off angle, rising from 4.9 degrees, at which g1 equals `g1`; nothing where g1
// never takes that value. A value beyond the reach by less than the rounding of g1 to 5
// decimals, as the reach is printed (1.99854 for exponent 1, whose highest g1 is 1.998537...),
// is taken at that end of the reach: the range named is the range accepted, ends included.
std::optional<double> angle_for_g1(double exponent, double g1);

}  // namespace design
