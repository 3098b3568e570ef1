#include "table/rows.h"

#include <cmath>

namespace table {

std::int64_t angle_count(const AngleRange& range, std::int64_t limit) {
  const double whole_steps = std::floor((range.to - range.from) / range.step);
  if (!(whole_steps < static_cast<double>(limit))) return limit + 1;
  // The quotient is rounded: the angles themselves decide where the range ends.
  std::int64_t count = static_cast<std::int64_t>(whole_steps) + 1;
  while (count > 1 && angle_at(range, count - 1) > range.to) --count;
  while (count <= limit && angle_at(range, count) <= range.to) ++count;
  return count;
}

double angle_at(const AngleRange& range, std::int64_t index) {
  return range.from + static_cast<double>(index) * range.step;
}

std::vector<Block> compute_blocks(const std::vector<double>& exponents, const AngleRange& range) {
  const std::int64_t count = angle_count(range, kMostRows);
  std::vector<Block> blocks;
  for (double exponent : exponents) {
    Block block{exponent, {}};
    block.rows.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
      const double angle = angle_at(range, i);
      block.rows.push_back({angle, dialogue::compute_table(angle, exponent)});
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

}  // namespace table
