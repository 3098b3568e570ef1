// The output networks: published designs, the transfer against a chain-matrix analysis of the
// parts written here, the power balance and the match at f over a grid, each refusal, and the
// harmonics' levels and limits.
#include "engine/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

using network::Definition;
using network::Form;
using network::Inputs;
using network::Verdict;
using Complex = std::complex<double>;

constexpr double kTwoPi = 6.283185307179586;

Inputs pi(double r1, double q, Definition definition = Definition::sum) {
  Inputs inputs;
  inputs.frequency = 7e6;
  inputs.load = r1;
  inputs.q = q;
  inputs.definition = definition;
  return inputs;
}

// Each part's value as published and the unit of its last digit; the network's efficiency
// likewise where one is published (unit 0: none).
struct Published {
  Inputs inputs;
  std::vector<std::pair<double, double>> values;
  std::pair<double, double> efficiency = {0, 0};
};

// I. White, G3SEK, "[AMPS] Pi-Net math", amps list, 4 Aug 1999
// (lists.contesting.com/pipermail/amps/1999-August/012584.html): 2000 to 50 ohms at 7 MHz,
// Q = 10, by the ARRL Handbook formula since 1995 (Q1 + Q2) and by the one quoted there with
// X_C1 = R1 / Q. Forum analogtrx.com, topics 687 and 753 (index.php?topic=687.msg72106,
// ?topic=753.0): П networks from a given coil whose Q0 is 250, with their efficiency.
// theprimecalculator.com, "L-Network Impedance Matching", worked example: 50 to 200 ohms at
// 100 MHz, a series capacitor and a shunt coil.
TEST(Network, PublishedDesigns) {
  const Published cases[] = {
      {pi(2000, 10), {{102.1e-12, 0.1e-12}, {5.57e-6, 0.01e-6}, {463.9e-12, 0.1e-12}}},
      {pi(2000, 10, Definition::input), {{114e-12, 1e-12}, {5.06e-6, 0.01e-6}, {562e-12, 1e-12}}},
      {{.frequency = 7e6, .load = 1000, .antenna = 75.7, .inductance = 3e-6, .q0 = 250},
       {{213.010e-12, 0.001e-12}, {3e-6, 1e-9}, {738.782e-12, 0.001e-12}},
       {0.95315, 0.00001}},
      {{.frequency = 10e6, .load = 500, .inductance = 1.447e-6, .q0 = 250},
       {{219.625e-12, 0.001e-12}, {1.447e-6, 1e-9}, {639.698e-12, 0.001e-12}},
       {0.96465, 0.00001}},
      {{.form = Form::l_high_pass, .frequency = 100e6, .load = 50, .antenna = 200},
       {{18.38e-12, 0.01e-12}, {183.8e-9, 0.1e-9}}},
  };
  for (const Published& c : cases) {
    const network::Design d = network::design(c.inputs);
    ASSERT_TRUE(network::works(d)) << c.inputs.load;
    ASSERT_EQ(d.parts.size(), c.values.size());
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      const auto [value, unit] = c.values[i];
      EXPECT_NEAR(d.parts[i].value, value, 0.5 * unit) << c.inputs.load << " part " << i;
    }
    if (c.efficiency.second > 0) {
      EXPECT_NEAR(d.efficiency, c.efficiency.first, 0.5 * c.efficiency.second) << c.inputs.load;
    }
  }
}

// The chain matrix [[A, B], [C, D]] of two-ports in cascade: V1 = A V2 + B I2, I1 = C V2 + D I2.
struct Chain {
  Complex a = 1, b = 0, c = 0, d = 1;
  void then(Complex a2, Complex b2, Complex c2, Complex d2) {
    *this = {a * a2 + b * c2, a * b2 + b * d2, c * a2 + d * c2, c * b2 + d * d2};
  }
};

// The network at `ratio` times f from its parts, the tank's taps as ideal transformers:
// the impedance at the device and the load's voltage per unit current.
std::pair<Complex, Complex> by_chain(const network::Design& d, double ratio) {
  const double omega = kTwoPi * d.frequency * ratio;
  Chain chain;
  if (d.device_capacitance > 0) chain.then(1, 0, Complex(0, omega * d.device_capacitance), 1);
  chain.then(d.tap, 0, 0, 1 / d.tap);
  for (const network::Part& part : d.parts) {
    const Complex z = part.kind == network::Kind::coil ? Complex(part.loss, omega * part.value)
                                                       : Complex(0, -1 / (omega * part.value));
    if (part.place == network::Place::series) {
      chain.then(1, z, 0, 1);
    } else {
      chain.then(1, 0, 1.0 / z, 1);
    }
  }
  chain.then(1 / d.coupling, 0, 0, d.coupling);
  const double r2 = d.antenna;
  return {(chain.a * r2 + chain.b) / (chain.c * r2 + chain.d), r2 / (chain.c * r2 + chain.d)};
}

