// The Berg coefficients of one cut-off angle and exponent, as both programs compute and show
// them: one compute pass samples the pulse, analyses it, and derives from each harmonic's
// complex coefficient its modulus and its phase. compute_exact gives the same result from the
// integrals themselves.
#pragma once

#include <array>
#include <cmath>

#include "engine/nml1.h"

namespace berg {

// The cut-off angles (degrees) and exponents that both programs accept: a little wider than
// the 5 to 180 degrees and 1 to 5 that the dialogue's prompts state.
constexpr double kLowestAngle = 4.9;
constexpr double kHighestAngle = 180.1;
constexpr double kLowestExponent = 0.93;
constexpr double kHighestExponent = 5.01;

constexpr int kHarmonics = nml1::kHarmonics;

// The moduli of harmonics 0 to 9, then their phases in degrees: the form in which the report
// file takes a result.
using HarmonicTable = std::array<double, 2 * kHarmonics>;

// Derives each harmonic's modulus, and its phase in degrees cleaned up so that a real,
// symmetric pulse shows only 0.0 and 180.0: no phase for a modulus below 5e-8, 0 within 0.1
// degree of it, 180 within 0.1 degree of +-180.
HarmonicTable derive_table(const nml1::Coefficients& coefficients);

// The result of one compute pass, read by harmonic k = 0 to 9.
class Result {
 public:
  Result(double angle, double exponent, const HarmonicTable& table)
      : angle_(angle), exponent_(exponent), table_(table) {}

  double angle() const { return angle_; }
  double exponent() const { return exponent_; }
  double modulus(int k) const { return table_[k]; }
  double phase(int k) const { return table_[kHarmonics + k]; }
  // The coefficient with the sign handbooks give it: negative for a harmonic in opposite
  // phase (180 degrees).
  double signed_value(int k) const { return phase(k) == 180.0 ? -modulus(k) : modulus(k); }
  const HarmonicTable& table() const { return table_; }

  // The cosine of the cut-off angle, as the sampler computes it.
  double cos_theta() const;
  // gamma_k = alpha_k (1 - cos theta)^exponent, signed: harmonic k related to the drive, for
  // the device whose law gives this pulse, i = S (u - E')^exponent; per S U^exponent, U the
  // amplitude of the drive that the cut-off angle clips, instead of per the pulse's peak. For
  // exponent 1, alpha_k (1 - cos theta) exactly (the power of 1 is its base).
  double gamma(int k) const { return signed_value(k) * std::pow(1.0 - cos_theta(), exponent_); }
  // g_k = alpha_k / alpha_0, harmonic k related to the mean of the pulse.
  double g(int k) const { return signed_value(k) / signed_value(0); }
  // g1 = alpha_1 / alpha_0, the fundamental related to the mean of the pulse.
  double g1() const { return signed_value(1) / signed_value(0); }
  // The efficiency 1/2 xi g1 of a stage whose voltage utilisation is `xi`.
  double efficiency(double xi) const { return 0.5 * xi * g1(); }
  // The efficiency 1/2 xi g_k of a multiplier that takes harmonic k.
  double efficiency(double xi, int k) const { return 0.5 * xi * g(k); }
  // Harmonic k related to the fundamental, 20 log10(|alpha_k| / |alpha_1|) decibels; minus
  // infinity for a coefficient that is zero (below the modulus below which it has no phase).
  double level_db(int k) const;

 private:
  double angle_;
  double exponent_;
  HarmonicTable table_;
};

// One compute pass: samples the pulse cut off at `angle` degrees and raised to `exponent` on
// the grid, analyses it and derives the table.
Result compute(double angle, double exponent);

// The same result from the Berg integrals themselves (integral::coefficients), accurate to
// 1e-12: each modulus is |alpha_k|, its phase 180.0 where alpha_k is negative and 0.0
// otherwise, and no phase (0.0) below the modulus below which a compute pass gives none.
Result compute_exact(double angle, double exponent);

// The table of signed coefficients alpha_0 to alpha_9, as compute_exact derives it.
HarmonicTable exact_table(const std::array<double, kHarmonics>& alpha);

}  // namespace berg
