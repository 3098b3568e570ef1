#include "engine/design.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>

#include "engine/berg.h"
#include "engine/integral.h"

namespace design {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfTurn = 180.0;
// The slopes are scanned every half degree: the coefficients of harmonics up to 9 change
// over tens of degrees, and no maximum and minimum of them lie closer together than the scan
// over the accepted exponents (a sweep of every thousandth of an exponent, looking between
// scanned angles where the slope came close to zero, found such pairs only at rounding level,
// where a coefficient is zero at 180 degrees to high order).
constexpr double kScanStep = 0.5;
// Roots are found to this, in degrees.
constexpr double kRootTolerance = 1e-10;
// At 180 degrees the direction of some quantities is zero, and only its sign just below tells
// whether they rise to 180 or peak before it: a direction this small beside the largest of the
// scan is zero, and the direction this far below 180 degrees is taken instead.
constexpr double kEndNoise = 1e-12;
constexpr double kBelowTheEnd = 1e-4;
// Values closer than this are equal but for rounding: a later maximum no higher than the first
// by more is not reported, and a quantity that falls from a maximum to 180 degrees by no more
// is flat up to 180 (as gamma_n is at exponent n, whose direction vanishes there to high
// order), its maximum at 180.
constexpr double kRounding = 1e-12;
// g1 is printed to 5 decimals: a value asked for that prints as an end of the reach is that
// end.
constexpr double kG1Places = 1e5;

double one_minus_cosine(double angle) {
  const double half_sine = std::sin(angle * kPi / 360.0);
  return 2.0 * half_sine * half_sine;
}

// What a search follows: the signed alpha_k, gamma_k = alpha_k (1 - cos theta)^p or g1, and
// its direction, a smooth function of the angle with the sign of the quantity's slope:
// alpha_k' = sin theta K_k, K_k being integral::Tangent's slope over the sine, so
// gamma_k' = sin theta (1 - cos theta)^(p - 1) (K_k (1 - cos theta) + p alpha_k) and
// g1' = sin theta (K_1 alpha_0 - alpha_1 K_0) / alpha_0^2.
struct Quantity {
  enum class Kind { alpha, gamma, g1 };
  Kind kind;
  int harmonic;
  double exponent;

  double value(double angle, const integral::Tangent& at) const {
    switch (kind) {
      case Kind::alpha:
        return at.alpha[harmonic];
      case Kind::gamma:
        return at.alpha[harmonic] * std::pow(one_minus_cosine(angle), exponent);
      case Kind::g1:
        break;
    }
    return at.alpha[1] / at.alpha[0];
  }

  double direction(double angle, const integral::Tangent& at) const {
    const int k = harmonic;
    switch (kind) {
      case Kind::alpha:
        return at.slope_over_sine[k];
      case Kind::gamma:
        return at.slope_over_sine[k] * one_minus_cosine(angle) + exponent * at.alpha[k];
      case Kind::g1:
        break;
    }
    return at.slope_over_sine[1] * at.alpha[0] - at.alpha[1] * at.slope_over_sine[0];
  }

