// What a stage designer asks of the Berg coefficients for a given exponent: at which cut-off
// angle a harmonic is strongest, and at which angle the fundamental's g1 = alpha_1 / alpha_0
// takes a given value. Both search the results of berg::compute over the accepted angles,
// 4.9 to 180.1 degrees, and give angles to a hundredth of a degree.
#pragma once

#include <optional>
#include <vector>

namespace design {

// A cut-off angle in degrees and the value a quantity takes there.
struct Peak {
  double angle;
  double value;
};

// The first maximum of a harmonic's signed alpha and of its gamma.
struct Optimum {
  int harmonic;
  Peak alpha;
  Peak gamma;
};

// For each of `harmonics` (1 to 9), the first maximum of alpha_n and of gamma_n as the angle
// rises from 4.9 degrees: the top of the first lobe, where a dip smaller than 0.00001 (the last
// printed digit) does not end a lobe. The results of 4096 samples have a kink wherever a sample
// crosses the cut-off, every 360/4096 degrees, so the search assumes no smoothness: it scans
// every tenth of a degree, then every hundredth around each tenth that comes within 0.00001 of
// the lobe's top.
std::vector<Optimum> optima(double exponent, const std::vector<int>& harmonics);

// The values g1 takes between 4.9 and 180.1 degrees.
struct Reach {
  double lowest;
  double highest;
};

Reach g1_reach(double exponent);

// The first cut-off angle, rising from 4.9 degrees, at which g1 equals `g1`, found between
// the tenths of a degree that bracket it; nothing where g1 never takes that value.
std::optional<double> angle_for_g1(double exponent, double g1);

}  // namespace design
