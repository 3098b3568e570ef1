#include "table/plain_table.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "textio/fields.h"

namespace table {

namespace {

// The columns: as wide as their headings need, with the decimals of the results screen; a
// level in decibels with two.
constexpr textio::Edit kAngleColumn{7, textio::kParameterEdit.decimals};
constexpr textio::Edit kValueColumn{9, textio::kModulusEdit.decimals};
constexpr textio::Edit kLevelColumn{9, 2};
constexpr textio::Edit kPhaseColumn{8, textio::kPhaseEdit.decimals};
constexpr std::string_view kZero = "—";

// Columns on a terminal: UTF-8 continuation bytes take none, every other byte (all letters
// used here, Cyrillic and Greek too) takes one.
int display_width(std::string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

std::string right_aligned(std::string_view text, int width) {
  return textio::blanks(width - display_width(text)) + std::string(text);
}

std::string heading_of(const Column& column) {
  const std::string k = std::to_string(column.harmonic);
  switch (column.quantity) {
    case Quantity::alpha:
      return "α" + k;
    case Quantity::gamma:
      return "γ" + k;
    case Quantity::db:
      return "α" + k + ", дБ";
    case Quantity::g1:
      return "g1";
    case Quantity::eta:
      return "η";
    case Quantity::cos:
      return "cos θ";
  }
  return "";
}

// What the table shows when --show chose nothing: the signed coefficients.
View with_default(View view) {
  if (view.shown.empty()) view.shown = {Quantity::alpha};
  return view;
}

bool phase_follows(const View& view, const Column& column) {
  return view.phases && column.quantity == Quantity::alpha;
}

std::string heading_line(const View& view) {
  std::string line = right_aligned("Угол", kAngleColumn.width);
  for (const Column& column : columns_of(view)) {
    line += right_aligned(heading_of(column), kValueColumn.width);
    if (phase_follows(view, column)) {
      line += right_aligned("φ" + std::to_string(column.harmonic), kPhaseColumn.width);
    }
  }
  return line;
}

std::string cell(const Column& column, const berg::Result& row, double xi) {
  const double value = value_of(column, row, xi);
  if (column.quantity != Quantity::db) return textio::fixed_field(value, kValueColumn);
  if (std::isinf(value)) return right_aligned(kZero, kLevelColumn.width);
  return textio::fixed_field(value, kLevelColumn);
}

}  // namespace

std::vector<int> fitting_harmonics(const View& view) {
  View trial = with_default(view);
  for (int last = berg::kHarmonics - 1; last > 0; --last) {
    trial.harmonics.clear();
    for (int k = 0; k <= last; ++k) trial.harmonics.push_back(k);
    if (display_width(heading_line(trial)) <= kTableWidth) return trial.harmonics;
  }
  return {0};
}

PlainTable::PlainTable(textio::Records& out, const View& view)
    : out_(out), view_(with_default(view)), columns_(columns_of(view_)) {}

void PlainTable::start_block(double exponent) {
  if (!titled_) {
    const bool efficiency =
        std::find(view_.shown.begin(), view_.shown.end(), Quantity::eta) != view_.shown.end();
    out_.text(efficiency ? "Коэффициенты Берга, ξ = " +
                               textio::trimmed_field(view_.xi, textio::kParameterEdit)
                         : "Коэффициенты Берга");
    titled_ = true;
  }
  const std::string columns = heading_line(view_);
  const std::string rule(static_cast<std::size_t>(display_width(columns)), '-');
  out_.write_empty();
  out_.text("Степень функции = " + textio::trimmed_field(exponent, textio::kParameterEdit));
  out_.formatted(rule);
  out_.formatted(columns);
  out_.formatted(rule);
}

void PlainTable::write_row(const berg::Result& row) {
  std::string line = textio::fixed_field(row.angle(), kAngleColumn);
  for (const Column& column : columns_) {
    line += cell(column, row, view_.xi);
    if (phase_follows(view_, column)) {
      line += textio::fixed_field(row.phase(column.harmonic), kPhaseColumn);
    }
  }
  out_.formatted(line);
}

}  // namespace table
