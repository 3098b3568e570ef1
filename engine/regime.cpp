#include "engine/regime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "engine/integral.h"

namespace regime {

namespace {

using stage::Inputs;
using stage::Limit;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The rounding that a regime placed on a bound leaves: within this a bound is met. Below the
// 1e-12 within which a stage keeps a rating, so that every regime found keeps its ratings.
constexpr double kRounding = 1e-13;
// A regime sits on a limit whose bounded value is this close to the rating.
constexpr double kBinding = 1e-9;

// The coefficients of one angle that a regime follows.
struct Pulse {
  double alpha_0;
  double alpha_n;
};

bool gives_harmonic(const Pulse& pulse) { return pulse.alpha_n >= stage::kLeastCoefficient; }

// The highest xi allowed: 1, and what the peak-voltage rating leaves.
double highest_xi(const Inputs& inputs) {
  double highest = 1.0;
  if (inputs.limits.voltage)
    highest = std::min(highest, *inputs.limits.voltage / inputs.supply - 1.0);
  return highest;
}

// The most peak current that the line and the ratings allow at xi; infinite where none bounds
// it.
double most_current(const Inputs& inputs, const Pulse& pulse, double xi) {
  const stage::Limits& limits = inputs.limits;
  double current = kInfinity;
  if (inputs.saturation) {
    current = std::min(current, *inputs.saturation * inputs.supply * (1.0 - xi));
  }
  if (limits.peak_current) current = std::min(current, *limits.peak_current);
  if (limits.direct_current) current = std::min(current, *limits.direct_current / pulse.alpha_0);
  if (limits.dissipation) {
    const double per_ampere = inputs.supply * (pulse.alpha_0 - 0.5 * pulse.alpha_n * xi);
    current = std::min(current, *limits.dissipation / per_ampere);
  }
  return current;
}

double power_at(const Inputs& inputs, const Pulse& pulse, double xi) {
  return 0.5 * xi * inputs.supply * pulse.alpha_n * most_current(inputs, pulse, xi);
}

// Where the line, falling with xi, meets each rating's bound on the current, rising or flat:
// for the dissipation the smaller root of S_cr E^2 (1 - xi) (alpha_0 - 1/2 alpha_n xi) = P_d,
// taken as 2 c / (b + sqrt(b^2 - 4 a c)) so that nothing cancels.
std::vector<double> crossings(const Inputs& inputs, const Pulse& pulse) {
  const stage::Limits& limits = inputs.limits;
  const double line = *inputs.saturation * inputs.supply;
  std::vector<double> found;
  if (limits.peak_current) found.push_back(1.0 - *limits.peak_current / line);
  if (limits.direct_current) found.push_back(1.0 - *limits.direct_current / pulse.alpha_0 / line);
  if (limits.dissipation) {
    const double k = *limits.dissipation / (line * inputs.supply);
    const double half_n = 0.5 * pulse.alpha_n;
    const double root =
        std::sqrt((pulse.alpha_0 - half_n) * (pulse.alpha_0 - half_n) + 2.0 * pulse.alpha_n * k);
    found.push_back(2.0 * (pulse.alpha_0 - k) / (pulse.alpha_0 + half_n + root));
  }
  return found;
}

// The regime of the most power at one angle; a power of 0 where the angle gives none.
struct Regime {
  double xi = 0.0;
  double power = 0.0;
};

Regime most_power_at(const Inputs& inputs, const Pulse& pulse) {
  const double highest = highest_xi(inputs);
  if (!gives_harmonic(pulse) || !(highest > 0.0)) return {};
  std::vector<double> candidates = {std::min(0.5, highest), highest};
  if (inputs.saturation) {
    for (double xi : crossings(inputs, pulse)) {
      if (xi >= 0.5 && xi <= highest) candidates.push_back(xi);
    }
  }
  Regime best;
  for (double xi : candidates) {
    const double power = power_at(inputs, pulse, xi);
    if (power > best.power) best = {xi, power};
  }
  return best;
}

// The values of xi at which the stage gives `power` at one angle within the line and every
// rating: from `lowest` to `highest`, none where lowest > highest. The currents and the
// dissipation want xi high enough, the line wants it between the roots of xi (1 - xi) =
// 2 P / (alpha_n S_cr E^2), the voltage wants it low enough.
struct Window {
  double lowest = 0.0;
  double highest = 1.0;

