// The rows of a Berg table: one compute pass per angle, one block of angles per exponent,
// handed to the outputs as they are computed, and what the outputs show of each row.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"

namespace table {

// The most rows one run computes, over all its blocks.
constexpr std::int64_t kMostRows = 100000;
// The most searches one run makes: one per harmonic and exponent for the best angles, one
// per exponent for the angle of a g1; each takes some milliseconds.
constexpr std::int64_t kMostSearches = 2000;

// The angles from + i * step, i = 0, 1, ..., up to the last one not above `to`. Each angle is
// computed from i alone, so that no error accumulates from one to the next; one that passes
// `to` by rounding alone (by less than a billionth of a step) counts as `to`.
struct AngleRange {
  double from = 5.0;
  double to = 180.0;
  double step = 5.0;
};

// The number of angles in the range, which must have from <= to and a finite step above 0;
// any count above `limit` is given as limit + 1.
std::int64_t angle_count(const AngleRange& range, std::int64_t limit);

double angle_at(const AngleRange& range, std::int64_t index);

// An output that takes the rows one at a time, block after block.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void start_block(double exponent) = 0;
  virtual void write_row(const berg::Result& row) = 0;
};

// How each row is computed: from the 4096 samples as the dialogue computes it, or from the
// true Berg integral.
enum class Pass { sampled, exact };

// Computes one block per exponent, in the order given, each with a row for every angle of the
// range, and hands each row to every writer as soon as it is computed.
void compute_rows(const std::vector<double>& exponents, const AngleRange& range,
                  const std::vector<RowWriter*>& writers, Pass pass = Pass::sampled);

}  // namespace table
