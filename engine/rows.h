// The rows of a Berg table: one compute pass per angle, one block of angles per exponent,
// handed to the outputs as they are computed.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/berg.h"
#include "engine/sweep.h"

namespace rows {

// The most rows one run computes, over all its blocks.
constexpr std::int64_t kMostRows = 100000;
// The most searches one run makes: one per harmonic and exponent for the best angles, one
// per exponent for the angle of a g1; each takes some milliseconds.
constexpr std::int64_t kMostSearches = 2000;

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
void compute_rows(const std::vector<double>& exponents, const sweep::Range& range,
                  const std::vector<RowWriter*>& writers, Pass pass = Pass::sampled);

}  // namespace rows