bool near(Complex a, Complex b, double scale) { return std::abs(a - b) <= 1e-9 * scale; }

// A design at 100 W: it presents R1 at f; its transfer at f and at harmonics above and below
// it is the chain's; each coil keeps its Q0; the power into the network is the load's and the
// coils', the load's as the chain has it. A П's C1 has R1's voltage, C2 the load's, the coil the
// current of both, and the Q asked for is its parts'; a tank has the device's voltage over the
// tap.
void check_design(const Inputs& in) {
  const double r1 = in.load, q0 = in.q0.value_or(0), q = *in.q;
  const network::Design d = network::design(in);
  ASSERT_TRUE(network::works(d));
  EXPECT_TRUE(near(network::response(d, 1.0).impedance, r1, r1));
  for (double ratio : {0.5, 1.0, 2.0, 3.0, 9.0}) {
    const auto [z, transfer] = by_chain(d, ratio);
    const network::Response r = network::response(d, ratio);
    EXPECT_TRUE(near(r.impedance, z, std::abs(z))) << ratio;
    EXPECT_TRUE(near(r.transfer, transfer, std::abs(transfer))) << ratio;
  }
  for (const network::Part& part : d.parts) {
    if (part.kind == network::Kind::coil) {
      EXPECT_NEAR(part.loss, q0 > 0 ? part.reactance / q0 : 0.0, 1e-12 * part.reactance);
    }
  }
  const double efficiency = std::norm(by_chain(d, 1.0).second) / (d.antenna * r1);
  EXPECT_NEAR(d.efficiency, efficiency, 1e-9);
  EXPECT_NEAR(d.load_power, 100 * efficiency, 1e-9);
  EXPECT_NEAR(d.load_power + d.coil_loss, 100.0, 1e-9);
  if (in.form == Form::pi) {
    const double v1 = std::sqrt(200 * r1), v2 = std::sqrt(2 * d.load_power * 50);
    EXPECT_NEAR(d.parts[0].peak_voltage, v1, 1e-9 * v1);
    EXPECT_NEAR(d.parts[2].peak_voltage, v2, 1e-9 * v2);
    const double coil = v2 * std::abs(Complex(1 / 50.0, -1 / d.parts[2].reactance));
    EXPECT_NEAR(d.parts[1].rms_current, coil / std::sqrt(2), 1e-9 * coil);
    const double omega = kTwoPi * 7e6;
    const double q1 = r1 * omega * (d.parts[0].value + d.device_capacitance);
    const double q2 = 50 * omega * d.parts[2].value;
    if (in.inductance) {
      EXPECT_NEAR(d.parts[1].value, *in.inductance, 1e-9 * *in.inductance);
    } else {
      EXPECT_NEAR(in.definition == Definition::input ? q1 : q1 + q2, q, 1e-9 * q);
    }
  }
  if (in.form == Form::tank) {
    const double v = std::sqrt(2 * 100 * q * 200);
    EXPECT_NEAR(d.parts[0].peak_voltage, v, 1e-9 * v);
  }
}

// Over the forms, loads from 5 to 2000 ohms, loaded Qs and coils with and without loss, the
// device's capacitance where the network has a capacitor across it.
TEST(Network, TransferMatchAndPowerOverAGrid) {
  for (Form form : {Form::pi, Form::l_low_pass, Form::l_high_pass, Form::pi_l, Form::tank}) {
    for (double r1 : {5.0, 300.0, 2000.0}) {
      for (double q : {12.0, 30.0}) {
        for (double q0 : {0.0, 60.0, 400.0}) {
          for (int variant = 0; variant < 3; ++variant) {  // sum, input, a given coil
            SCOPED_TRACE(testing::Message()
                         << int(form) << " " << r1 << " " << q << " " << q0 << " " << variant);
            Inputs in = pi(r1, q, variant == 1 ? Definition::input : Definition::sum);
            in.form = form;
            in.intermediate = 120;
            in.impedance = 200;
            in.power = 100;
            if (q0 > 0) in.q0 = q0;
            if (variant == 2) in.inductance = 0.8 * std::sqrt(r1 * 50) / (kTwoPi * 7e6);
            if (form != Form::l_high_pass && (r1 > 50 || form != Form::l_low_pass))
              in.device_capacitance = 10e-12;
            check_design(in);
          }
        }
      }
    }
  }
}

