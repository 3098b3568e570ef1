// The Berg coefficients where they have closed forms, in long double, for holding the
// quadrature of engine/integral and the searches of engine/design and engine/regime to values
// they do not compute: Berg's formulas for exponent 1, the pulse of an integer exponent
// expanded into a sum of cosines and integrated term by term, the whole cosine of 180 degrees
// by the gamma function, and for exponent 1.5 a slow rule of the tests' own.
#pragma once

#include <cmath>
#include <vector>

namespace berg_forms {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

inline long double radians(long double degrees) { return degrees * kPi / 180.0L; }

// The cut-off angle in radians of a pulse cut off at `degrees`: above 180, that of 360 less.
inline long double cut_off(long double degrees) {
  return radians(degrees > 180.0L ? 360.0L - degrees : degrees);
}

// Berg's alpha_n for exponent 1, t the cut-off angle in radians.
inline long double exponent_one(int n, long double t) {
  const long double scale = kPi * (1.0L - std::cos(t));
  if (n == 0) return (std::sin(t) - t * std::cos(t)) / scale;
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0L * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (n * n - 1.0L));
}

// alpha_n for an integer exponent p: (cos x - cos t)^p expanded into sum_m a_m cos(mx) by
// multiplying by cos x - cos t p times (cos x cos mx = (cos (m+1)x + cos (m-1)x) / 2), times
// cos nx the same way, each cos kx integrated from 0 to t exactly, sin(kt)/k. The terms cancel
// to about (1 - cos t)^p of their size: good to 1e-13 from 15 degrees.
inline long double integer_exponent(int n, int p, long double t) {
  const long double c = std::cos(t);
  std::vector<long double> a(static_cast<std::size_t>(p + 1), 0.0L);
  a[0] = 1.0L;
  for (int power = 1; power <= p; ++power) {
    std::vector<long double> next(a.size(), 0.0L);
    for (int m = 0; m < power; ++m) {
      next[m] -= c * a[m];
      if (m == 0) {
        next[1] += a[0];
      } else {
        next[m + 1] += a[m] / 2.0L;
        next[m - 1] += a[m] / 2.0L;
      }
    }
    a = next;
  }
  const auto integral = [t](int k) { return k == 0 ? t : std::sin(k * t) / k; };
  long double sum = 0.0L;
  for (int m = 0; m <= p; ++m) sum += a[m] * (integral(m + n) + integral(std::abs(m - n))) / 2.0L;
  return (n == 0 ? 1.0L : 2.0L) * sum / kPi / std::pow(1.0L - c, static_cast<long double>(p));
}

// alpha_n of exponent 1.5 by the composite 4-point Gauss rule on 200 panels after t = theta -
// u^2, which makes the pulse (theta - t)^1.5 at the cut-off a smooth u^4 2 du.
inline long double exponent_one_and_a_half(int n, long double theta) {
  const long double nodes[] = {0.3399810435848563L, 0.8611363115940526L};
  const long double weights[] = {0.6521451548625461L, 0.3478548451374538L};
  const int panels = 200;
  const long double width = std::sqrt(theta) / panels;
  long double sum = 0.0L;
  for (int i = 0; i < panels; ++i) {
    for (int j = 0; j < 4; ++j) {
      const long double u = width * (i + 0.5L + (j < 2 ? -0.5L : 0.5L) * nodes[j % 2]);
      const long double t = theta - u * u;
      const long double base = (std::cos(t) - std::cos(theta)) / (1.0L - std::cos(theta));
      sum += weights[j % 2] * width / 2.0L * std::pow(base, 1.5L) * std::cos(n * t) * 2.0L * u;
    }
  }
  return (n == 0 ? 1.0L : 2.0L) * sum / kPi;
}

// alpha_n at 180 degrees, where the pulse is cos^(2p)(x/2): alpha_0 = Gamma(2p+1) / (4^p
// Gamma(p+1)^2), alpha_n = 2 Gamma(2p+1) / (4^p Gamma(p+n+1) Gamma(p-n+1)), zero where
// Gamma(p-n+1) has a pole (p an integer below n).
inline long double half_turn(int n, long double p) {
  const long double rest = p - n + 1.0L;
  if (rest <= 0.0L && rest == std::floor(rest)) return 0.0L;
  const long double scale = std::tgamma(2.0L * p + 1.0L) / std::pow(4.0L, p);
  if (n == 0) return scale / (std::tgamma(p + 1.0L) * std::tgamma(p + 1.0L));
  return 2.0L * scale / (std::tgamma(p + n + 1.0L) * std::tgamma(rest));
}

}  // namespace berg_forms
