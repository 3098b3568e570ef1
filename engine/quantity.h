// The quantities a row of a Berg table can show, each described once: the name --show takes,
// its decimals and how it is computed from a result. Every front end that shows rows (the
// table, CSV, a page) computes them from here.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/berg.h"

namespace quantity {

enum class Id { alpha, gamma, g1, eta, db, cos, gn, etan };

// The first harmonic of a quantity that has one column for the whole row.
constexpr int kWholeRow = std::numeric_limits<int>::max();

struct Description {
  Id id;
  const char* name;  // as --show takes it
  // Which columns the quantity has: one for each harmonic shown from this one up, or one for
  // the row (kWholeRow).
  int first_harmonic;
  int decimals;
  // The value for `harmonic` of `row` at the voltage utilisation `xi`; an infinity where the
  // quantity has none (shown as a dash, or an empty CSV field).
  double (*value)(const berg::Result& row, int harmonic, double xi);
};

bool of_harmonics(const Description& quantity);

// Every quantity, in the order of --show's help.
const std::vector<Description>& all();
const Description& describe(Id id);
// The quantity --show calls `name`, or nothing.
std::optional<Id> named(std::string_view name);
// The names --show takes, "alpha, gamma, ...", for a message.
std::string names();

// What a table or CSV shows of each row.
struct View {
  std::vector<int> harmonics;  // in increasing order
  std::vector<Id> shown;       // in the order given, each once
  bool phases = false;         // the phase beside each alpha_k (the table only)
  double xi = 1.0;             // the voltage utilisation of eta
  bool decimal_comma = false;  // numbers with a decimal comma, CSV fields separated by ";"
};

// One column of what a view shows: a quantity of one harmonic, or of the row as a whole.
struct Column {
  Id id;
  int harmonic;  // 0 for a quantity of the row
};

// The columns of the quantities shown, in their order: for a quantity of harmonics one for
// each harmonic shown from its first up, one for each of the others.
std::vector<Column> columns_of(const View& view);

double value_of(const Column& column, const berg::Result& row, double xi);

}  // namespace quantity
