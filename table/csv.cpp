#include "table/csv.h"

#include <algorithm>
#include <cmath>

#include "textio/fields.h"

namespace table {

namespace {

using quantity::Column;

std::string header(const quantity::View& view, const std::vector<Column>& columns) {
  std::string line = "angle,exponent";
  for (int k : view.harmonics) line.append(",a").append(std::to_string(k));
  for (int k : view.harmonics) line.append(",phi").append(std::to_string(k));
  for (const Column& column : columns) line.append(",").append(quantity::csv_name_of(column));
  return line;
}

std::string field(const Column& column, const berg::Result& row, double xi) {
  const double value = quantity::value_of(column, row, xi);
  if (std::isinf(value)) return "";
  return textio::trimmed_field(
      value, {textio::kModulusEdit.width, quantity::describe(column.id).decimals});
}

}  // namespace

std::string in_form(std::string line, bool decimal_comma) {
  if (decimal_comma) std::replace(line.begin(), line.end(), ',', ';');
  return textio::with_decimal_mark(line, decimal_comma);
}

CsvTable::CsvTable(textio::Records& out, const quantity::View& view)
    : out_(out), view_(view), columns_(quantity::columns_of(view)) {}

void CsvTable::start_block(double exponent) {
  if (!headed_) out_.formatted(in_form(header(view_, columns_), view_.decimal_comma));
  headed_ = true;
  exponent_ = textio::parameter_text(exponent);
}

void CsvTable::write_row(const berg::Result& row) {
  std::string line = textio::parameter_text(row.angle());
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
  out_.formatted(in_form(line, view_.decimal_comma));
}

}  // namespace table
