#include "engine/integral.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/berg.h"

namespace integral {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kRadiansPerDegree = kPi / 180.0;

// The step of the double-exponential rule: with it every coefficient is within 6e-15 of the
// closed forms that tests/integral_test.cpp holds it to (Berg's for exponent 1 every hundredth
// of a degree, the cosine sums of exponents 2 and 3, the gamma functions at 180 degrees); a
// step of 0.05 is already 1.8e-13 off at exponent 5.01 and 180 degrees.
constexpr double kStep = 0.04;
// The nodes end where what the rest would add, for any exponent accepted, is below this.
constexpr double kNegligible = 1e-18;
constexpr double kLowestExponent = berg::kLowestExponent;

// One node of the rule on [-1, 1], for the pulse's half 0 <= t <= theta: t = theta (1 -
// distance), the distance to the cut-off as a fraction of theta, computed directly rather than
// as 1 - t / theta, which would lose it near the cut-off. The weight includes the rule's step
// and the change of variable; the node at t = 0 has half its weight, as the even pulse counts
// each other node twice.
struct Node {
  double distance;
  double weight;
};

// x = j h, t / theta = tanh(pi/2 sinh x): distance = 1 - tanh(s) = 2 e / (1 + e), e = exp(-2 s),
// weight = h pi/2 cosh x / cosh^2 s. At a distance q the pulse's base b is at most pi q, and at
// least about q^2 (near 180 degrees), so a node adds at most weight (pi q)^p to a value and
// weight b^(p - 1) to a slope.
struct Rule {
  std::vector<Node> nodes;      // enough for the slopes
  std::size_t value_nodes = 0;  // the first ones, enough for the values
};

Rule make_rule() {
  Rule rule;
  for (int j = 0;; ++j) {
    const double x = j * kStep;
    const double s = kHalfPi * std::sinh(x);
    const double e = std::exp(-2.0 * s);
    const double distance = 2.0 * e / (1.0 + e);
    const double cosh_s = std::cosh(s);
    double weight = kStep * kHalfPi * std::cosh(x) / (cosh_s * cosh_s);
    if (j == 0) weight /= 2.0;
    const bool value_negligible = weight * std::pow(kPi * distance, kLowestExponent) < kNegligible;
    if (value_negligible && rule.value_nodes == 0) rule.value_nodes = rule.nodes.size();
    if (value_negligible &&
        weight * std::pow(distance * distance, kLowestExponent - 1.0) < kNegligible) {
      break;
    }
    rule.nodes.push_back({distance, weight});
  }
  return rule;
}

// The nodes depend on neither the angle nor the exponent: evaluated once per process.
const Rule& rule() {
  static const Rule nodes = make_rule();
  return nodes;
}

// The cut-off angle theta in radians (at most pi), its sine and cosine, and sin^2(theta/2),
// half of 1 - cos theta. Past 90 degrees the sine and cosine are taken from pi - theta, whose
// sine keeps its relative precision near 180 degrees.
struct CutOff {
  double theta;
  double sine;
  double cosine;
  double half_sine_squared;
};

CutOff cut_off(double angle) {
  const double degrees = angle > 180.0 ? 360.0 - angle : angle;
  CutOff cut;
  cut.theta = degrees * kRadiansPerDegree;
  if (degrees > 90.0) {
    const double rest = (180.0 - degrees) * kRadiansPerDegree;
    cut.sine = std::sin(rest);
    cut.cosine = -std::cos(rest);
  } else {
    cut.sine = std::sin(cut.theta);
    cut.cosine = std::cos(cut.theta);
  }
  const double half_sine = std::sin(cut.theta / 2.0);
  cut.half_sine_squared = half_sine * half_sine;
  return cut;
}

// The sums over the first `count` nodes of weight f(t) cos(nt) and of weight f(t) (1 - b) / b
// cos(nt), b being the pulse's base (cos t - cos theta) / (1 - cos theta).
//
// At a node half its distance to the cut-off is v = (theta - t) / 2, and
// cos t - cos theta = 2 sin(theta - v) sin v, 1 - cos theta = 2 sin^2(theta/2), so that
// b = sin v sin(theta - v) / sin^2(theta/2), with sin(theta - v) = sin theta cos v - cos theta
// sin v: below 90 degrees the second term takes at most half the first away, past 90 both
// add. cos t = cos theta + (1 - cos theta) b.
void sum(const CutOff& cut, double exponent, std::size_t count, Tangent& sums) {
  sums.alpha.fill(0.0);
  sums.slope_over_sine.fill(0.0);
  const double one_minus_cosine = 2.0 * cut.half_sine_squared;
  for (std::size_t j = 0; j < count; ++j) {
    const Node& node = rule().nodes[j];
    const double v = 0.5 * cut.theta * node.distance;
    const double sin_v = std::sin(v);
    const double cos_v = std::cos(v);
    const double base = sin_v * (cut.sine * cos_v - cut.cosine * sin_v) / cut.half_sine_squared;
    const double pulse = node.weight * std::pow(base, exponent);
    const double slope = pulse * (1.0 - base) / base;
    const double cos_t = cut.cosine + one_minus_cosine * base;
    double previous = 1.0;
    double current = 1.0;
    for (int n = 0; n < kHarmonics; ++n) {
      sums.alpha[n] += pulse * current;
      sums.slope_over_sine[n] += slope * current;
      const double next = n == 0 ? cos_t : 2.0 * cos_t * current - previous;
      previous = current;
      current = next;
    }
  }
}

// The integral from 0 to theta is theta times the rule's sum; alpha_0 takes 1/pi of it, the
// harmonics 2/pi. The slope of alpha_n with theta is the integral of the pulse's derivative
// (the pulse is zero at the cut-off): p b^(p - 1) (1 - b) sin theta / (1 - cos theta) f cos nt.
Tangent integrate(double angle, double exponent, std::size_t count) {
  const CutOff cut = cut_off(angle);
  Tangent found;
  sum(cut, exponent, count, found);
  const double scale = cut.theta / kPi;
  const double slope_scale = scale * exponent / (2.0 * cut.half_sine_squared);
  for (int n = 0; n < kHarmonics; ++n) {
    const double harmonic = n == 0 ? 1.0 : 2.0;
    found.alpha[n] *= harmonic * scale;
    found.slope_over_sine[n] *= harmonic * slope_scale;
  }
  return found;
}

}  // namespace

Coefficients coefficients(double angle, double exponent) {
  return integrate(angle, exponent, rule().value_nodes).alpha;
}

Tangent tangent(double angle, double exponent) {
  return integrate(angle, exponent, rule().nodes.size());
}

int node_count() { return static_cast<int>(rule().value_nodes); }

}  // namespace integral
