#include "engine/network.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "engine/grid.h"

namespace network {

namespace {

using Complex = std::complex<double>;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool positive(double value) { return std::isfinite(value) && value > 0.0; }

Design refused(const Inputs& inputs, Refusal refusal) {
  Design design;
  design.refusal = refusal;
  design.form = inputs.form;
  return design;
}

Refusal refusal_of(Verdict verdict, Entry entry) {
  Refusal refusal;
  refusal.verdict = verdict;
  refusal.entry = entry;
  return refusal;
}

// The first entry the form uses that is given but not a positive number, or missing where the
// form needs it.
std::optional<Entry> not_positive(const Inputs& inputs) {
  const bool pi = inputs.form == Form::pi || inputs.form == Form::pi_l;
  const bool tank = inputs.form == Form::tank;
  const struct {
    Entry entry;
    std::optional<double> value;
    bool needed;
  } entries[] = {
      {Entry::frequency, inputs.frequency, true},
      {Entry::load, inputs.load, true},
      {Entry::antenna, inputs.antenna, true},
      {Entry::q, inputs.q, tank || (pi && !inputs.inductance)},
      {Entry::inductance, inputs.inductance, false},
      {Entry::q0, inputs.q0, false},
      {Entry::intermediate, inputs.intermediate, inputs.form == Form::pi_l},
      {Entry::impedance, inputs.impedance, tank},
      {Entry::device_capacitance, inputs.device_capacitance, false},
      {Entry::power, inputs.power, false},
  };
  for (const auto& [entry, value, needed] : entries) {
    if (value ? !positive(*value) : needed) return entry;
  }
  return std::nullopt;
}

// 1 / Q0: the coil's loss resistance over its reactance, 0 for no loss.
double loss_of(const Inputs& inputs) { return inputs.q0 ? 1.0 / *inputs.q0 : 0.0; }

Part part(Kind kind, Place place, double reactance, double loss, double omega) {
  const double value = kind == Kind::coil ? reactance / omega : -1.0 / (omega * reactance);
  return {kind, place, value, reactance, kind == Kind::coil ? loss * reactance : 0.0, 0.0, 0.0};
}

// A П is two L sections back to back. The input section, C1 across R1 with Q1 = R1 / X_C1,
// turns R1 into R' = R1 / (1 + Q1^2) in series with the coil; the output section, C2 across R2
// with Q2 = R2 / X_C2, turns R2 into R_v = R2 / (1 + Q2^2). The coil's reactance is
// Q1 R' + Q2 R_v and its loss resistance what R' has beyond R_v, so that with the loss
// 1 / Q0 = l, R' - R_v = l (Q1 R' + Q2 R_v), that is R' (1 - l Q1) = R_v (1 + l Q2).
struct Ends {
  double r1;
  double r2;
  double loss;
};

// Q2 that completes the input section of Q1, the larger root of
// t Q2^2 - R2 l Q2 + t - R2 = 0, t = R' (1 - l Q1): the root that is the lossless one as
// l goes to 0; the smaller one is a match the coil's loss alone makes, C2 all but absent.
// Infinite where t is not positive: the loss takes all that R' has.
double output_q(const Ends& ends, double q1) {
  const double t = ends.r1 / (1.0 + q1 * q1) * (1.0 - ends.loss * q1);
  if (!(t > 0.0)) return kInfinity;
  const double r2 = ends.r2, l = ends.loss;
  const double discriminant = std::max(0.0, r2 * r2 * l * l + 4.0 * t * (r2 - t));
  return (r2 * l + std::sqrt(discriminant)) / (2.0 * t);
}

// The least Q1 that an output section can complete: t is at most
// t_max = R2 (1 + sqrt(1 + l^2)) / 2, where the two roots meet; R1 (1 - l Q1) / (1 + Q1^2)
// falls as Q1 rises, so Q1 is the root of t_max Q1^2 + R1 l Q1 + t_max - R1 = 0, written
// without cancellation (sqrt(R1 / R2 - 1) without loss), or 0 where R1 is within t_max.
double least_q1(const Ends& ends) {
  const double r1 = ends.r1, l = ends.loss;
  const double t_max = ends.r2 * (1.0 + std::sqrt(1.0 + l * l)) / 2.0;
  if (r1 <= t_max) return 0.0;
  return 2.0 * (r1 - t_max) / (r1 * l + std::sqrt(r1 * r1 * l * l + 4.0 * t_max * (r1 - t_max)));
}

// Q2 at the least Q1: where that is above 0, the two roots of Q2 meet, at l / (1 + sqrt(1 + l^2))
// (taken so, as rounding makes the root of a vanishing discriminant anything up to 1e-8).
double least_q2(const Ends& ends, double least_q1) {
  const double l = ends.loss;
  return least_q1 > 0.0 ? l / (1.0 + std::sqrt(1.0 + l * l)) : output_q(ends, 0.0);
}

// Where `rising`, below 0 at `low` and above it at `high`, crosses 0, to the last bit.
template <typename Function>
double crossing(double low, double high, const Function& rising) {
  for (;;) {
    const double middle = low + (high - low) / 2.0;
    if (middle <= low || middle >= high) return middle;
    (rising(middle) < 0.0 ? low : high) = middle;
  }
}

// Q1 + Q2 rises with Q1 (Q2 does, as t falls), without bound as 1 - l Q1 goes to 0: the Q1
// that gives the sum q.
double q1_of_sum(const Ends& ends, double q) {
  const double high = ends.loss > 0.0 ? std::min(q, 1.0 / ends.loss) : q;
  return crossing(least_q1(ends), high, [&](double q1) { return q1 + output_q(ends, q1) - q; });
}

// The coil reactances x that a П can have: from R1 l / (1 + l^2), excluded, where Q2 has gone
// to infinity and Q1 to Q0, to the root of (1 + l^2) x^2 - l (R1 - R2) x - R1 R2 = 0, sqrt(R1
// R2) without loss.
struct Reach {
  double least;
  double most;
};
Reach coil_reach(const Ends& ends) {
  const double l = ends.loss, d = ends.r1 - ends.r2, square = 1.0 + l * l;
  const double most =
      (d * l + std::sqrt(d * d * l * l + 4.0 * square * ends.r1 * ends.r2)) / (2.0 * square);
  return {ends.r1 * l / square, most};
}

// Q1 of the П whose coil has reactance x. With Q1 = tan(u / 2) and Q2 = tan(v / 2),
// 2 Q1 R' = R1 sin u and 2 R' = R1 (1 + cos u), alike for the output section, so that the
// coil's reactance and loss resistance r = l x read R1 sin u + R2 sin v = 2 x and
// R1 cos u - R2 cos v = 2 r - R1 + R2: the point (2 r - R1 + R2, 2 x) is the sum of a vector R1
// at angle u and a vector R2 at angle pi - v, two sides of a triangle. Of its two foldings the
// one with the larger u, the higher Q, is taken: it gives a П for every x of the reach, the
// other only for the x nearest the most, with C2 all but absent.
double q1_of_coil(const Ends& ends, double x) {
  const double r1 = ends.r1, r2 = ends.r2;
  const double across = 2.0 * ends.loss * x - (r1 - r2);
  const double side = std::hypot(across, 2.0 * x);
  const double cosine = (side * side + r1 * r1 - r2 * r2) / (2.0 * r1 * side);
  const double u = std::atan2(2.0 * x, across) + std::acos(std::clamp(cosine, -1.0, 1.0));
  return std::tan(u / 2.0);
}

// The three parts of the П of Q1, matched exactly: C1 and R' from Q1, C2 and R_v from Q2, the
// coil's reactance and loss from both.
std::vector<Part> pi_parts(const Ends& ends, double q1, double omega) {
  const double q2 = output_q(ends, q1);
  const double r_in = ends.r1 / (1.0 + q1 * q1);
  const double r_v = ends.loss > 0.0 ? ends.r2 / (1.0 + q2 * q2) : r_in;
  const double coil = q1 * r_in + q2 * r_v;
  Part c1 = part(Kind::capacitor, Place::shunt, -ends.r1 / q1, 0.0, omega);
  Part inductor = part(Kind::coil, Place::series, coil, 0.0, omega);
  inductor.loss = r_in - r_v;
  Part c2 = part(Kind::capacitor, Place::shunt, -ends.r2 / q2, 0.0, omega);
  return {c1, inductor, c2};
}

struct PiChoice {
  std::optional<Refusal> refusal;
  double q1 = 0.0;
};

PiChoice choose_q1(const Inputs& inputs, const Ends& ends) {
  const double omega = grid::kTwoPi * inputs.frequency;
  if (inputs.inductance) {
    const double x = omega * *inputs.inductance;
    const Reach reach = coil_reach(ends);
    if (x <= reach.least || x > reach.most) {
      Refusal refusal = refusal_of(Verdict::inductance_unusable, Entry::inductance);
      refusal.least = reach.least / omega;
      refusal.most = reach.most / omega;
      return {refusal};
    }
    return {std::nullopt, q1_of_coil(ends, x)};
  }
  const double q = *inputs.q;
  const double least_input = least_q1(ends);
  const double least = inputs.definition == Definition::sum
                           ? least_input + least_q2(ends, least_input)
                           : least_input;
  if (q <= least) {
    Refusal refusal = refusal_of(Verdict::q_too_low, Entry::q);
    refusal.least = least;
    return {refusal};
  }
  if (inputs.definition == Definition::sum) return {std::nullopt, q1_of_sum(ends, q)};
  if (inputs.q0 && q >= *inputs.q0) {  // the loss would take all of R'
    Refusal refusal = refusal_of(Verdict::coil_too_lossy, Entry::q0);
    refusal.least = q;
    return {refusal};
  }
  return {std::nullopt, q};
}

// The Q a П's parts show in the definition asked for.
double pi_q(const std::vector<Part>& parts, const Ends& ends, Definition definition) {
  const double q1 = -ends.r1 / parts[0].reactance;
  return definition == Definition::input ? q1 : q1 - ends.r2 / parts[2].reactance;
}

// An L network's load-side part of reactance magnitude x: the device-side part cancels the
// reactance it leaves, and `miss` is how far what the device then sees is from R1 (as a
// conductance where the device-side part is across the device, as a resistance where it is in
// series), rising with x in the second case and falling in the first.
struct LTrial {
  Part device_side;
  Part load_side;
  double miss;
};

LTrial l_trial(const Inputs& inputs, double x, double omega) {
  const double l = loss_of(inputs), r1 = inputs.load, r2 = inputs.antenna;
  const bool shunt_first = r1 > r2;  // the series part on the lower side
  const bool low_pass = inputs.form == Form::l_low_pass;
  const Kind first = (low_pass != shunt_first) ? Kind::coil : Kind::capacitor;
  const Kind second = first == Kind::coil ? Kind::capacitor : Kind::coil;
  const double signed_x = second == Kind::coil ? x : -x;
  const Complex z(second == Kind::coil ? l * x : 0.0, signed_x);
  const Place near = shunt_first ? Place::shunt : Place::series;
  const Place far = shunt_first ? Place::series : Place::shunt;
  const Part load_side = part(second, far, signed_x, l, omega);
  // What the device-side part sees: an admittance behind a shunt part, an impedance behind a
  // series one. The device-side part's reactance cancels its imaginary part.
  const Complex w = shunt_first ? 1.0 / (r2 + z) : 1.0 / (1.0 / r2 + 1.0 / z);
  const double lossy = first == Kind::coil ? l : 0.0;
  if (shunt_first) {
    // A shunt coil of reactance X has admittance (l - j) / (X (1 + l^2)).
    const double reactance =
        first == Kind::coil ? 1.0 / ((1.0 + l * l) * w.imag()) : 1.0 / w.imag();
    return {part(first, near, reactance, l, omega), load_side,
            w.real() + lossy * w.imag() - 1.0 / r1};
  }
  const double reactance = -w.imag();
  return {part(first, near, reactance, l, omega), load_side,
          w.real() + lossy * std::fabs(reactance) - r1};
}

// The L network's load-side part found by bisection from the lossless one, whose magnitude
// is Q R_low in series or R_high / Q across, Q = sqrt(R_high / R_low - 1).
std::vector<Part> l_parts(const Inputs& inputs, double omega) {
  const double r1 = inputs.load, r2 = inputs.antenna;
  const double q = std::sqrt(std::max(r1, r2) / std::min(r1, r2) - 1.0);
  const double start = r1 > r2 ? q * r2 : r2 / q;
  const double rising = r1 > r2 ? -1.0 : 1.0;
  const auto miss = [&](double x) { return rising * l_trial(inputs, x, omega).miss; };
  double low = start, high = start;
  while (miss(low) >= 0.0) low /= 2.0;
  while (miss(high) <= 0.0) high *= 2.0;
  const LTrial trial = l_trial(inputs, crossing(low, high, miss), omega);
  return {trial.device_side, trial.load_side};
}

// One capacitor for two across the same node.
Part merged(const Part& one, const Part& other, double omega) {
  return part(Kind::capacitor, Place::shunt, 1.0 / (1.0 / one.reactance + 1.0 / other.reactance),
              0.0, omega);
}

struct Built {
  std::optional<Refusal> refusal;
  Design design;
};

Built build_pi(const Inputs& inputs, double r2) {
  const Ends ends{inputs.load, r2, loss_of(inputs)};
  const PiChoice choice = choose_q1(inputs, ends);
  if (choice.refusal) return {choice.refusal, {}};
  Design design;
  design.parts = pi_parts(ends, choice.q1, grid::kTwoPi * inputs.frequency);
  design.q = pi_q(design.parts, ends, inputs.definition);
  return {std::nullopt, design};
}

Built build_pi_l(const Inputs& inputs) {
  const double middle = *inputs.intermediate;
  if (middle <= inputs.antenna) {
    Refusal refusal = refusal_of(Verdict::ratio_not_taken, Entry::intermediate);
    refusal.least = inputs.antenna;
    return {refusal, {}};
  }
  Built built = build_pi(inputs, middle);
  if (built.refusal) return built;
  Inputs l_section = inputs;
  l_section.form = Form::l_low_pass;
  l_section.load = middle;
  const double omega = grid::kTwoPi * inputs.frequency;
  const std::vector<Part> section = l_parts(l_section, omega);
  std::vector<Part>& parts = built.design.parts;
  parts[2] = merged(parts[2], section[0], omega);
  parts.push_back(section[1]);
  return built;
}

// The tank: its coil of reactance X and loss l X, tuned by C so that the device sees a
// resistance, C = X / (omega rho^2) with rho^2 = L / C = X^2 (1 + l^2). The tank's own
// resistance is then rho^2 / (l X) = rho sqrt(1 + Q0^2), its unloaded Q sqrt(1 + Q0^2); loaded,
// R_t = Q rho, the load adding m^2 / R2 of conductance. The device on a tap p of the turns sees
// p^2 R_t.
Built build_tank(const Inputs& inputs) {
  const double l = loss_of(inputs), rho = *inputs.impedance, q = *inputs.q;
  if (inputs.q0 && q >= std::sqrt(1.0 + *inputs.q0 * *inputs.q0)) {
    Refusal refusal = refusal_of(Verdict::coil_too_lossy, Entry::q0);
    refusal.least = q > 1.0 ? std::sqrt((q - 1.0) * (q + 1.0)) : 0.0;
    return {refusal, {}};
  }
  const double r_t = q * rho;
  if (inputs.load > r_t) {
    Refusal refusal = refusal_of(Verdict::ratio_not_taken, Entry::load);
    refusal.most = r_t;
    return {refusal, {}};
  }
  const double omega = grid::kTwoPi * inputs.frequency;
  const double x = rho / std::sqrt(1.0 + l * l);
  Design design;
  design.parts = {part(Kind::capacitor, Place::shunt, -rho * rho / x, 0.0, omega),
                  part(Kind::coil, Place::shunt, x, l, omega)};
  design.q = q;
  design.tap = std::sqrt(inputs.load / r_t);
  design.coupling = std::sqrt(inputs.antenna * (1.0 / r_t - l * x / (rho * rho)));
  return {std::nullopt, design};
}

Built build(const Inputs& inputs) {
  switch (inputs.form) {
    case Form::pi:
      return build_pi(inputs, inputs.antenna);
    case Form::pi_l:
      return build_pi_l(inputs);
    case Form::tank:
      return build_tank(inputs);
    case Form::l_low_pass:
    case Form::l_high_pass:
      break;
  }
  if (inputs.load == inputs.antenna) {
    Refusal refusal = refusal_of(Verdict::ratio_not_taken, Entry::load);
    refusal.least = refusal.most = inputs.antenna;
    return {refusal, {}};
  }
  Design design;
  design.parts = l_parts(inputs, grid::kTwoPi * inputs.frequency);
  design.q = std::sqrt(
      std::max(inputs.load, inputs.antenna) / std::min(inputs.load, inputs.antenna) - 1.0);
  return {std::nullopt, design};
}

// The device's own capacitance taken out of the capacitor across it: the tank's, on the tap,
// is p^2 times larger there.
std::optional<Refusal> take_device_capacitance(Design& design, double capacitance, double omega) {
  Part& first = design.parts.front();
  const double tap_squared = design.tap * design.tap;
  const bool across = first.kind == Kind::capacitor && first.place == Place::shunt;
  const double room = across ? first.value / tap_squared : 0.0;
  if (capacitance >= room) {
    Refusal refusal = refusal_of(Verdict::capacitance_too_large, Entry::device_capacitance);
    refusal.most = room;
    return refusal;
  }
  first = part(Kind::capacitor, Place::shunt,
               -1.0 / (omega * (first.value - tap_squared * capacitance)), 0.0, omega);
  design.device_capacitance = capacitance;
  return std::nullopt;
}

bool held(const Design& design) {
  for (const Part& part : design.parts) {
    if (!std::isnormal(part.value) || !std::isnormal(part.reactance) || !std::isfinite(part.loss))
      return false;
  }
  return std::isnormal(design.tap) && std::isnormal(design.coupling);
}

struct Element {
  Place place;
  Complex z;
};

// The network at `ratio` times f as the device sees it: its own capacitance, then each part,
// a tank's referred to the tap (p^2 its impedance); the load last.
std::vector<Element> elements(const Design& design, double ratio) {
  const double omega = grid::kTwoPi * design.frequency * ratio;
  std::vector<Element> out;
  if (design.device_capacitance > 0.0)
    out.push_back({Place::shunt, Complex(0.0, -1.0 / (omega * design.device_capacitance))});
  const double referred = design.tap * design.tap;
  for (const Part& part : design.parts) {
    const double x = part.kind == Kind::coil ? part.reactance * ratio : part.reactance / ratio;
    out.push_back({part.place, referred * Complex(part.loss, x)});
  }
  return out;
}

double referred_load(const Design& design) {
  return design.antenna * (design.tap * design.tap) / (design.coupling * design.coupling);
}

// The ladder driven by a unit current: the voltage across and the current through each
// element, and the voltage on the load, all as the device sees them.
struct Flow {
  Complex impedance;
  std::vector<Complex> voltage;
  std::vector<Complex> current;
  Complex load_voltage;
};

Flow flow(const std::vector<Element>& elements, double load) {
  const std::size_t count = elements.size();
  std::vector<Complex> beyond(count + 1);  // the impedance from each element on
  beyond[count] = load;
  for (std::size_t i = count; i-- > 0;) {
    const Complex z = elements[i].z;
    beyond[i] = elements[i].place == Place::shunt ? 1.0 / (1.0 / z + 1.0 / beyond[i + 1])
                                                  : z + beyond[i + 1];
  }
  Flow out{beyond[0], std::vector<Complex>(count), std::vector<Complex>(count), {}};
  Complex current = 1.0;
  Complex voltage = beyond[0];
  for (std::size_t i = 0; i < count; ++i) {
    if (elements[i].place == Place::shunt) {
      out.voltage[i] = voltage;
      out.current[i] = voltage / elements[i].z;
      current = voltage / beyond[i + 1];
    } else {
      out.current[i] = current;
      out.voltage[i] = current * elements[i].z;
      voltage = current * beyond[i + 1];
    }
  }
  out.load_voltage = voltage;
  return out;
}

// Each part's voltage and current, the load's power and the coils' at the power given.
void add_stress(Design& design) {
  const Flow at_f = flow(elements(design, 1.0), referred_load(design));
  design.efficiency =
      std::norm(at_f.load_voltage) / (referred_load(design) * at_f.impedance.real());
  if (design.power == 0.0) return;
  const double drive = std::sqrt(2.0 * design.power / at_f.impedance.real());
  const std::size_t first = design.device_capacitance > 0.0 ? 1 : 0;
  for (std::size_t i = 0; i < design.parts.size(); ++i) {
    Part& part = design.parts[i];
    part.peak_voltage = drive * std::abs(at_f.voltage[first + i]) / design.tap;
    const double peak_current = drive * std::abs(at_f.current[first + i]) * design.tap;
    part.rms_current = peak_current / std::sqrt(2.0);
    design.coil_loss += 0.5 * peak_current * peak_current * part.loss;
  }
  design.load_power = 0.5 * drive * drive * std::norm(at_f.load_voltage) / referred_load(design);
}

}  // namespace

Design design(const Inputs& inputs) {
  if (const std::optional<Entry> entry = not_positive(inputs))
    return refused(inputs, refusal_of(Verdict::not_positive, *entry));
  Built built = build(inputs);
  if (built.refusal) return refused(inputs, *built.refusal);
  Design& design = built.design;
  design.form = inputs.form;
  design.definition = inputs.definition;
  design.frequency = inputs.frequency;
  design.antenna = inputs.antenna;
  design.power = inputs.power.value_or(0.0);
  if (inputs.device_capacitance) {
    const double omega = grid::kTwoPi * inputs.frequency;
    if (const std::optional<Refusal> refusal =
            take_device_capacitance(design, *inputs.device_capacitance, omega))
      return refused(inputs, *refusal);
  }
  if (!held(design)) return refused(inputs, refusal_of(Verdict::beyond_numbers, Entry::frequency));
  add_stress(design);
  return design;
}

bool works(const Design& design) { return design.refusal.verdict == Verdict::works; }

double chain_efficiency(const Design& design, double stage_efficiency) {
  return stage_efficiency * design.efficiency;
}

Response response(const Design& design, double ratio) {
  const Flow at = flow(elements(design, ratio), referred_load(design));
  return {at.impedance, at.load_voltage * (design.coupling / design.tap)};
}

std::vector<Harmonic> harmonics(const Design& design, const std::vector<double>& currents,
                                int wanted) {
  const double at_f = std::abs(response(design, 1.0).transfer);
  std::vector<Harmonic> out;
  for (std::size_t n = 1; n < currents.size(); ++n) {
    const double ratio = static_cast<double>(n) / wanted;
    const double transfer = std::abs(response(design, ratio).transfer);
    const double voltage = currents[n] * transfer;
    out.push_back({static_cast<int>(n), 0.5 * voltage * voltage / design.antenna, 0.0,
                   20.0 * std::log10(at_f / transfer)});
  }
  const double wanted_power = out[wanted - 1].power;
  for (Harmonic& harmonic : out)
    harmonic.level_db = 10.0 * std::log10(harmonic.power / wanted_power);
  return out;
}

Check check(const std::vector<Harmonic>& harmonics, int wanted, double limit_db) {
  Check out{true, 0, kInfinity};
  for (const Harmonic& harmonic : harmonics) {
    if (harmonic.n == wanted) continue;
    const double margin = -harmonic.level_db - limit_db;
    if (margin < out.margin_db) out = {margin >= 0.0, harmonic.n, margin};
  }
  return out;
}

std::optional<double> limit_db(Rule rule, double power, double frequency) {
  switch (rule) {
    case Rule::below_30_mhz:
      if (frequency < 30e6) return 43.0;
      break;
    case Rule::by_power:
      return std::min(43.0 + 10.0 * std::log10(power), 50.0);
    case Rule::from_30_to_225_mhz:
      if (frequency >= 30e6 && frequency <= 225e6) return 60.0;
      break;
  }
  return std::nullopt;
}

}  // namespace network
