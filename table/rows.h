// The rows of a Berg table: one compute pass per angle, one block of angles per exponent,
// handed to the outputs as they are computed, and what the outputs show of each row.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/berg.h"

namespace table {

// The most rows one run computes, over all its blocks.
constexpr std::int64_t kMostRows = 100000;

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

// The quantities a row can show, by the names --show takes.
enum class Quantity {
  alpha,  // alpha_k with its sign
  gamma,  // gamma_k = alpha_k (1 - cos theta)
  g1,     // alpha_1 / alpha_0
  eta,    // the efficiency 1/2 xi g1
  db,     // harmonic k >= 2 related to the fundamental, in decibels
  cos,    // cos theta
};

// What the plain table and the CSV show of each row.
struct View {
  std::vector<int> harmonics;   // in increasing order
  std::vector<Quantity> shown;  // in the order given, each once
  bool phases = false;          // the phase beside each alpha_k (the table only)
  double xi = 1.0;              // the voltage utilisation of eta
};

// One column of what a view shows: a quantity of one harmonic, or of the row as a whole.
struct Column {
  Quantity quantity;
  int harmonic;  // for alpha, gamma and db; 0 otherwise
};

// The columns of the quantities shown, in their order: one per harmonic for alpha and gamma,
// one per harmonic from 2 up for db, one for each of the others.
std::vector<Column> columns_of(const View& view);

// The value of a column in a row; minus infinity for the level of a harmonic that is zero.
double value_of(const Column& column, const berg::Result& row, double xi);

// An output that takes the rows one at a time, block after block.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void start_block(double exponent) = 0;
  virtual void write_row(const berg::Result& row) = 0;
};

// Computes one block per exponent, in the order given, each with a row for every angle of the
// range, and hands each row to every writer as soon as it is computed.
void compute_rows(const std::vector<double>& exponents, const AngleRange& range,
                  const std::vector<RowWriter*>& writers);

}  // namespace table
