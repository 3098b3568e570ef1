// A whole amplifier or frequency-multiplier stage from its Berg coefficients: from the supply
// voltage, the output power at harmonic n and the cut-off angle, the load, the currents, the
// efficiency, the heat to carry away, which of the device's ratings it breaks and, where the
// device's law is known, the drive.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/sweep.h"

namespace stage {

// The device's law i = S (u_g + D u_a - E')^p, which gives the pulse of exponent p: u_g the
// drive's voltage, u_a the voltage on the device's output. The permeance D is the output's
// share in the control (a tube's 1/mu); 0 for a device the output does not steer.
struct Device {
  double slope;            // S, amperes per volt to the power p
  double cutoff;           // E', volts
  double permeance = 0.0;  // D, from 0 to below 1
};

// The device's ratings: each one given is a bound the stage must keep.
struct Limits {
  std::optional<double> dissipation = std::nullopt;     // P_diss at most, watts
  std::optional<double> peak_current = std::nullopt;    // I_max at most, amperes
  std::optional<double> voltage = std::nullopt;         // the peak E (1 + xi) at most, volts
  std::optional<double> direct_current = std::nullopt;  // I_0 at most, amperes
};

// What the designer gives. Exactly one of `xi` and `saturation` is set.
struct Inputs {
  double supply = 0.0;               // E, volts
  double power = 0.0;                // P_n at harmonic n, watts
  int harmonic = 1;                  // n: 1 for an amplifier, 2 to 9 for a multiplier
  std::optional<double> xi;          // the voltage utilisation
  std::optional<double> saturation;  // S_cr of the saturation line, amperes per volt
  std::optional<Device> device;      // for the drive
  Limits limits = {};
};

// Each number the designer gives, as a refusal names the one at fault.
enum class Input { supply, power, xi, saturation, slope, cutoff };

// The number given for `input`; nothing where it was not given.
std::optional<double> value_of(const Inputs& inputs, Input input);

// What bounds a stage: each of the device's ratings, and the saturation line, along which
// the critical regime's peak current is S_cr E (1 - xi).
enum class Limit { dissipation, peak_current, voltage, direct_current, saturation };

constexpr Limit kEveryLimit[] = {Limit::dissipation, Limit::peak_current, Limit::voltage,
                                 Limit::direct_current, Limit::saturation};

// Which limits a stage breaks, or which bind a regime.
class LimitSet {
 public:
  void add(Limit limit) { bits_ |= bit(limit); }
  bool has(Limit limit) const { return (bits_ & bit(limit)) != 0; }
  bool empty() const { return bits_ == 0; }
  bool operator==(const LimitSet&) const = default;

 private:
  static unsigned bit(Limit limit) { return 1U << static_cast<unsigned>(limit); }
  unsigned bits_ = 0;
};

// Why a stage cannot be made at an angle.
enum class Verdict {
  works,
  no_harmonic,     // alpha_n is zero or negative there: the pulse gives no such harmonic
  too_much,        // the critical regime cannot give the power there
  beyond_numbers,  // a value of the stage there would be infinite, not a number, or too close
                   // to 0 for a double to hold its digits: an input is too large or too small
  limit_broken,    // a value of the stage there is above a rating of the device
};

// The input that puts a value of the stage beyond the doubles: of those the value depends on,
// the one furthest from 1 in order of magnitude.
struct Fault {
  Input input;
  bool too_large;  // or too small
};

// What is known of the stage at one angle; all zero but the verdict (and the most power, or
// the fault) where none can be made there, but for a broken rating: the stage is all there,
// so that a front end can show by how much it breaks which ratings.
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
  // With a device: the drive u_g = E_bias + U_g cos t that, with u_a = E - U_m cos nt on the
  // output, brings the law to E' at the cut-off angle and to I_max at the top, t = 0.
  double u_drive;   // the drive amplitude U_g
  double e_bias;    // the bias E_bias
  LimitSet broken;  // for limit_broken: the ratings the stage breaks
};

// The bound `limit` puts on the stage: the rating given, or S_cr for the saturation line;
// nothing where it is not given.
std::optional<double> rating_of(const Inputs& inputs, Limit limit);

// What of the stage `limit` bounds: the dissipated power, the peak current, the peak voltage,
// the direct current, and for the saturation line the slope I_max / (E (1 - xi)) that the
// line must have to reach the stage's peak (infinite at xi = 1 and above).
double bounded_value(const Inputs& inputs, const Design& design, Limit limit);

// Below this alpha_n counts as zero: the Berg integral is true to about 1e-12.
constexpr double kLeastCoefficient = 1e-9;

// The stage at cut-off angle `angle` (degrees) of a pulse of `exponent` whose coefficients
// there are alpha_0 and alpha_n. A stage above a rating of the inputs' limits breaks it (the
// saturation line is no rating here: the critical regime sits on it, and a stage given xi
// knows no line). With a permeance, the output's voltage at harmonic n > 1 bends the pulse
// between its top and its cut-off away from the Berg pulse's shape, as far as D U_m counts
// beside the drive; the drive puts both ends where the stage's figures have them.
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

// For each rating given, the least that would let a row of the block work, the rest unchanged:
// the least value it bounds among the rows that break it alone. Nothing where no row does;
// nothing for the saturation line, which is no rating of a row.
Limits least_ratings(const Inputs& inputs, const Block& block);

}  // namespace stage
