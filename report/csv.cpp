#include "report/csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "report/headings.h"
#include "textio/fields.h"

namespace csv {

namespace {

using quantity::Column;

std::string field(const Column& column, const berg::Result& row, double xi) {
  const double value = quantity::value_of(column, row, xi);
  if (std::isinf(value)) return "";
  return textio::trimmed_field(
      value, {textio::kModulusEdit.width, quantity::describe(column.id).decimals});
}

std::string significant(double value) {
  std::array<char, 32> text;
  const auto result =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 9);
  return std::string(text.data(), result.ptr);
}

struct StageColumn {
  const char* name;
  double stage::Design::*value;
};

constexpr std::array<StageColumn, 11> kStageColumns = {{{"xi", &stage::Design::xi},
                                                        {"u_m", &stage::Design::u_m},
                                                        {"i_mn", &stage::Design::i_mn},
                                                        {"i_max", &stage::Design::i_max},
                                                        {"i_0", &stage::Design::i_0},
                                                        {"p_0", &stage::Design::p_0},
                                                        {"p_n", &stage::Design::p_n},
                                                        {"eta", &stage::Design::eta},
                                                        {"p_diss", &stage::Design::p_diss},
                                                        {"r_e", &stage::Design::r_e},
                                                        {"u_peak", &stage::Design::u_peak}}};
constexpr std::array<StageColumn, 2> kDriveColumns = {
    {{"u_drive", &stage::Design::u_drive}, {"e_bias", &stage::Design::e_bias}}};

std::vector<StageColumn> stage_columns(const stage::Inputs& inputs) {
  std::vector<StageColumn> columns(kStageColumns.begin(), kStageColumns.end());
  if (inputs.device) columns.insert(columns.end(), kDriveColumns.begin(), kDriveColumns.end());
  return columns;
}

// The column of the value each limit bounds, in the order of stage::Limit; the saturation
// line's own name.
constexpr const char* kLimitNames[] = {"p_diss", "i_max", "u_peak", "i_0", "saturation"};

std::string names_of(const stage::LimitSet& limits) {
  std::string names;
  for (stage::Limit limit : stage::kEveryLimit) {
    if (!limits.has(limit)) continue;
    if (!names.empty()) names += ' ';
    names += kLimitNames[static_cast<std::size_t>(limit)];
  }
  return names;
}

bool rated(const stage::Inputs& inputs) {
  const stage::Limits& limits = inputs.limits;
  return limits.dissipation || limits.peak_current || limits.voltage || limits.direct_current;
}

std::string columns_header(const stage::Inputs& inputs) {
  std::string line = "angle,exponent,harmonic";
  for (const StageColumn& column : stage_columns(inputs)) line.append(",").append(column.name);
  return line;
}

// The stage's fields, empty where it has no values.
std::string columns_line(const stage::Inputs& inputs, double angle, double exponent,
                         const stage::Design& design) {
  const bool shown =
      design.verdict == stage::Verdict::works || design.verdict == stage::Verdict::limit_broken;
  std::string line = textio::parameter_text(angle) + "," + textio::parameter_text(exponent) + "," +
                     std::to_string(inputs.harmonic);
  for (const StageColumn& column : stage_columns(inputs)) {
    line += ',';
    if (shown) line += significant(design.*column.value);
  }
  return line;
}

}  // namespace

std::string in_form(std::string line, bool decimal_comma) {
  if (decimal_comma) std::replace(line.begin(), line.end(), ',', ';');
  return textio::with_decimal_mark(line, decimal_comma);
}

std::string table_header(const quantity::View& view, const std::vector<Column>& columns) {
  std::string line = "angle,exponent";
  for (int k : view.harmonics) line.append(",a").append(std::to_string(k));
  for (int k : view.harmonics) line.append(",phi").append(std::to_string(k));
  for (const Column& column : columns) line.append(",").append(headings::csv_name_of(column));
  return line;
}

std::string table_line(const quantity::View& view, const std::vector<Column>& columns,
                       const berg::Result& row) {
  std::string line = textio::parameter_text(row.angle());
  line += ',';
  line += textio::parameter_text(row.exponent());
  for (int k : view.harmonics) {
    line += ',';
    line += textio::trimmed_field(row.modulus(k), textio::kModulusEdit);
  }
  for (int k : view.harmonics) {
    line += ',';
    line += textio::trimmed_field(row.phase(k), textio::kPhaseEdit);
  }
  for (const Column& column : columns) {
    line += ',';
    line += field(column, row, view.xi);
  }
  return line;
}

std::string stage_header(const stage::Inputs& inputs) {
  return columns_header(inputs) + (rated(inputs) ? ",broken" : "");
}

std::string stage_line(const stage::Inputs& inputs, double angle, double exponent,
                       const stage::Design& design) {
  const std::string line = columns_line(inputs, angle, exponent, design);
  return rated(inputs) ? line + "," + names_of(design.broken) : line;
}

std::string best_header(const stage::Inputs& inputs) { return columns_header(inputs) + ",binding"; }

std::string best_line(const stage::Inputs& inputs, double exponent, const regime::Best& best) {
  return columns_line(inputs, best.angle, exponent, best.design) + "," + names_of(best.binding);
}

}  // namespace csv