// Each refusal: 2000 to 50 ohms at 7 MHz unless changed.
TEST(Network, Refusals) {
  using network::Entry;
  constexpr double f = 7e6;
  const double c1 = network::design(pi(2000, 10)).parts[0].value;
  const struct {
    Inputs inputs;
    network::Refusal refusal;
  } cases[] = {
      {{.frequency = 0, .load = 2000, .q = 10}, {Verdict::not_positive, Entry::frequency}},
      {{.frequency = f, .load = 2000}, {Verdict::not_positive, Entry::q}},
      {{.frequency = f, .load = 2000, .q = 10, .q0 = -3}, {Verdict::not_positive, Entry::q0}},
      {{.frequency = f, .load = 2000, .inductance = NAN},
       {Verdict::not_positive, Entry::inductance}},
      {{.frequency = f, .load = 2000, .q = 6}, {Verdict::q_too_low, Entry::q, std::sqrt(39.0)}},
      {{.frequency = f, .load = 5, .q = 2}, {Verdict::q_too_low, Entry::q, 3}},
      {{.frequency = f, .load = 2000, .definition = Definition::input, .q = 12, .q0 = 11},
       {Verdict::coil_too_lossy, Entry::q0, 12}},
      {{.frequency = f, .load = 2000, .inductance = 8e-6},
       {Verdict::inductance_unusable, Entry::inductance, 0, std::sqrt(2000.0 * 50) / (kTwoPi * f)}},
      {{.frequency = f, .load = 2000, .q = 10, .device_capacitance = c1},
       {Verdict::capacitance_too_large, Entry::device_capacitance, 0, c1}},
      {{.form = Form::l_low_pass, .frequency = f, .load = 50},
       {Verdict::ratio_not_taken, Entry::load, 50, 50, Form::pi}},
      {{.form = Form::pi_l, .frequency = f, .load = 2000, .q = 10, .intermediate = 40},
       {Verdict::ratio_not_taken, Entry::intermediate, 50, 0, Form::pi}},
      {{.form = Form::tank, .frequency = f, .load = 2000, .q = 9, .impedance = 200},
       {Verdict::ratio_not_taken, Entry::load, 0, 1800, Form::pi}},
      {{.form = Form::tank, .frequency = f, .load = 2000, .q = 12, .q0 = 11, .impedance = 200},
       {Verdict::coil_too_lossy, Entry::q0, std::sqrt(143.0)}},
      {{.frequency = 1e-310, .load = 2000, .q = 10}, {Verdict::beyond_numbers, Entry::frequency}},
  };
  for (const auto& [inputs, refusal] : cases) {
    const network::Refusal r = network::design(inputs).refusal;
    EXPECT_EQ(r.verdict, refusal.verdict) << int(refusal.verdict);
    EXPECT_EQ(r.entry, refusal.entry) << int(refusal.verdict);
    EXPECT_NEAR(r.least, refusal.least, 1e-12 * refusal.least) << int(refusal.verdict);
    EXPECT_NEAR(r.most, refusal.most, 1e-12 * refusal.most) << int(refusal.verdict);
    EXPECT_EQ(r.can, refusal.can);
  }
}

// A doubler's П at 14 MHz fed by the harmonics of a 90 degree pulse of exponent 1 (alpha_1 =
// 1/2, alpha_2 = 2 / (3 pi), alpha_3 = 0, alpha_4 = -2 / (15 pi)): each harmonic's level is its
// current's against harmonic 2 less the chain's attenuation at n / 2 times f.
TEST(Network, HarmonicsAtTheLoad) {
  const double pi_ = kTwoPi / 2;
  Inputs in = pi(1000, 12);
  in.frequency = 14e6;
  in.q0 = 200;
  const network::Design d = network::design(in);
  const std::vector<double> currents = {1 / pi_, 0.5, 2 / (3 * pi_), 0.0, -2 / (15 * pi_)};
  const std::vector<network::Harmonic> h = network::harmonics(d, currents, 2);
  ASSERT_EQ(h.size(), 4u);
  for (const network::Harmonic& harmonic : h) {
    const double attenuation = 20 * std::log10(std::abs(by_chain(d, 1).second) /
                                               std::abs(by_chain(d, harmonic.n / 2.0).second));
    EXPECT_NEAR(harmonic.attenuation_db, attenuation, 1e-9) << harmonic.n;
    const double current_db = 20 * std::log10(std::fabs(currents[harmonic.n] / currents[2]));
    if (currents[harmonic.n] == 0) {
      EXPECT_EQ(harmonic.level_db, -INFINITY);
    } else {
      EXPECT_NEAR(harmonic.level_db, current_db - attenuation, 1e-9) << harmonic.n;
    }
  }
  EXPECT_NEAR(h[1].power, 0.5 * std::norm(currents[2] * by_chain(d, 1).second) / 50, 1e-12);
}

