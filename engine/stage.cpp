#include "engine/stage.h"

#include <cmath>
#include <limits>
#include <utility>

#include "engine/grid.h"
#include "engine/integral.h"

namespace stage {

namespace {

// The critical regime: the peak I_max = S_cr E (1 - xi) gives I_mn = alpha_n I_max and so
// P_n = 1/2 alpha_n S_cr E^2 xi (1 - xi), of which the larger root is taken; the power is at
// most alpha_n S_cr E^2 / 8, at xi = 1/2. Nothing when the power is beyond that.
std::optional<double> critical_xi(const Inputs& inputs, double alpha_n) {
  const double load =
      8.0 * inputs.power / (alpha_n * *inputs.saturation * inputs.supply * inputs.supply);
  if (load > 1.0) return std::nullopt;
  return 0.5 * (1.0 + std::sqrt(1.0 - load));
}

// What the rounding of an angle in degrees, and of pi, leaves of its cosine, with a margin
// for the few roundings of from + i * step.
constexpr double kCosineNoise = 1e-14;

// The drive amplitude and bias that bring the device's law to its cut-off E' at the cut-off
// angle theta and to the peak I_max at the top, t = 0, where the output is at E - U_m:
//   E_bias + U_g cos theta + D (E - U_m cos n theta) = E',
//   E_bias + U_g + D (E - U_m) - E' = (I_max / S)^(1/p),
// so that U_g (1 - cos theta) = (I_max / S)^(1/p) + D U_m (1 - cos n theta). For an amplifier,
// n = 1, the drive takes in D U_m and the bias D E, as the textbooks have it.
void add_drive(const Inputs& inputs, double angle, double exponent, Design& design) {
  const Device& device = *inputs.device;
  const double theta = (grid::kPi * angle) / 180.0;
  const double cos_theta = std::cos(theta);
  const double cos_n_theta = std::cos(inputs.harmonic * theta);
  const double d = device.permeance;
  const double control = std::pow(design.i_max / device.slope, 1.0 / exponent);
  design.u_drive = (control + d * design.u_m * (1.0 - cos_n_theta)) / (1.0 - cos_theta);
  design.e_bias =
      device.cutoff - d * inputs.supply - design.u_drive * cos_theta + d * design.u_m * cos_n_theta;
  // Near 90 degrees cos theta is no truer than the angle's own rounding (a few 1e-16), and so
  // is cos n theta near its zeros: a bias below what that leaves of the terms that make it is
  // none, not a value to print to four digits.
  const double terms =
      std::fabs(device.cutoff) + d * inputs.supply + design.u_drive + d * design.u_m;
  if (std::fabs(design.e_bias) < kCosineNoise * terms) design.e_bias = 0.0;
}

constexpr unsigned bit(Input input) { return 1U << static_cast<unsigned>(input); }

constexpr unsigned kSupply = bit(Input::supply), kPower = bit(Input::power), kXi = bit(Input::xi),
                   kSaturation = bit(Input::saturation), kSlope = bit(Input::slope),
                   kCutoff = bit(Input::cutoff);
constexpr Input kEveryInput[] = {Input::supply,     Input::power, Input::xi,
                                 Input::saturation, Input::slope, Input::cutoff};

// A value of the stage, the inputs whose size it follows (the critical regime's xi, from 1/2
// to 1, follows none), whether it is above 0 whatever they are, so that a 0 there is an
// underflow, and whether it is the drive's.
struct Checked {
  double Design::*value;
  unsigned inputs;
  bool positive;
  bool drive;
};
constexpr Checked kChecked[] = {
    {&Design::xi, kXi | kSupply | kPower | kSaturation, true, false},
    {&Design::u_m, kSupply | kXi, true, false},
    {&Design::i_mn, kPower | kSupply | kXi, true, false},
    {&Design::i_max, kPower | kSupply | kXi, true, false},
    {&Design::i_0, kPower | kSupply | kXi, true, false},
    {&Design::p_0, kPower | kSupply | kXi, true, false},
    {&Design::p_n, kPower, true, false},
    {&Design::eta, kXi, true, false},
    {&Design::p_diss, kPower | kSupply | kXi, true, false},
    {&Design::r_e, kSupply | kXi | kPower, true, false},
    {&Design::u_peak, kSupply, true, false},
    {&Design::u_drive, kPower | kSupply | kXi | kSlope, true, true},
    {&Design::e_bias, kCutoff, false, true},
};

// A double holds a value with all its digits when it is finite and, where the value cannot
// be 0, not below the least normal double.
bool held(double value, bool positive) {
  return positive ? std::isnormal(value) && value > 0.0 : std::isfinite(value);
}

Fault fault_among(const Inputs& inputs, unsigned among) {
  Fault fault{Input::supply, false};
  double furthest = -1.0;
  for (Input input : kEveryInput) {
    const std::optional<double> value = value_of(inputs, input);
    if ((among & bit(input)) == 0 || !value) continue;
    const double distance = std::fabs(std::log10(std::fabs(*value)));
    if (distance > furthest) {
      furthest = distance;
      fault = {input, std::fabs(*value) > 1.0};
    }
  }
  return fault;
}

// The input at fault where a value of the design is beyond the doubles.
std::optional<Fault> fault_of(const Inputs& inputs, const Design& design) {
  for (const Checked& checked : kChecked) {
    if (checked.drive && !inputs.device) continue;
    if (!held(design.*checked.value, checked.positive)) return fault_among(inputs, checked.inputs);
  }
  return std::nullopt;
}

Design beyond_numbers(const Fault& fault) {
  Design design{};
  design.verdict = Verdict::beyond_numbers;
  design.fault = fault;
  return design;
}

// A value this little above a rating keeps it: a regime placed on a rating, as the best
// regime is, has values a few roundings off it.
constexpr double kRatingRounding = 1e-12;

// The ratings that a stage breaks.
LimitSet broken_ratings(const Inputs& inputs, const Design& design) {
  LimitSet broken;
  for (Limit limit : kEveryLimit) {
    if (limit == Limit::saturation) continue;
    const std::optional<double> rating = rating_of(inputs, limit);
    if (rating && bounded_value(inputs, design, limit) > *rating * (1.0 + kRatingRounding)) {
      broken.add(limit);
    }
  }
  return broken;
}

}  // namespace

std::optional<double> value_of(const Inputs& inputs, Input input) {
  switch (input) {
    case Input::supply:
      return inputs.supply;
    case Input::power:
      return inputs.power;
    case Input::xi:
      return inputs.xi;
    case Input::saturation:
      return inputs.saturation;
    case Input::slope:
      if (inputs.device) return inputs.device->slope;
      break;
    case Input::cutoff:
      if (inputs.device) return inputs.device->cutoff;
      break;
  }
  return std::nullopt;
}

std::optional<double> rating_of(const Inputs& inputs, Limit limit) {
  switch (limit) {
    case Limit::dissipation:
      return inputs.limits.dissipation;
    case Limit::peak_current:
      return inputs.limits.peak_current;
    case Limit::voltage:
      return inputs.limits.voltage;
    case Limit::direct_current:
      return inputs.limits.direct_current;
    case Limit::saturation:
      break;
  }
  return inputs.saturation;
}

double bounded_value(const Inputs& inputs, const Design& design, Limit limit) {
  switch (limit) {
    case Limit::dissipation:
      return design.p_diss;
    case Limit::peak_current:
      return design.i_max;
    case Limit::voltage:
      return design.u_peak;
    case Limit::direct_current:
      return design.i_0;
    case Limit::saturation:
      break;
  }
  const double least_voltage = inputs.supply * (1.0 - design.xi);
  if (!(least_voltage > 0.0)) return std::numeric_limits<double>::infinity();
  return design.i_max / least_voltage;
}

Design design(const Inputs& inputs, double angle, double exponent, double alpha_0, double alpha_n) {
  Design design{};
  if (!(alpha_n >= kLeastCoefficient)) {
    design.verdict = Verdict::no_harmonic;
    return design;
  }
  if (inputs.xi) {
    design.xi = *inputs.xi;
  } else if (const std::optional<double> xi = critical_xi(inputs, alpha_n)) {
    design.xi = *xi;
  } else {
    design.verdict = Verdict::too_much;
    design.most_power = alpha_n * *inputs.saturation * inputs.supply * inputs.supply / 8.0;
    if (!held(design.most_power, true))
      return beyond_numbers(fault_among(inputs, kSupply | kSaturation));
    return design;
  }
  const double e = inputs.supply;
  design.p_n = inputs.power;
  design.u_m = design.xi * e;
  design.i_mn = 2.0 * design.p_n / design.u_m;
  design.i_max = design.i_mn / alpha_n;
  design.i_0 = alpha_0 * design.i_max;
  design.p_0 = e * design.i_0;
  design.eta = design.p_n / design.p_0;
  design.p_diss = design.p_0 - design.p_n;
  design.r_e = design.u_m / design.i_mn;
  design.u_peak = e * (1.0 + design.xi);
  if (inputs.device) add_drive(inputs, angle, exponent, design);
  if (const std::optional<Fault> fault = fault_of(inputs, design)) return beyond_numbers(*fault);
  design.broken = broken_ratings(inputs, design);
  if (!design.broken.empty()) design.verdict = Verdict::limit_broken;
  return design;
}

bool works(const Design& design) { return design.verdict == Verdict::works; }

Block over_range(const Inputs& inputs, const sweep::Range& range, std::int64_t count,
                 double exponent) {
  Block block{exponent, {}};
  for (std::int64_t i = 0; i < count; ++i) {
    const double angle = sweep::angle_at(range, i);
    const integral::Coefficients alpha = integral::coefficients(angle, exponent);
    block.rows.push_back(
        {angle, design(inputs, angle, exponent, alpha[0], alpha[inputs.harmonic])});
  }
  return block;
}

Limits least_ratings(const Inputs& inputs, const Block& block) {
  Limits least;
  const std::pair<Limit, std::optional<double> Limits::*> ratings[] = {
      {Limit::dissipation, &Limits::dissipation},
      {Limit::peak_current, &Limits::peak_current},
      {Limit::voltage, &Limits::voltage},
      {Limit::direct_current, &Limits::direct_current}};
  for (const Row& row : block.rows) {
    for (const auto& [limit, rating] : ratings) {
      LimitSet alone;
      alone.add(limit);
      if (row.design.verdict != Verdict::limit_broken || !(row.design.broken == alone)) continue;
      const double value = bounded_value(inputs, row.design, limit);
      if (!(least.*rating) || value < *(least.*rating)) least.*rating = value;
    }
  }
  return least;
}
}  // namespace stage
