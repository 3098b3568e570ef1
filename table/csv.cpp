#include "table/csv.h"

#include <cmath>

#include "textio/fields.h"

namespace table {

namespace {

constexpr textio::Edit kLevelEdit{9, 2};

std::string name_of(const Column& column) {
  const std::string k = std::to_string(column.harmonic);
  switch (column.quantity) {
    case Quantity::alpha:
      return "alpha" + k;
    case Quantity::gamma:
      return "gamma" + k;
    case Quantity::db:
      return "db" + k;
    case Quantity::g1:
      return "g1";
    case Quantity::eta:
      return "eta";
    case Quantity::cos:
      return "cos_theta";
  }
  return "";
}

std::string header(const View& view, const std::vector<Column>& columns) {
  std::string line = "angle,exponent";
  for (int k : view.harmonics) line.append(",a").append(std::to_string(k));
  for (int k : view.harmonics) line.append(",phi").append(std::to_string(k));
  for (const Column& column : columns) line.append(",").append(name_of(column));
  return line;
}

std::string field(const Column& column, const berg::Result& row, double xi) {
  const double value = value_of(column, row, xi);
  if (column.quantity != Quantity::db) return textio::trimmed_field(value, textio::kModulusEdit);
  return std::isinf(value) ? "" : textio::trimmed_field(value, kLevelEdit);
}

}  // namespace

CsvTable::CsvTable(textio::Records& out, const View& view)
    : out_(out), view_(view), columns_(columns_of(view)) {}

void CsvTable::start_block(double exponent) {
  if (!headed_) out_.formatted(header(view_, columns_));
  headed_ = true;
  exponent_ = textio::trimmed_field(exponent, textio::kParameterEdit);
}

void CsvTable::write_row(const berg::Result& row) {
  std::string line = textio::trimmed_field(row.angle(), textio::kParameterEdit);
  line += ',';
  line += exponent_;
  for (int k : view_.harmonics) {
    line += ',';
    line += textio::trimmed_field(row.modulus(k), textio::kModulusEdit);
  }
  for (int k : view_.harmonics) {
    line += ',';
    line += textio::trimmed_field(row.phase(k), textio::kPhaseEdit);
  }
  for (const Column& column : columns_) {
    line += ',';
    line += field(column, row, view_.xi);
  }
  out_.formatted(line);
}

}  // namespace table
