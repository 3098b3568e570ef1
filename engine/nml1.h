// Direct Fourier analysis of the sampled pulse: the constant term and harmonics 1 to 9.
#pragma once

#include <array>
#include <complex>
#include <cstdint>

namespace nml1 {

constexpr int kHarmonics = 10;
using Coefficients = std::array<std::complex<double>, kHarmonics>;

// Sums the n samples against e^(-i phi) for each harmonic k = 0 to 9, phi = 2 pi k j / n, and
// scales the sums so that each modulus is the harmonic's amplitude related to the pulse's
// peak: 1/n for the constant term, 2/n for the others.
void dft1(const std::int32_t& n, const double* samples, Coefficients& coefficients);

}  // namespace nml1