  double direction(double angle) const {
    return direction(angle, integral::tangent(angle, exponent));
  }
  double value(double angle) const { return value(angle, integral::tangent(angle, exponent)); }
};

// The coefficients and slopes of one exponent every half degree from 4.9 to 180 degrees.
struct Scan {
  std::vector<double> angles;
  std::vector<integral::Tangent> at;
};

Scan scan(double exponent) {
  Scan found;
  for (int i = 0;; ++i) {
    const double angle = std::min(berg::kLowestAngle + i * kScanStep, kHalfTurn);
    found.angles.push_back(angle);
    found.at.push_back(integral::tangent(angle, exponent));
    if (angle == kHalfTurn) break;
  }
  return found;
}

using Function = std::function<double(double)>;

// A root of f between a and b, where f(a) = fa and f(b) = fb differ in sign or one is zero:
// regula falsi, halving the value at an end that stays put (the Illinois method), until a
// step is below kRootTolerance.
double root(const Function& f, double a, double fa, double b, double fb) {
  if (fa == 0.0) return a;
  for (int step = 0; step < 100 && fb != 0.0; ++step) {
    const double c = b - fb * (b - a) / (fb - fa);
    const double fc = f(c);
    if (std::fabs(c - b) < kRootTolerance) return c;
    if ((fc > 0.0) != (fb > 0.0)) {
      a = b, fa = fb;
    } else {
      fa /= 2.0;
    }
    b = c, fb = fc;
  }
  return b;
}

struct Extremum {
  double angle;
  bool maximum;
};

// The direction of a quantity at each scanned angle; where it is zero at 180 degrees (but for
// rounding), the direction just below 180 instead, at that angle.
struct Directions {
  std::vector<double> angles;
  std::vector<double> values;
};

Directions directions(const Scan& scan, const Quantity& quantity) {
  Directions found{scan.angles, {}};
  double largest = 0.0;
  for (std::size_t i = 0; i < scan.angles.size(); ++i) {
    found.values.push_back(quantity.direction(scan.angles[i], scan.at[i]));
    largest = std::max(largest, std::fabs(found.values.back()));
  }
  if (std::fabs(found.values.back()) <= kEndNoise * largest) {
    found.angles.back() = kHalfTurn - kBelowTheEnd;
    found.values.back() = quantity.direction(found.angles.back());
  }
  return found;
}

bool rising(double direction) { return direction > 0.0; }

// The maxima and minima of a quantity after 4.9 degrees and before 180, in order: the roots
// of its direction between scanned angles of opposite sign.
std::vector<Extremum> extrema(const Scan& scan, const Quantity& quantity) {
  const Directions scanned = directions(scan, quantity);
  const std::vector<double>& direction = scanned.values;
  const Function direction_at = [&](double angle) { return quantity.direction(angle); };
  std::vector<Extremum> found;
  for (std::size_t i = 0; i + 1 < direction.size(); ++i) {
    if (rising(direction[i]) == rising(direction[i + 1])) continue;
    found.push_back({root(direction_at, scanned.angles[i], direction[i], scanned.angles[i + 1],
                          direction[i + 1]),
                     rising(direction[i])});
  }
  return found;
}

// The maxima of a quantity from 4.9 to 180 degrees in order, each with its value: 4.9 if it
// falls from there, each maximum inside, and 180 if it still rises there or is as high there
// as at the last maximum.
std::vector<Peak> maxima(const Scan& scan, const Quantity& quantity) {
  const std::vector<Extremum> inside = extrema(scan, quantity);
  const bool rises_from_the_start =
      rising(quantity.direction(scan.angles.front(), scan.at.front()));
  std::vector<Peak> found;
  if (!rises_from_the_start) {
    found.push_back({scan.angles.front(), quantity.value(scan.angles.front(), scan.at.front())});
  }
  for (const Extremum& extremum : inside) {
    if (extremum.maximum) found.push_back({extremum.angle, quantity.value(extremum.angle)});
  }
  const Peak end{kHalfTurn, quantity.value(kHalfTurn, scan.at.back())};
  const bool rises_to_the_end = inside.empty() ? rises_from_the_start : !inside.back().maximum;
  if (rises_to_the_end) {
    found.push_back(end);
  } else if (!found.empty() && end.value >= found.back().value - kRounding) {
    found.back() = end;
  }
  return found;
}

// The first maximum and, if a later one is higher, the highest (the first of those equal to
// it but for rounding), each with the value that berg::compute_exact gives at its angle.
struct FirstAndTop {
  Peak first;
  std::optional<Peak> top;
};

FirstAndTop first_and_top(const Scan& scan, const Quantity& quantity) {
  const std::vector<Peak> found = maxima(scan, quantity);
  const auto shown = [&](const Peak& peak) {
    const berg::Result result = berg::compute_exact(peak.angle, quantity.exponent);
    const double value = quantity.kind == Quantity::Kind::gamma
                             ? result.gamma(quantity.harmonic)
                             : result.signed_value(quantity.harmonic);
    return Peak{peak.angle, value};
  };
  double highest = found.front().value;
  for (const Peak& peak : found) highest = std::max(highest, peak.value);
  FirstAndTop answer{shown(found.front()), std::nullopt};
  if (highest > found.front().value + kRounding) {
    answer.top = shown(*std::find_if(found.begin(), found.end(), [&](const Peak& peak) {
      return peak.value >= highest - kRounding;
    }));
  }
  return answer;
}

// The angles between which g1 is monotonic: 4.9, each extremum of g1, 180; and its values there.
std::vector<Peak> g1_knots(double exponent) {
  const Scan scanned = scan(exponent);
  const Quantity g1{Quantity::Kind::g1, 1, exponent};
  std::vector<Peak> knots{
      {scanned.angles.front(), g1.value(scanned.angles.front(), scanned.at.front())}};
  for (const Extremum& extremum : extrema(scanned, g1)) {
    if (extremum.angle < kHalfTurn) knots.push_back({extremum.angle, g1.value(extremum.angle)});
  }
  knots.push_back({kHalfTurn, g1.value(kHalfTurn, scanned.at.back())});
  return knots;
}

double printed_g1(double value) { return std::round(value * kG1Places) / kG1Places; }

}  // namespace

std::vector<Optimum> optima(double exponent, const std::vector<int>& harmonics) {
  const Scan scanned = scan(exponent);
  std::vector<Optimum> found;
  for (int k : harmonics) {
    const FirstAndTop alpha = first_and_top(scanned, {Quantity::Kind::alpha, k, exponent});
    const FirstAndTop gamma = first_and_top(scanned, {Quantity::Kind::gamma, k, exponent});
    found.push_back({k, alpha.first, gamma.first, alpha.top, gamma.top});
  }
  return found;
}

Reach g1_reach(double exponent) {
  Reach reach{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (const Peak& knot : g1_knots(exponent)) {
    reach = {std::min(reach.lowest, knot.value), std::max(reach.highest, knot.value)};
  }
  return reach;
}

std::optional<double> angle_for_g1(double exponent, double g1) {
  const std::vector<Peak> knots = g1_knots(exponent);
  const Quantity quantity{Quantity::Kind::g1, 1, exponent};
  const Function off = [&](double angle) { return quantity.value(angle) - g1; };
  for (std::size_t i = 0; i + 1 < knots.size(); ++i) {
    const double low = knots[i].value - g1;
    const double high = knots[i + 1].value - g1;
    if ((low <= 0.0 && high >= 0.0) || (low >= 0.0 && high <= 0.0)) {
      return root(off, knots[i].angle, low, knots[i + 1].angle, high);
    }
  }
  // Beyond the reach: an end as printed is that end.
  const auto lowest = std::min_element(
      knots.begin(), knots.end(), [](const Peak& a, const Peak& b) { return a.value < b.value; });
  const auto highest = std::max_element(
      knots.begin(), knots.end(), [](const Peak& a, const Peak& b) { return a.value < b.value; });
  if (g1 < lowest->value && g1 >= printed_g1(lowest->value)) return lowest->angle;
  if (g1 > highest->value && g1 <= printed_g1(highest->value)) return highest->angle;
  return std::nullopt;
}

}  // namespace design
