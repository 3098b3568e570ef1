#include "report/stage_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "report/entry_rules.h"
#include "textio/fields.h"

namespace stage_text {

namespace {

// As wide as a value with four significant digits and a blank before it needs.
constexpr int kValueWidth = 9;
constexpr textio::Edit kAngleEdit{7, textio::kParameterEdit.decimals};

// A column of a stage's table: its heading, with the unit, and what it shows.
struct Column {
  const char* heading;
  double stage::Design::*value;
};

// The main table: xi, the load, the peak and direct currents, the powers, the efficiency and
// the peak voltage.
constexpr std::array<Column, 8> kMainColumns = {{{"ξ", &stage::Design::xi},
                                                 {"Rэ, Ом", &stage::Design::r_e},
                                                 {"Iмакс, А", &stage::Design::i_max},
                                                 {"I0, А", &stage::Design::i_0},
                                                 {"P0, Вт", &stage::Design::p_0},
                                                 {"Pрас, Вт", &stage::Design::p_diss},
                                                 {"η", &stage::Design::eta},
                                                 {"Uмакс, В", &stage::Design::u_peak}}};
// With the device's law, the drive's table.
constexpr std::array<Column, 4> kDriveColumns = {{{"Uм, В", &stage::Design::u_m},
                                                  {"Iм, А", &stage::Design::i_mn},
                                                  {"Uвозб, В", &stage::Design::u_drive},
                                                  {"Eсм, В", &stage::Design::e_bias}}};

bool works(const stage::Row& row) { return stage::works(row.design); }

std::string value_cell(double value) {
  const std::string field = textio::significant_field(value, kValueWidth);
  return field.substr(field.find_first_not_of(' '));
}

void write_table(answer::Renderer& out, const std::string& caption, const stage::Block& block,
                 std::span<const Column> columns, bool decimal_comma) {
  answer::Table table{caption, {{"Угол", kAngleEdit.width}}};
  for (const Column& column : columns) table.columns.push_back({column.heading, kValueWidth});
  out.start_table(table);
  for (const stage::Row& row : block.rows) {
    std::vector<std::string> cells = {textio::trimmed_field(row.angle, kAngleEdit)};
    for (const Column& column : columns) {
      cells.push_back(works(row) ? value_cell(row.design.*column.value) : "");
    }
    for (std::string& cell : cells) cell = textio::with_decimal_mark(cell, decimal_comma);
    out.row(cells);
  }
}

}  // namespace

std::vector<std::string> heading_lines(const stage::Inputs& inputs) {
  const std::string n = std::to_string(inputs.harmonic);
  std::vector<std::string> lines;
  lines.push_back(inputs.harmonic == 1 ? "Каскад усилителя мощности"
                                       : "Каскад умножителя частоты на " + n);
  std::string line = "E = " + textio::shortest_text(inputs.supply) + " В, P" + n + " = " +
                     textio::shortest_text(inputs.power) + " Вт, ";
  if (inputs.xi) {
    line += "ξ = " + textio::shortest_text(*inputs.xi);
  } else {
    line += "критический режим, Sкр = " + textio::shortest_text(*inputs.saturation) + " А/В";
  }
  lines.push_back(line);
  if (inputs.device) {
    lines.push_back("Прибор i = S (u - E')^p: S = " + textio::shortest_text(inputs.device->slope) +
                    ", E' = " + textio::shortest_text(inputs.device->cutoff) + " В");
  }
  return lines;
}

std::string why_no_stage(const stage::Inputs& inputs) {
  const std::string n = std::to_string(inputs.harmonic);
  return inputs.saturation ? "α" + n + " не больше 0 или критический режим не дает P" + n
                           : "α" + n + " не больше 0";
}

std::string empty_rows_note(const stage::Inputs& inputs) {
  return "Пустые строки: " + why_no_stage(inputs);
}

std::string most_power_text(double watts) {
  // In doubles throughout: the order of magnitude of 0 or of an infinity is no int.
  const double places = std::fmax(0.0, std::fmin(9.0, 4.0 - std::floor(std::log10(watts))));
  const double scale = std::pow(10.0, places);
  return textio::shortest_text(std::floor(watts * scale) / scale);
}

namespace {

using refusals::Kind;
using refusals::Refusal;

std::string entry_of(stage::Input input) {
  using namespace entry_rules;
  switch (input) {
    case stage::Input::supply:
      return std::string(kSupply.name);
    case stage::Input::power:
      return std::string(kPower.name);
    case stage::Input::xi:
      return std::string(kXi.name);
    case stage::Input::saturation:
      return std::string(kSaturation.name);
    case stage::Input::slope:
      return std::string(kSlope.name);
    case stage::Input::cutoff:
      break;
  }
  return std::string(kCutoff.name);
}

// Why no stage can be made at the row's angle.
Refusal refusal_of_row(const stage::Inputs& inputs, const stage::Row& row, double exponent) {
  const std::string angle = textio::shortest_text(row.angle);
  const std::string at = textio::parameter_text(exponent);
  const stage::Design& design = row.design;
  if (design.verdict == stage::Verdict::beyond_numbers) {
    const stage::Input input = design.fault.input;
    return {entry_of(input),
            design.fault.too_large ? Kind::too_large_for_stage : Kind::too_small_for_stage,
            {textio::shortest_text(*stage::value_of(inputs, input)), angle, at}};
  }
  if (design.verdict == stage::Verdict::no_harmonic) {
    return {std::string(entry_rules::kHarmonic.name),
            Kind::no_harmonic,
            {angle, at, std::to_string(inputs.harmonic)}};
  }
  return {std::string(entry_rules::kPower.name),
          Kind::too_much_power,
          {textio::shortest_text(inputs.power), angle, at, most_power_text(design.most_power)}};
}

}  // namespace

std::optional<Refusal> refusal_of_block(const stage::Inputs& inputs, const sweep::Range& range,
                                        const stage::Block& block) {
  for (const stage::Row& row : block.rows) {
    if (row.design.verdict == stage::Verdict::beyond_numbers) {
      return refusal_of_row(inputs, row, block.exponent);
    }
  }
  if (block.rows.size() == 1 && !works(block.rows.front())) {
    return refusal_of_row(inputs, block.rows.front(), block.exponent);
  }
  if (std::any_of(block.rows.begin(), block.rows.end(), works)) return std::nullopt;
  return Refusal{std::string(entry_rules::kStage.name),
                 Kind::no_angle_works,
                 {textio::shortest_text(range.from), textio::shortest_text(range.to),
                  textio::parameter_text(block.exponent), std::to_string(inputs.harmonic),
                  why_no_stage(inputs)}};
}

void block_tables(answer::Renderer& out, const stage::Inputs& inputs, const stage::Block& block,
                  bool decimal_comma) {
  write_table(out, answer::exponent_caption(block.exponent, decimal_comma), block, kMainColumns,
              decimal_comma);
  if (inputs.device) write_table(out, "", block, kDriveColumns, decimal_comma);
  if (!std::all_of(block.rows.begin(), block.rows.end(), works)) {
    out.note(empty_rows_note(inputs));
  }
}

void stage_answer(answer::Renderer& out, const stage::Inputs& inputs,
                  const std::vector<stage::Block>& blocks, bool decimal_comma) {
  for (const std::string& line : heading_lines(inputs)) {
    out.title(textio::with_decimal_mark(line, decimal_comma));
  }
  for (const stage::Block& block : blocks) block_tables(out, inputs, block, decimal_comma);
}

}  // namespace stage_text
