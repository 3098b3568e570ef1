// A whole amplifier or frequency-multiplier stage from its Berg coefficients: from the supply
// voltage, the output power at harmonic n and the cut-off angle, the load, the currents, the
// efficiency, the heat to carry away and, where the device's law is known, the drive.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/sweep.h"

namespace stage {

// The device's law i = S (u - E')^p, which gives the pulse of exponent p.
struct Device {
  double slope;   // S, amperes per volt to the power p
  double cutoff;  // E', volts
};

// What the designer gives. Exactly one of `xi` and `saturation` is set.
struct Inputs {
  double supply = 0.0;               // E, volts
  double power = 0.0;                // P_n at harmonic n, watts
  int harmonic = 1;                  // n: 1 for an amplifier, 2 to 9 for a multiplier
  std::optional<double> xi;          // the voltage utilisation
  std::optional<double> saturation;  // S_cr of the saturation line, amperes per volt
  std::optional<Device> device;      // for the drive
};

// Each number the designer gives, as a refusal names the one at fault.
enum class Input { supply, power, xi, saturation, slope, cutoff };

// The number given for `input`; nothing where it was not given.
std::optional<double> value_of(const Inputs& inputs, Input input);

// Why a stage cannot be made at an angle.
enum class Verdict {
  works,
  no_harmonic,     // alpha_n is zero or negative there: the pulse gives no such harmonic
  too_much,        // the critical regime cannot give the power there
  beyond_numbers,  // a value of the stage there would be infinite, not a number, or too close
                   // to 0 for a double to hold its digits: an input is too large or too small
};

// The input that puts a value of the stage beyond the doubles: of those the value depends on,
// the one furthest from 1 in order of magnitude.
struct Fault {
  Input input;
  bool too_large;  // or too small
};

// What is known of the stage at one angle; all zero but the verdict (and the most power, or
// the fault) where none can be made there.
struct Design {
  Verdict verdict;
  double most_power;  // for too_much: the most that angle can give, alpha_n S_cr E^2 / 8
  Fault fault;        // for beyond_numbers
  double xi;          // the voltage utilisation
  double u_m;         // the amplitude of the voltage of harmonic n, xi E
  double i_mn;        // the amplitude of the current of harmonic n, 2 P_n / U_m
  double i_max;       // the pulse's peak, I_mn / alpha_n
  double i_0;         // the direct current, alpha_0 I_max
  double p_0;         // the power drawn from the supply, E I_0
  double p_n;         // the output power
  double eta;         // the efficiency P_n / P_0
  double p_diss;      // the power the device dissipates, P_0 - P_n
  double r_e;         // the load resistance, U_m / I_mn
  double u_peak;      // the peak voltage on the device, E (1 + xi)
  double u_drive;     // with a device: the drive amplitude U_g
  double e_bias;      // with a device: the bias E' - U_g cos theta
};

// Below this alpha_n counts as zero: the Berg integral is true to about 1e-12.
constexpr double kLeastCoefficient = 1e-9;

// The stage at cut-off angle `angle` (degrees) of a pulse of `exponent` whose coefficients
// there are alpha_0 and alpha_n.
Design design(const Inputs& inputs, double angle, double exponent, double alpha_0, double alpha_n);

bool works(const Design& design);

struct Row {
  double angle;
  Design design;
};

// The stage at each angle of a range for a pulse of one exponent.
struct Block {
  double exponent;
  std::vector<Row> rows;
};

// The stage at each of the first `count` angles of `range` for a pulse of `exponent`, from the
// true Berg integral's coefficients.
Block over_range(const Inputs& inputs, const sweep::Range& range, std::int64_t count,
                 double exponent);

}  // namespace stage
