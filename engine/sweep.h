// The angles of a table or a sweep over a range: from + i * step, i = 0, 1, ..., up to the last
// one not above `to`. Each angle is computed from i alone, so that no error accumulates from
// one to the next; one that passes `to` by rounding alone (by less than a billionth of a step)
// counts as `to`. Every front end that goes over a range takes its angles from here.
#pragma once

#include <cstdint>
#include <optional>

namespace sweep {

struct Range {
  double from = 5.0;
  double to = 180.0;
  double step = 5.0;
};

// The number of angles in the range, which must have from <= to and a finite step above 0;
// any count above `limit` is given as limit + 1.
std::int64_t count(const Range& range, std::int64_t limit);

double angle_at(const Range& range, std::int64_t index);

// The first of the range's first `count` angles that does not rise above the one before it:
// a step too small to tell neighbours apart would repeat a row.
std::optional<double> first_repeated(const Range& range, std::int64_t count);

}  // namespace sweep