// The worst harmonic but the wanted one, passing at its limit exactly.
TEST(Network, CheckAgainstALimit) {
  const std::vector<network::Harmonic> h = {
      {1, 0, -40, 0}, {2, 0, 0, 0}, {3, 0, -50, 0}, {4, 0, -INFINITY, 0}};
  const struct {
    double limit;
    network::Check check;
  } cases[] = {{40, {true, 1, 0}}, {40.5, {false, 1, -0.5}}, {30, {true, 1, 10}}};
  for (const auto& c : cases) {
    const network::Check check = network::check(h, 2, c.limit);
    EXPECT_EQ(check.passes, c.check.passes) << c.limit;
    EXPECT_EQ(check.worst, c.check.worst) << c.limit;
    EXPECT_EQ(check.margin_db, c.check.margin_db) << c.limit;
  }
}

// With a lossy coil (Q0 = 20, 2000 to 50 ohms) the least Q and the coils that match are where
// the designs end: the least Q1 is where R1 (1 - Q1 / Q0) / (1 + Q1^2), what the output section
// must turn R2 into, reaches its most, R2 (1 + sqrt(1 + 1 / Q0^2)) / 2; just above it, and at
// the most inductance, the network is made and presents R1.
TEST(Network, TheBoundsOfALossyCoil) {
  Inputs in = pi(2000, 1, Definition::input);
  in.q0 = 20;
  const double least = network::design(in).refusal.least;
  EXPECT_NEAR(2000 * (1 - least / 20) / (1 + least * least), 25 * (1 + std::sqrt(1.0025)), 1e-12);
  in.inductance = 1;
  const network::Refusal coil = network::design(in).refusal;
  ASSERT_EQ(coil.verdict, Verdict::inductance_unusable);
  // The least coil is Q1 = Q0 with Q2 infinite, X = R1 Q0 / (1 + Q0^2); the most closes the
  // triangle of the sections flat: (2 X / Q0 - R1 + R2)^2 + (2 X)^2 = (R1 + R2)^2.
  const double x = kTwoPi * 7e6 * coil.most;
  EXPECT_NEAR(kTwoPi * 7e6 * coil.least, 2000.0 * 20 / 401, 1e-9);
  EXPECT_NEAR(std::pow(x / 10 - 1950, 2) + 4 * x * x, 2050.0 * 2050, 1e-6);
  in.inductance.reset();
  for (Definition definition : {Definition::input, Definition::sum}) {
    in.definition = definition;
    const double least_q = network::design(in).refusal.least;
    in.q = least_q;  // refused at the least itself
    EXPECT_EQ(network::design(in).refusal.verdict, Verdict::q_too_low);
    in.q = least_q * (1 + 1e-9);
    EXPECT_TRUE(near(network::response(network::design(in), 1).impedance, 2000, 2000));
  }
  for (double henries : {coil.most, coil.least * 1.001}) {
    in.inductance = henries;
    EXPECT_TRUE(near(network::response(network::design(in), 1).impedance, 2000, 2000)) << henries;
  }
  in.inductance = coil.most * (1 + 1e-12);
  EXPECT_EQ(network::design(in).refusal.verdict, Verdict::inductance_unusable);
}

TEST(Network, LimitsOfTheRules) {
  using network::Rule;
  const struct {
    Rule rule;
    double power, frequency;
    std::optional<double> limit;
  } cases[] = {
      {Rule::below_30_mhz, 100, 29.9e6, 43.0},
      {Rule::below_30_mhz, 100, 30e6, std::nullopt},
      {Rule::by_power, 2, 7e6, 43 + 10 * std::log10(2.0)},
      {Rule::by_power, 6, 144e6, 50.0},
      {Rule::from_30_to_225_mhz, 1, 30e6, 60.0},
      {Rule::from_30_to_225_mhz, 1, 225e6, 60.0},
      {Rule::from_30_to_225_mhz, 1, 226e6, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(network::limit_db(c.rule, c.power, c.frequency), c.limit);
}

}  // namespace