  bool open() const { return highest > 0.0 && lowest <= highest * (1.0 + kRounding); }
};

Window window(const Inputs& inputs, const Pulse& pulse, double power) {
  const stage::Limits& limits = inputs.limits;
  const double e = inputs.supply;
  Window found{0.0, highest_xi(inputs)};
  const auto at_least = [&](double xi) { found.lowest = std::max(found.lowest, xi); };
  if (limits.peak_current) at_least(2.0 * power / (e * pulse.alpha_n * *limits.peak_current));
  if (limits.direct_current) {
    at_least(2.0 * power * pulse.alpha_0 / (e * pulse.alpha_n * *limits.direct_current));
  }
  if (limits.dissipation) {
    at_least(2.0 * pulse.alpha_0 * power / (pulse.alpha_n * (power + *limits.dissipation)));
  }
  if (inputs.saturation) {
    const double load = 8.0 * power / (pulse.alpha_n * *inputs.saturation * e * e);
    if (load > 1.0 + kRounding) return {kInfinity, 0.0};
    const double upper = 0.5 * (1.0 + std::sqrt(std::max(0.0, 1.0 - load)));
    at_least(load / 4.0 / upper);
    found.highest = std::min(found.highest, upper);
  }
  return found;
}

// The angles a search answers with: the range's ends and each hundredth of a degree between
// them, with the coefficients of each, computed once.
class Angles {
 public:
  Angles(const sweep::Range& range, double exponent, int harmonic)
      : range_(range), exponent_(exponent), harmonic_(harmonic) {
    first_ = static_cast<std::int64_t>(std::ceil(range.from * 100.0));
    while (hundredth(first_) < range.from) ++first_;
    while (hundredth(first_ - 1) >= range.from) --first_;
    std::int64_t last = static_cast<std::int64_t>(std::floor(range.to * 100.0));
    while (hundredth(last) > range.to) --last;
    while (hundredth(last + 1) <= range.to) ++last;
    from_apart_ = first_ > last || hundredth(first_) != range.from;
    const bool to_apart = (first_ > last || hundredth(last) != range.to) && range.to != range.from;
    count_ =
        std::max<std::int64_t>(last - first_ + 1, 0) + (from_apart_ ? 1 : 0) + (to_apart ? 1 : 0);
    known_.resize(static_cast<std::size_t>(count_));
  }

  std::int64_t count() const { return count_; }

  double angle(std::int64_t index) const {
    if (from_apart_ && index == 0) return range_.from;
    const std::int64_t k = first_ + index - (from_apart_ ? 1 : 0);
    return index == count_ - 1 && hundredth(k) != range_.to ? range_.to : hundredth(k);
  }

  const Pulse& pulse(std::int64_t index) {
    std::optional<Pulse>& known = known_[static_cast<std::size_t>(index)];
    if (!known) {
      const integral::Coefficients alpha = integral::coefficients(angle(index), exponent_);
      known = Pulse{alpha[0], alpha[harmonic_]};
    }
    return *known;
  }

 private:
  static double hundredth(std::int64_t k) { return static_cast<double>(k) / 100.0; }

