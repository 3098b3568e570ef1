#include "table/plain_table.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "textio/fields.h"

namespace table {

namespace {

using quantity::Column;
using quantity::Id;
using quantity::View;

// The columns: as wide as their headings need, with the decimals of the results screen, or
// those of the quantity.
constexpr textio::Edit kAngleColumn{7, textio::kParameterEdit.decimals};
constexpr int kValueWidth = textio::kModulusEdit.width;
constexpr textio::Edit kPhaseColumn{8, textio::kPhaseEdit.decimals};
constexpr std::string_view kNoValue = "—";

// What the table shows when --show chose nothing: the signed coefficients.
View with_default(View view) {
  if (view.shown.empty()) view.shown = {Id::alpha};
  return view;
}

bool phase_follows(const View& view, const Column& column) {
  return view.phases && column.id == Id::alpha;
}

std::string heading_line(const View& view) {
  std::string line = textio::right_aligned("Угол", kAngleColumn.width);
  for (const Column& column : quantity::columns_of(view)) {
    const std::string heading = quantity::heading_of(column);
    line += textio::right_aligned(phase_follows(view, column) ? "|" + heading + "|" : heading,
                                  kValueWidth);
    if (phase_follows(view, column)) {
      line += textio::right_aligned("φ" + std::to_string(column.harmonic), kPhaseColumn.width);
    }
  }
  return line;
}

std::string cell(const View& view, const Column& column, const berg::Result& row) {
  const double value = phase_follows(view, column) ? row.modulus(column.harmonic)
                                                   : quantity::value_of(column, row, view.xi);
  if (std::isinf(value)) return textio::right_aligned(kNoValue, kValueWidth);
  return textio::row_field(value, {kValueWidth, quantity::describe(column.id).decimals});
}

}  // namespace

std::vector<int> fitting_harmonics(const View& view) {
  View trial = with_default(view);
  for (int last = berg::kHarmonics - 1; last > 0; --last) {
    trial.harmonics.clear();
    for (int k = 0; k <= last; ++k) trial.harmonics.push_back(k);
    if (textio::display_width(heading_line(trial)) <= kTableWidth) return trial.harmonics;
  }
  return {0};
}

void write_exponent_line(textio::Records& out, double exponent, bool decimal_comma) {
  out.write_empty();
  out.text("Степень функции = " +
           textio::with_decimal_mark(textio::parameter_text(exponent), decimal_comma));
}

void write_ruled_heading(textio::Records& out, const std::string& heading) {
  const std::string rule(static_cast<std::size_t>(textio::display_width(heading)), '-');
  out.formatted(rule);
  out.formatted(heading);
  out.formatted(rule);
}

PlainTable::PlainTable(textio::Records& out, const View& view)
    : out_(out),
      view_(with_default(view)),
      columns_(quantity::columns_of(view_)),
      heading_(heading_line(view_)) {}

void PlainTable::start_block(double exponent) {
  if (!titled_) {
    const bool efficiency =
        std::find(view_.shown.begin(), view_.shown.end(), Id::eta) != view_.shown.end();
    const std::string xi =
        textio::with_decimal_mark(textio::parameter_text(view_.xi), view_.decimal_comma);
    out_.text(efficiency ? "Коэффициенты Берга, ξ = " + xi : "Коэффициенты Берга");
    titled_ = true;
  }
  write_exponent_line(out_, exponent, view_.decimal_comma);
  write_ruled_heading(out_, heading_);
}

void PlainTable::write_row(const berg::Result& row) {
  std::string line = textio::row_field(row.angle(), kAngleColumn);
  for (const Column& column : columns_) {
    line += cell(view_, column, row);
    if (phase_follows(view_, column)) {
      line += textio::row_field(row.phase(column.harmonic), kPhaseColumn);
    }
  }
  out_.formatted(textio::with_decimal_mark(line, view_.decimal_comma));
}

}  // namespace table
