// The harmonic table shown on the results screen and saved to the report file.
#pragma once

#include <array>

#include "engine/nml1.h"

namespace dialogue {

// Column-major: the moduli of harmonics 0 to 9, then their phases in degrees.
using HarmonicTable = std::array<double, 20>;

// Derives every row k from coefficient k: the modulus, and the phase in degrees cleaned up so
// that a real, symmetric pulse shows only 0.0 and 180.0: no phase for a modulus below 5e-8,
// 0 for a phase within 0.1 degree of it, 180 for one within 0.1 degree of +-180.
HarmonicTable derive_table(const nml1::Coefficients& coefficients);

// One compute pass, the one both programs make: samples the pulse cut off at `angle` degrees
// and raised to `exponent` at 4096 points over one period, analyses it and derives the table.
HarmonicTable compute_table(double angle, double exponent);

}  // namespace dialogue