  sweep::Range range_;
  double exponent_;
  int harmonic_;
  std::int64_t first_ = 0;   // the first hundredth not below `from`
  bool from_apart_ = false;  // `from` is no hundredth, and comes first of its own
  std::int64_t count_ = 0;
  std::vector<std::optional<Pulse>> known_;
};

// How well an angle does: one that meets what is asked beats one that does not, then the
// higher value wins. One that does not, and whose value is minus infinity, is out of reach.
struct Score {
  bool met = false;
  double value = -kInfinity;
};

bool better(const Score& a, const Score& b) { return a.met != b.met ? a.met : a.value > b.value; }

bool out_of_reach(const Score& score) { return !score.met && score.value == -kInfinity; }

using Scorer = std::function<Score(const Pulse&)>;

// Every half degree, then around the best of each neighbourhood in tenths, two hundredths and
// hundredths of a degree.
constexpr std::int64_t kScanStep = 50;
constexpr std::int64_t kRefinements[][2] = {{10, 50}, {2, 10}, {1, 2}};  // step, reach

// The best angle near `start`: in each refinement, the best of those within its reach of the
// best so far.
std::int64_t refined(Angles& angles, const Scorer& score, std::int64_t start) {
  std::int64_t best = start;
  for (const auto& [step, reach] : kRefinements) {
    const std::int64_t centre = best;
    Score best_score = score(angles.pulse(centre));
    for (std::int64_t i = centre - reach; i <= centre + reach; i += step) {
      if (i < 0 || i >= angles.count() || i == centre) continue;
      const Score here = score(angles.pulse(i));
      if (better(here, best_score) || (!better(best_score, here) && i < best)) {
        best = i, best_score = here;
      }
    }
  }
  return best;
}

// The index of the best angle, the lowest of equals; nothing where every angle is out of reach.
// Each scanned angle that no scanned neighbour beats is refined: the score is taken to rise and
// then fall within a half degree each side of it, as the coefficients, which change over tens
// of degrees, and the bounds, which meet at single angles, make it.
std::optional<std::int64_t> best_angle(Angles& angles, const Scorer& score) {
  std::vector<std::int64_t> scanned;
  for (std::int64_t i = 0; i < angles.count(); i += kScanStep) scanned.push_back(i);
  if (scanned.back() != angles.count() - 1) scanned.push_back(angles.count() - 1);
  std::vector<Score> scores;
  for (std::int64_t i : scanned) scores.push_back(score(angles.pulse(i)));
  std::optional<std::int64_t> best;
  Score best_score;
  for (std::size_t j = 0; j < scanned.size(); ++j) {
    const bool left_better = j > 0 && better(scores[j - 1], scores[j]);
    const bool right_better = j + 1 < scanned.size() && better(scores[j + 1], scores[j]);
    if (left_better || right_better || out_of_reach(scores[j])) continue;
    const std::int64_t found = refined(angles, score, scanned[j]);
    const Score found_score = score(angles.pulse(found));
    if (!best || better(found_score, best_score) ||
        (!better(best_score, found_score) && found < *best)) {
      best = found, best_score = found_score;
    }
  }
  return best;
}

// The most power: any power beats none.
Scorer most_power_score(const Inputs& inputs) {
  return [&inputs](const Pulse& pulse) {
    const double power = most_power_at(inputs, pulse).power;
    return power > 0.0 ? Score{true, power} : Score{};
  };
}

// What a regime that gives the power is worth at an angle; nothing where it is out of reach.
using Worth = std::function<std::optional<double>(const Pulse&, const Window&)>;

// Met where `power` can be had within `bounds`, worth `worth` there; elsewhere the nearer the
// better, by the share of the power that the angle gives within them.
Scorer giving(const Inputs& bounds, double power, Worth worth) {
  return [&bounds, power, worth](const Pulse& pulse) {
    if (!gives_harmonic(pulse)) return Score{};
    const Window found = window(bounds, pulse, power);
    if (!found.open()) {
      const double share = most_power_at(bounds, pulse).power / power;
      return share > 0.0 ? Score{false, share} : Score{};
    }
    const std::optional<double> value = worth(pulse, found);
    return value ? Score{true, *value} : Score{};
  };
}

// The efficiency at the highest xi the window allows.
std::optional<double> efficiency(const Pulse& pulse, const Window& found) {
  return 0.5 * found.highest * pulse.alpha_n / pulse.alpha_0;
}

// The limits a stage sits on.
stage::LimitSet binding(const Inputs& inputs, const stage::Design& design) {
  stage::LimitSet found;
  for (Limit limit : stage::kEveryLimit) {
    const std::optional<double> rating = stage::rating_of(inputs, limit);
    if (!rating) continue;
    const double value = stage::bounded_value(inputs, design, limit);
    if (std::fabs(value - *rating) <= kBinding * *rating) found.add(limit);
  }
  return found;
}

// The stage at an angle given xi and the power: what the search found, in full.
Best best_at(const Inputs& inputs, Angles& angles, std::int64_t index, double exponent, double xi,
             double power) {
  Inputs given = inputs;
  given.xi = xi;
  given.saturation.reset();
  given.power = power;
  const Pulse& pulse = angles.pulse(index);
  const double angle = angles.angle(index);
  const stage::Design design = stage::design(given, angle, exponent, pulse.alpha_0, pulse.alpha_n);
  return {angle, design, binding(inputs, design)};
}

bool is_positive(double value) { return std::isfinite(value) && value > 0.0; }

bool bounds_power(const Inputs& inputs) {
  const stage::Limits& limits = inputs.limits;
  return inputs.saturation || limits.peak_current || limits.direct_current || limits.dissipation;
}

bool bounds_efficiency(const Inputs& inputs) {
  const std::optional<double>& voltage = inputs.limits.voltage;
  return inputs.saturation || (voltage && *voltage < 2.0 * inputs.supply);
}

// The refusals of a goal once the inputs are taken: nothing bounds it, or no swing keeps the
// voltage.
std::optional<Refusal> refusal_of_goal(const Inputs& inputs, bool bounded) {
  if (const std::optional<Refusal> refused = refusal_of_inputs(inputs)) return refused;
  if (!bounded) return Refusal{Cause::unbounded};
  if (inputs.limits.voltage && !(*inputs.limits.voltage > inputs.supply)) {
    return Refusal{Cause::voltage_at_supply, Limit::voltage, inputs.supply};
  }
  return std::nullopt;
}

// The least value of one input that gives the power: the best angle of a score whose value is
// minus what that input must be there.
std::optional<double> least(Angles& angles, const Scorer& score) {
  const std::optional<std::int64_t> found = best_angle(angles, score);
  if (!found) return std::nullopt;
  const Score best = score(angles.pulse(*found));
  if (!best.met) return std::nullopt;
  return -best.value;
}

// What a rating, or the line, must be at an angle for the power to be had there, the rest
// unchanged, from the window the rest leaves: at its highest xi for a current or the
// dissipation, at its lowest for the voltage, and for the line at the xi nearest 1/2, where
// the line's bound on the power is highest; nothing where the line would have to reach xi = 1.
std::optional<double> needed(const Inputs& inputs, Limit limit, const Pulse& pulse,
                             const Window& rest) {
  const double p = inputs.power;
  const double e = inputs.supply;
  const double xi = rest.highest;
  switch (limit) {
    case Limit::dissipation:
      return p * (2.0 * pulse.alpha_0 / (pulse.alpha_n * xi) - 1.0);
    case Limit::peak_current:
      return 2.0 * p / (e * pulse.alpha_n * xi);
    case Limit::direct_current:
      return 2.0 * p * pulse.alpha_0 / (e * pulse.alpha_n * xi);
    case Limit::voltage:
      return e * (1.0 + rest.lowest);
    case Limit::saturation:
      break;
  }
  const double q = std::max(rest.lowest, std::min(0.5, xi));
  if (!(q < 1.0)) return std::nullopt;
  return 2.0 * p / (pulse.alpha_n * e * e * (q * (1.0 - q)));
}

Inputs without(const Inputs& inputs, Limit limit) {
  Inputs rest = inputs;
  switch (limit) {
    case Limit::dissipation:
      rest.limits.dissipation.reset();
      break;
    case Limit::peak_current:
      rest.limits.peak_current.reset();
      break;
    case Limit::voltage:
      rest.limits.voltage.reset();
      break;
    case Limit::direct_current:
      rest.limits.direct_current.reset();
      break;
    case Limit::saturation:
      rest.saturation.reset();
      break;
  }
  return rest;
}

std::optional<double> least_rating(const Inputs& inputs, Limit limit, Angles& angles) {
  if (!stage::rating_of(inputs, limit)) return std::nullopt;
  const Inputs rest = without(inputs, limit);
  return least(angles, giving(rest, inputs.power, [&](const Pulse& pulse, const Window& found) {
                 const std::optional<double> value = needed(inputs, limit, pulse, found);
                 return value ? std::optional<double>(-*value) : std::nullopt;
               }));
}

// The supplies at which, at one angle, a bound that wants more supply is just met: E = a, where
// the currents, which want xi >= a / E, want xi = 1; and the line, xi (1 - xi) >= c / E^2, met
// at xi = 1/2, at xi = a / E, at the dissipation's xi = d and at the voltage's xi = U / E - 1.
// The least supply that works at the angle is one of them.
std::vector<double> supply_candidates(const Inputs& inputs, const Pulse& pulse) {
  const stage::Limits& limits = inputs.limits;
  const double p = inputs.power;
  double a = 0.0;
  if (limits.peak_current) a = std::max(a, 2.0 * p / (pulse.alpha_n * *limits.peak_current));
  if (limits.direct_current) {
    a = std::max(a, 2.0 * p * pulse.alpha_0 / (pulse.alpha_n * *limits.direct_current));
  }
  std::vector<double> found;
  if (a > 0.0) found.push_back(a);
  if (!inputs.saturation) return found;
  const double c = 2.0 * p / (pulse.alpha_n * *inputs.saturation);
  found.push_back(2.0 * std::sqrt(c));
  if (a > 0.0) found.push_back(a + c / a);
  if (limits.dissipation) {
    const double d = 2.0 * pulse.alpha_0 * p / (pulse.alpha_n * (p + *limits.dissipation));
    if (d < 1.0) found.push_back(std::sqrt(c / (d * (1.0 - d))));
  }
  if (limits.voltage) {
    const double u = *limits.voltage;
    const double discriminant = u * u - 8.0 * c;
    if (discriminant >= 0.0) found.push_back((3.0 * u - std::sqrt(discriminant)) / 4.0);
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The least supply above the one given that gives the power, of those of supply_candidates;
// at an angle where none does, the nearer the better, by the largest share of the power that
// one of them gives.
std::optional<double> least_supply(const Inputs& inputs, Angles& angles) {
  return least(angles, [&](const Pulse& pulse) {
    if (!gives_harmonic(pulse)) return Score{};
    Score nearest;
    for (double supply : supply_candidates(inputs, pulse)) {
      if (!(supply > inputs.supply)) continue;
      Inputs raised = inputs;
      raised.supply = supply;
      if (window(raised, pulse, inputs.power).open()) return Score{true, -supply};
      const double share = most_power_at(raised, pulse).power / inputs.power;
      if (share > 0.0 && share > nearest.value) nearest.value = share;
    }
    return nearest;
  });
}

Shortfall shortfall_over(const Inputs& inputs, Angles& angles, double exponent,
                         std::int64_t most_at) {
  const Regime regime = most_power_at(inputs, angles.pulse(most_at));
  const Best most = best_at(inputs, angles, most_at, exponent, regime.xi, regime.power);
  Shortfall answer{regime.power, most.angle, most.binding, std::nullopt, std::nullopt, {}};
  answer.saturation = least_rating(inputs, Limit::saturation, angles);
  answer.supply = least_supply(inputs, angles);
  stage::Limits& ratings = answer.ratings;
  ratings.dissipation = least_rating(inputs, Limit::dissipation, angles);
  ratings.peak_current = least_rating(inputs, Limit::peak_current, angles);
  ratings.voltage = least_rating(inputs, Limit::voltage, angles);
  ratings.direct_current = least_rating(inputs, Limit::direct_current, angles);
  return answer;
}

}  // namespace

std::optional<Refusal> refusal_of_inputs(const Inputs& inputs) {
  for (Limit limit : stage::kEveryLimit) {
    const std::optional<double> rating = stage::rating_of(inputs, limit);
    if (rating && !is_positive(*rating)) return Refusal{Cause::not_positive, limit};
  }
  if (inputs.device) {
    const double permeance = inputs.device->permeance;
    if (!(permeance >= 0.0 && permeance < 1.0)) return Refusal{Cause::permeance_out_of_range};
  }
  return std::nullopt;
}

std::optional<Refusal> refusal(const Question& question) {
  const Inputs& inputs = question.inputs;
  const bool power = question.goal == Goal::power;
  return refusal_of_goal(inputs, power ? bounds_power(inputs) : bounds_efficiency(inputs));
}

std::variant<Best, Shortfall, Refusal> best(const Question& question, double exponent) {
  if (const std::optional<Refusal> refused = refusal(question)) return *refused;
  const Inputs& inputs = question.inputs;
  Angles angles(question.range, exponent, inputs.harmonic);
  if (question.goal == Goal::power) {
    const std::optional<std::int64_t> found = best_angle(angles, most_power_score(inputs));
    if (!found) return Refusal{Cause::no_harmonic};
    const Regime regime = most_power_at(inputs, angles.pulse(*found));
    return best_at(inputs, angles, *found, exponent, regime.xi, regime.power);
  }
  const Scorer score = giving(inputs, inputs.power, efficiency);
  const std::optional<std::int64_t> found = best_angle(angles, score);
  if (!found) return Refusal{Cause::no_harmonic};
  if (score(angles.pulse(*found)).met) {
    const double xi = window(inputs, angles.pulse(*found), inputs.power).highest;
    return best_at(inputs, angles, *found, exponent, xi, inputs.power);
  }
  // Not met anywhere, yet within reach: the power is bounded, and an angle gives some.
  const std::optional<std::int64_t> most = best_angle(angles, most_power_score(inputs));
  return shortfall_over(inputs, angles, exponent, *most);
}

std::variant<Shortfall, Refusal> shortfall(const Inputs& given, const sweep::Range& range,
                                           double exponent) {
  Inputs inputs = given;
  inputs.xi.reset();
  if (const std::optional<Refusal> refused = refusal_of_goal(inputs, bounds_power(inputs))) {
    return *refused;
  }
  Angles angles(range, exponent, inputs.harmonic);
  const std::optional<std::int64_t> most = best_angle(angles, most_power_score(inputs));
  if (!most) return Refusal{Cause::no_harmonic};
  return shortfall_over(inputs, angles, exponent, *most);
}

}  // namespace regime
