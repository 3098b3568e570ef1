#include "engine/sweep.h"

#include <algorithm>
#include <cmath>

namespace sweep {

namespace {

// An angle past `to` by less than a billionth of a step is `to` itself, overshot by the
// rounding of from + i * step: 4.9 + 1752 * 0.1 is 180.10000000000002, meant as 180.1.
constexpr double kOvershoot = 1e-9;

bool within(const Range& range, std::int64_t index) {
  const double angle = range.from + static_cast<double>(index) * range.step;
  return angle <= range.to + kOvershoot * range.step;
}

}  // namespace

std::int64_t count(const Range& range, std::int64_t limit) {
  const double whole_steps = std::floor((range.to - range.from) / range.step);
  if (!(whole_steps < static_cast<double>(limit))) return limit + 1;
  // The quotient is rounded: the angles themselves decide where the range ends.
  std::int64_t count = static_cast<std::int64_t>(whole_steps) + 1;
  while (count > 1 && !within(range, count - 1)) --count;
  while (count <= limit && within(range, count)) ++count;
  return count;
}

double angle_at(const Range& range, std::int64_t index) {
  return std::min(range.from + static_cast<double>(index) * range.step, range.to);
}

std::optional<double> first_repeated(const Range& range, std::int64_t count) {
  for (std::int64_t i = 1; i < count; ++i) {
    if (angle_at(range, i) <= angle_at(range, i - 1)) return angle_at(range, i);
  }
  return std::nullopt;
}

}  // namespace sweep
