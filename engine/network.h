// The output network between a stage's device and its load (the antenna): the П (pi) network,
// the L network, the П-L and the parallel tank with the device on a tap. Each is designed to
// present the resistance R1 (the stage's R_e) to the device at the frequency f when loaded by
// R2. With the coil's unloaded Q0 the coil's loss is part of that match: the network still
// presents R1 exactly, and passes on to the load what the loss leaves of the power.
//
// The device is a current source: each harmonic of its current reaches the load through the
// network's exact transfer at that harmonic's frequency, the coil's loss resistance being the
// same at every frequency as at f.
#pragma once

#include <complex>
#include <optional>
#include <vector>

namespace network {

// For the L networks, the series part goes on the side of the lower resistance: low-pass, a
// series coil and a shunt capacitor; high-pass, a series capacitor and a shunt coil.
enum class Form { pi, l_low_pass, l_high_pass, pi_l, tank };

// What the loaded Q of a П is: R1 / X_C1, the older handbooks' Q; or Q1 + Q2, the Qs of the
// two L sections the П is made of, back to back through a virtual resistance below both R1 and
// R2 (amateur handbooks since the mid-1990s).
enum class Definition { input, sum };

struct Inputs {
  Form form = Form::pi;
  double frequency = 0.0;  // f, hertz
  double load = 0.0;       // R1, ohms: what the device is to see, the stage's R_e
  double antenna = 50.0;   // R2, ohms
  Definition definition = Definition::sum;
  // The loaded Q of a П (a П-L's П) or of the tank.
  std::optional<double> q = std::nullopt;
  // Henries: the coil of a П (a П-L's П), given instead of q.
  std::optional<double> inductance = std::nullopt;
  // The coil's unloaded Q at f; none for a coil without loss.
  std::optional<double> q0 = std::nullopt;
  // П-L: the resistance between the П and the L, ohms, above R2.
  std::optional<double> intermediate = std::nullopt;
  // Tank: its characteristic impedance sqrt(L / C), ohms.
  std::optional<double> impedance = std::nullopt;
  // Farads: the device's own capacitance across its output.
  std::optional<double> device_capacitance = std::nullopt;
  // Watts into the network, for the parts' voltages and currents.
  std::optional<double> power = std::nullopt;
};

// Each number given, as a refusal names the one at fault.
enum class Entry {
  frequency,
  load,
  antenna,
  q,
  inductance,
  q0,
  intermediate,
  impedance,
  device_capacitance,
  power
};

// Why no network is made, with the bounds that the refusal names.
enum class Verdict {
  works,
  // The entry is missing where the form needs it, or not a positive finite number.
  not_positive,
  // `least`: the least Q, itself refused. For a П without loss sqrt(R1 / R2 - 1) as R1 / X_C1 (0
  // for R1 below R2), sqrt(R_high / R_low - 1) as Q1 + Q2; lower with a lossy coil, whose loss
  // then does part of the transformation.
  q_too_low,
  // `least`: the least Q0, itself refused: the loss would take all the power.
  coil_too_lossy,
  // `least` (itself refused) to `most` henries can match.
  inductance_unusable,
  // `most`: the device's capacitance must be below the capacitance the network has across
  // the device (0 where it has none there).
  capacitance_too_large,
  // The entry gives a ratio the form cannot take, and `can` takes it: an L network's load equal
  // to R2 (`least` and `most` R2), a П-L's intermediate resistance not above R2 (`least`), a
  // tank's load above Q rho (`most`).
  ratio_not_taken,
  // A part's value or reactance is beyond the doubles (no entry named).
  beyond_numbers,
};

struct Refusal {
  Verdict verdict = Verdict::works;
  Entry entry = Entry::frequency;
  double least = 0.0;
  double most = 0.0;
  Form can = Form::pi;
};

enum class Kind { capacitor, coil };
enum class Place { shunt, series };

struct Part {
  Kind kind;
  Place place;
  double value;         // farads or henries of the part to fit (a capacitor at the device less
                        // the device's own capacitance)
  double reactance;     // ohms at f: negative for a capacitor
  double loss;          // a coil's series resistance, ohms, X / Q0
  double peak_voltage;  // across it, volts, at the power given (0 without)
  double rms_current;   // through it, amperes, at the power given (0 without)
};

struct Design {
  Refusal refusal;
  Form form = Form::pi;
  Definition definition = Definition::sum;  // of `q`, for a П and a П-L
  double q = 0.0;  // the loaded Q: of the П in `definition`, of the tank, or the ratio's
                   // sqrt(R_high / R_low - 1) for an L network
  double frequency = 0.0;
  double antenna = 0.0;
  double device_capacitance = 0.0;  // farads, 0 without
  std::vector<Part> parts;          // from the device towards the load
  double tap = 1.0;                 // tank: the device's tap, a fraction of the coil's turns
  double coupling = 1.0;            // tank: the load's voltage over the tank's
  double efficiency = 0.0;          // the power into the load over the power into the network
  double power = 0.0;               // into the network, as given (0 without)
  double load_power = 0.0;          // into the load, at `power`
  double coil_loss = 0.0;           // in the coils, at `power`
};

Design design(const Inputs& inputs);

bool works(const Design& design);

// The efficiency of the whole chain, the stage's (its output over what it draws) times the
// network's.
double chain_efficiency(const Design& design, double stage_efficiency);

// The network at `ratio` times f: the impedance the device sees, and the voltage on the load
// for a unit current from the device (ohms).
struct Response {
  std::complex<double> impedance;
  std::complex<double> transfer;
};
Response response(const Design& design, double ratio);

// Harmonic n of the device's current, of amplitude `currents[n]` amperes, at the load: the
// network being tuned to harmonic `wanted`, harmonic n is at n / wanted times f.
struct Harmonic {
  int n;
  double power;           // watts into the load
  double level_db;        // relative to the wanted harmonic's power into the load; -inf for none
  double attenuation_db;  // the network's own: the loss at this frequency relative to f for
                          // the same current, 20 log10 |transfer(1) / transfer(n / wanted)|
};

// Harmonics 1 to currents.size() - 1, `wanted` among them (currents[0], the direct current,
// does not pass).
std::vector<Harmonic> harmonics(const Design& design, const std::vector<double>& currents,
                                int wanted);

// Whether every harmonic but the wanted one is at least `limit_db` below it: the worst one
// (0 where there is none) and by how much it is below the limit (negative: above it).
struct Check {
  bool passes;
  int worst;
  double margin_db;
};
Check check(const std::vector<Harmonic>& harmonics, int wanted, double limit_db);

// Limits on harmonics at the antenna: 43 dB below 30 MHz; 43 + 10 log10(P) dB (P in watts)
// but no more than 50 dB; 60 dB from 30 to 225 MHz. Nothing outside a limit's band.
enum class Rule { below_30_mhz, by_power, from_30_to_225_mhz };
std::optional<double> limit_db(Rule rule, double power, double frequency);

}  // namespace network
