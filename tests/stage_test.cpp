// A whole stage from its Berg coefficients: each design holds the relations of a stage that
// define it, the critical regime gives its power exactly up to its limit, and the drive
// brings the device's law to the pulse's peak.
#include "engine/stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "engine/grid.h"
#include "engine/sweep.h"

namespace {

using stage::Verdict;

constexpr double kPi = grid::kPi;

struct Case {
  double angle, exponent, alpha_0, alpha_n;
  stage::Inputs inputs;
};

// Exponent 1 at 90 degrees (alpha_0 = 1/pi, alpha_1 = 1/2, alpha_2 = 2/(3 pi)) and at 120
// degrees (Berg's closed forms), an amplifier and a doubler, given xi or the critical regime.
const Case kCases[] = {
    {90, 1, 1 / kPi, 0.5, {12.5, 8, 1, std::nullopt, 1.0, stage::Device{0.5, 0.6}}},
    {90, 1, 1 / kPi, 2 / (3 * kPi), {1000, 100, 2, 0.9, std::nullopt, std::nullopt}},
    {120, 1, 0.405998, 0.536330, {24, 30, 1, 0.95, std::nullopt, stage::Device{2, -1}}},
    {60, 1.5, 0.18, 0.25, {50, 5, 2, std::nullopt, 0.2, stage::Device{0.01, 2}}},
};

TEST(Stage, EachDesignHoldsTheRelationsOfAStage) {
  for (const Case& c : kCases) {
    const stage::Design d = stage::design(c.inputs, c.angle, c.exponent, c.alpha_0, c.alpha_n);
    ASSERT_EQ(d.verdict, Verdict::works) << c.angle;
    const double e = c.inputs.supply;
    EXPECT_NEAR(0.5 * d.u_m * d.i_mn, c.inputs.power, 1e-12 * c.inputs.power);
    EXPECT_NEAR(d.u_m, d.xi * e, 1e-12 * e);
    EXPECT_NEAR(d.i_mn, c.alpha_n * d.i_max, 1e-12 * d.i_mn);
    EXPECT_NEAR(d.i_0, c.alpha_0 * d.i_max, 1e-12 * d.i_0);
    EXPECT_NEAR(d.eta, 0.5 * d.xi * c.alpha_n / c.alpha_0, 1e-12);
    EXPECT_NEAR(d.p_0, d.p_n + d.p_diss, 1e-12 * d.p_0);
    EXPECT_NEAR(d.r_e * d.i_mn, d.u_m, 1e-12 * d.u_m);
    EXPECT_NEAR(d.u_peak, e + d.u_m, 1e-12 * e);
    if (c.inputs.saturation) {  // the peak sits on the saturation line
      EXPECT_NEAR(d.i_max, *c.inputs.saturation * (e - d.u_m), 1e-9 * d.i_max);
      EXPECT_GE(d.xi, 0.5);  // the larger root: the regime of the higher efficiency
    }
    if (c.inputs.device) {  // the law gives the peak at the top of the drive
      const double cos_theta = std::cos(c.angle * kPi / 180);
      const stage::Device& device = *c.inputs.device;
      const double top = d.e_bias + d.u_drive - device.cutoff;
      EXPECT_NEAR(device.slope * std::pow(top, c.exponent), d.i_max, 1e-12 * d.i_max);
      EXPECT_NEAR(d.e_bias + d.u_drive * cos_theta, device.cutoff, 1e-12 * d.u_drive);
    }
  }
}

// E = 12.5 V, S_cr = 1 A/V, 90 degrees, exponent 1: at most alpha_1 S_cr E^2 / 8 = 9.765625 W,
// given at xi = 1/2; beyond it the angle refuses. A harmonic the pulse lacks (alpha_3 at 90
// degrees) or has in opposite phase refuses too.
TEST(Stage, TheLimitsOfTheCriticalRegimeAndOfTheHarmonic) {
  stage::Inputs inputs{12.5, 9.765625, 1, std::nullopt, 1.0, std::nullopt};
  const stage::Design at_limit = stage::design(inputs, 90, 1, 1 / kPi, 0.5);
  EXPECT_EQ(at_limit.verdict, Verdict::works);
  EXPECT_DOUBLE_EQ(at_limit.xi, 0.5);
  inputs.power = 9.7657;
  const stage::Design beyond = stage::design(inputs, 90, 1, 1 / kPi, 0.5);
  EXPECT_EQ(beyond.verdict, Verdict::too_much);
  EXPECT_DOUBLE_EQ(beyond.most_power, 9.765625);
  for (double alpha_n : {0.0, 1e-17, -0.04244}) {
    EXPECT_EQ(stage::design(inputs, 90, 1, 1 / kPi, alpha_n).verdict, Verdict::no_harmonic);
  }
}

// A value of the stage that a double cannot hold (an infinity, a NaN, an underflow) refuses the
// angle, naming the input furthest from 1 among those the value follows: at 90 degrees,
// exponent 1, 2 P / U_m overflows, the critical regime's load is inf / inf, its most power
// underflows, R_e = U_m / I_mn underflows, P_0 - P_n underflows, I_max / S overflows.
TEST(Stage, ValuesBeyondTheDoublesNameTheInputAtFault) {
  using stage::Input;
  const std::pair<stage::Inputs, stage::Fault> cases[] = {
      {{12.5, 1e308, 1, 1.0, std::nullopt, std::nullopt}, {Input::power, true}},
      {{1e308, 1e308, 1, std::nullopt, 1e308, std::nullopt}, {Input::supply, true}},
      {{1e-300, 1, 1, std::nullopt, 1.0, std::nullopt}, {Input::supply, false}},
      {{12.5, 8, 1, 1e-300, std::nullopt, std::nullopt}, {Input::xi, false}},
      {{1, 2.5e-308, 1, 1.0, std::nullopt, std::nullopt}, {Input::power, false}},
      {{12.5, 8, 1, 1.0, std::nullopt, stage::Device{1e-310, 0}}, {Input::slope, false}},
  };
  for (const auto& [inputs, fault] : cases) {
    const stage::Design d = stage::design(inputs, 90, 1, 1 / kPi, 0.5);
    ASSERT_EQ(d.verdict, Verdict::beyond_numbers) << inputs.supply;
    EXPECT_EQ(d.fault.input, fault.input) << inputs.supply;
    EXPECT_EQ(d.fault.too_large, fault.too_large) << inputs.supply;
  }
}

// Class B from a device cut off at 0 V: at 90 degrees, and at the 90 degrees of a sweep that
// rounding puts a little off it, the bias is none, not what the rounding of cos theta leaves;
// a thousandth of a degree away it is the bias of that angle.
TEST(Stage, NoBiasAtNinetyDegreesFromACutOffAtZero) {
  const stage::Inputs inputs{12.5, 8, 1, 1.0, std::nullopt, stage::Device{0.5, 0.0}};
  const double swept = sweep::angle_at({4.9, 180.1, 0.1}, 851);
  ASSERT_NE(swept, 90.0);
  for (double angle : {90.0, swept, 90.001}) {
    const stage::Design d = stage::design(inputs, angle, 1, 1 / kPi, 0.5);
    EXPECT_EQ(d.verdict, Verdict::works) << angle;  // a bias of 0 or below is a bias
    EXPECT_EQ(d.e_bias, angle == 90.001 ? -d.u_drive * std::cos(angle * kPi / 180) : 0.0) << angle;
  }
}

// The amplifier of the first case in the critical regime: a rating a millionth below what the
// stage needs is broken, and named alone, with the stage's values kept; at what it needs the
// rating is kept; all four below are all four named.
TEST(Stage, EachRatingBrokenIsNamed) {
  using stage::Limit;
  const Case& c = kCases[0];
  const stage::Design free = stage::design(c.inputs, c.angle, c.exponent, c.alpha_0, c.alpha_n);
  const std::pair<Limit, std::optional<double> stage::Limits::*> ratings[] = {
      {Limit::dissipation, &stage::Limits::dissipation},
      {Limit::peak_current, &stage::Limits::peak_current},
      {Limit::voltage, &stage::Limits::voltage},
      {Limit::direct_current, &stage::Limits::direct_current}};
  stage::Inputs all_below = c.inputs;
  stage::LimitSet all;
  for (const auto& [limit, rating] : ratings) {
    const double needed = stage::bounded_value(c.inputs, free, limit);
    for (double scale : {1.0, 1 - 1e-6}) {
      stage::Inputs inputs = c.inputs;
      inputs.limits.*rating = needed * scale;
      const stage::Design d = stage::design(inputs, c.angle, c.exponent, c.alpha_0, c.alpha_n);
      stage::LimitSet alone;
      if (scale < 1) alone.add(limit);
      EXPECT_EQ(d.verdict, scale < 1 ? Verdict::limit_broken : Verdict::works);
      EXPECT_EQ(d.broken, alone);
      EXPECT_EQ(d.i_max, free.i_max);
    }
    all_below.limits.*rating = needed * (1 - 1e-6);
    all.add(limit);
  }
  EXPECT_EQ(stage::design(all_below, c.angle, c.exponent, c.alpha_0, c.alpha_n).broken, all);
}

// A dissipation rating that no angle of the range keeps: the least that would is the least of
// the rows, and a row works at it, none a little below.
TEST(Stage, TheLeastRatingThatWouldLetARowWork) {
  const stage::Inputs inputs{12.5, 1, 3, std::nullopt, 0.5, std::nullopt};
  const auto block_rated = [&](double rating) {
    stage::Inputs rated = inputs;
    rated.limits.dissipation = rating;
    return stage::over_range(rated, {20, 80, 0.5}, 121, 1);
  };
  const auto works_somewhere = [&](double rating) {
    const stage::Block block = block_rated(rating);
    return std::any_of(block.rows.begin(), block.rows.end(),
                       [](const stage::Row& row) { return stage::works(row.design); });
  };
  ASSERT_FALSE(works_somewhere(0.1));
  const stage::Limits least = stage::least_ratings(inputs, block_rated(0.1));
  ASSERT_TRUE(least.dissipation.has_value());
  EXPECT_FALSE(least.peak_current || least.voltage || least.direct_current);
  EXPECT_TRUE(works_somewhere(*least.dissipation));
  EXPECT_FALSE(works_somewhere(*least.dissipation * (1 - 1e-9)));
}

// A tube's drive, i = S (u_g + D u_a - E')^p with u_g = E_bias + U_g cos t and u_a = E - U_m
// cos nt: the law gives I_max at the top and reaches E' at the cut-off angle, for an amplifier
// and for a tripler; for the amplifier the drive is that of D = 0 and D U_m, the bias that of
// D = 0 less D E.
TEST(Stage, ATubesDriveTakesInItsPermeance) {
  for (int n : {1, 3}) {
    stage::Inputs inputs{2000, 400, n, 0.9, std::nullopt, stage::Device{0.02, -20, 0.05}};
    const double angle = 75, exponent = 1.5, alpha_0 = 0.25, alpha_n = n == 1 ? 0.43 : 0.12;
    const stage::Design d = stage::design(inputs, angle, exponent, alpha_0, alpha_n);
    ASSERT_EQ(d.verdict, Verdict::works) << n;
    const stage::Device& tube = *inputs.device;
    const auto control = [&](double t) {
      const double u_a = inputs.supply - d.u_m * std::cos(n * t);
      return d.e_bias + d.u_drive * std::cos(t) + tube.permeance * u_a - tube.cutoff;
    };
    const double theta = angle * kPi / 180;
    EXPECT_NEAR(tube.slope * std::pow(control(0), exponent), d.i_max, 1e-12 * d.i_max) << n;
    EXPECT_NEAR(control(theta), 0.0, 1e-12 * d.u_drive) << n;
    if (n != 1) continue;
    inputs.device->permeance = 0;
    const stage::Design plain = stage::design(inputs, angle, exponent, alpha_0, alpha_n);
    EXPECT_NEAR(d.u_drive, plain.u_drive + 0.05 * d.u_m, 1e-12 * d.u_drive);
    EXPECT_NEAR(d.e_bias, plain.e_bias - 0.05 * inputs.supply, 1e-12 * d.u_drive);
  }
}
}  // namespace
