#include "table/csv.h"

#include <optional>
#include <string>

#include "report/csv.h"
#include "textio/fields.h"

namespace table {

namespace {

constexpr textio::Edit kAngleEdit{10, 2};

std::string angle_text(double angle) { return textio::trimmed_field(angle, kAngleEdit); }
std::string value_text(double value) { return textio::trimmed_field(value, textio::kModulusEdit); }

// ",angle,value" of a peak. Appended piece by piece: g++ 12 at -O3 warns, falsely, of
// overlapping copies where a literal is put before a string.
std::string peak_fields(double angle, double value) {
  std::string fields = ",";
  return fields.append(angle_text(angle)).append(",").append(value_text(value));
}

// The angle and value of a peak, or two empty fields.
std::string peak_fields(const std::optional<design::Peak>& peak) {
  return peak ? peak_fields(peak->angle, peak->value) : ",,";
}

}  // namespace

CsvTable::CsvTable(textio::Records& out, const quantity::View& view)
    : out_(out), view_(view), columns_(quantity::columns_of(view)) {}

void CsvTable::start_block(double) {
  if (!headed_)
    out_.formatted(csv::in_form(csv::table_header(view_, columns_), view_.decimal_comma));
  headed_ = true;
}

void CsvTable::write_row(const berg::Result& row) {
  out_.formatted(csv::in_form(csv::table_line(view_, columns_, row), view_.decimal_comma));
}

void write_optima_header(textio::Records& out, bool decimal_comma) {
  out.formatted(
      csv::in_form("exponent,harmonic,alpha_angle,alpha_max,gamma_angle,gamma_max,"
                   "alpha_top_angle,alpha_top,gamma_top_angle,gamma_top",
                   decimal_comma));
}

void write_optima_csv(textio::Records& out, const berg_answers::ExponentOptima& block,
                      bool decimal_comma) {
  for (const design::Optimum& optimum : block.optima) {
    std::string line =
        textio::parameter_text(block.exponent) + "," + std::to_string(optimum.harmonic);
    for (const design::Peak& peak : {optimum.alpha, optimum.gamma}) {
      line += peak_fields(peak.angle, peak.value);
    }
    line += peak_fields(optimum.alpha_top);
    line += peak_fields(optimum.gamma_top);
    out.formatted(csv::in_form(line, decimal_comma));
  }
}

void write_angles_for_g1_csv(textio::Records& out, double xi,
                             const std::vector<berg::Result>& found, bool decimal_comma) {
  out.formatted(csv::in_form("exponent,g1,angle,eta", decimal_comma));
  for (const berg::Result& at : found) {
    out.formatted(csv::in_form(textio::parameter_text(at.exponent()) + "," + value_text(at.g1()) +
                                   "," + angle_text(at.angle()) + "," +
                                   value_text(at.efficiency(xi)),
                               decimal_comma));
  }
}

}  // namespace table
