#include "table/rows.h"

#include <algorithm>
#include <cmath>

namespace table {

namespace {

// An angle past `to` by less than a billionth of a step is `to` itself, overshot by the
// rounding of from + i * step: 4.9 + 1752 * 0.1 is 180.10000000000002, meant as 180.1.
constexpr double kOvershoot = 1e-9;

bool within(const AngleRange& range, std::int64_t index) {
  const double angle = range.from + static_cast<double>(index) * range.step;
  return angle <= range.to + kOvershoot * range.step;
}

}  // namespace

std::int64_t angle_count(const AngleRange& range, std::int64_t limit) {
  const double whole_steps = std::floor((range.to - range.from) / range.step);
  if (!(whole_steps < static_cast<double>(limit))) return limit + 1;
  // The quotient is rounded: the angles themselves decide where the range ends.
  std::int64_t count = static_cast<std::int64_t>(whole_steps) + 1;
  while (count > 1 && !within(range, count - 1)) --count;
  while (count <= limit && within(range, count)) ++count;
  return count;
}

double angle_at(const AngleRange& range, std::int64_t index) {
  return std::min(range.from + static_cast<double>(index) * range.step, range.to);
}

void compute_rows(const std::vector<double>& exponents, const AngleRange& range,
                  const std::vector<RowWriter*>& writers, Pass pass) {
  const auto compute = pass == Pass::exact ? berg::compute_exact : berg::compute;
  const std::int64_t count = angle_count(range, kMostRows);
  for (double exponent : exponents) {
    for (RowWriter* writer : writers) writer->start_block(exponent);
    for (std::int64_t i = 0; i < count; ++i) {
      const berg::Result row = compute(angle_at(range, i), exponent);
      for (RowWriter* writer : writers) writer->write_row(row);
    }
  }
}

}  // namespace table
