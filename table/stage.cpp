#include "table/stage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>

#include "engine/integral.h"
#include "report/csv.h"
#include "table/plain_table.h"
#include "table/rows.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace table {

namespace {

using stage::Verdict;

constexpr int kValueWidth = 9;
constexpr textio::Edit kAngleColumn{7, textio::kParameterEdit.decimals};

std::string harmonic_text(int n) { return std::to_string(n); }

// A value with four significant digits at least, one decimal at least (a whole number would
// end in a bare point) and five at most, so that a column of kilovolts and one of milliamperes
// both read well and a blank parts the columns; what rounds to nothing is a plain zero.
std::string significant(double value, int width) {
  if (std::fabs(value) < 0.000005) value = 0.0;
  const double magnitude = std::fabs(value);
  const int digits_before =
      magnitude > 0.0 ? static_cast<int>(std::floor(std::log10(magnitude))) : 0;
  const int decimals = std::clamp(3 - digits_before, 1, 5);
  return textio::fixed_field(value, {width, decimals});
}

// The most power, cut down (never rounded up) to the digits shown, so that asking for the
// number shown works.
std::string most_power_text(double watts) {
  const int digits_before = static_cast<int>(std::floor(std::log10(watts)));
  const double scale = std::pow(10.0, std::clamp(4 - digits_before, 0, 9));
  return textio::shortest_text(std::floor(watts * scale) / scale);
}

std::string where(double angle, double exponent) {
  return "at " + textio::shortest_text(angle) + " degrees and exponent " +
         textio::parameter_text(exponent);
}

// Why a stage cannot be made at one angle, as a refusal names it.
std::string refusal(const Options& options, double angle, double exponent,
                    const stage::Design& design) {
  const std::string n = harmonic_text(options.stage.harmonic);
  if (design.verdict == Verdict::no_harmonic) {
    return "--harmonic: " + where(angle, exponent) + " alpha" + n +
           " is not above 0: the pulse gives no harmonic " + n + " to design for";
  }
  return "--power: " + textio::shortest_text(options.stage.power) +
         " W is more than the critical regime gives " + where(angle, exponent) + ": at most " +
         most_power_text(design.most_power) + " W";
}

StageBlock design_block(const Options& options, double exponent) {
  StageBlock block{exponent, {}};
  const std::int64_t count = sweep::count(options.angles, kMostRows);
  for (std::int64_t i = 0; i < count; ++i) {
    const double angle = sweep::angle_at(options.angles, i);
    const integral::Coefficients alpha = integral::coefficients(angle, exponent);
    block.rows.push_back({angle, stage::design(options.stage, angle, exponent, alpha[0],
                                               alpha[options.stage.harmonic])});
  }
  return block;
}

bool works(const StageRow& row) { return row.design.verdict == Verdict::works; }

void check_block(const Options& options, const StageBlock& block) {
  if (block.rows.size() == 1 && !works(block.rows.front())) {
    throw textio::Error(
        refusal(options, block.rows.front().angle, block.exponent, block.rows.front().design));
  }
  if (std::none_of(block.rows.begin(), block.rows.end(), works)) {
    throw textio::Error("--stage: no angle from " + textio::shortest_text(options.angles.from) +
                        " to " + textio::shortest_text(options.angles.to) + " works " +
                        "at exponent " + textio::parameter_text(block.exponent) + ": alpha" +
                        harmonic_text(options.stage.harmonic) +
                        " is not above 0 or the power is beyond the critical regime at each");
  }
}

// ---- The text ----

std::string inputs_line(const Options& options) {
  const stage::Inputs& inputs = options.stage;
  const std::string n = harmonic_text(inputs.harmonic);
  std::string line = "E = " + textio::shortest_text(inputs.supply) + " В, P" + n + " = " +
                     textio::shortest_text(inputs.power) + " Вт, ";
  if (inputs.xi) return line + "ξ = " + textio::shortest_text(*inputs.xi);
  return line + "критический режим, Sкр = " + textio::shortest_text(*inputs.saturation) + " А/В";
}

void write_title(textio::Records& out, const Options& options) {
  const stage::Inputs& inputs = options.stage;
  const bool comma = options.view.decimal_comma;
  const std::string n = harmonic_text(inputs.harmonic);
  out.text(inputs.harmonic == 1 ? "Каскад усилителя мощности"
                                : "Каскад умножителя частоты на " + n);
  out.text(textio::with_decimal_mark(inputs_line(options), comma));
  if (inputs.device) {
    out.text(textio::with_decimal_mark(
        "Прибор i = S (u - E')^p: S = " + textio::shortest_text(inputs.device->slope) +
            ", E' = " + textio::shortest_text(inputs.device->cutoff) + " В",
        comma));
  }
}

struct TextColumn {
  const char* heading;
  double stage::Design::*value;
};

constexpr std::array<TextColumn, 8> kMainColumns = {{{"ξ", &stage::Design::xi},
                                                     {"Rэ, Ом", &stage::Design::r_e},
                                                     {"Iмакс, А", &stage::Design::i_max},
                                                     {"I0, А", &stage::Design::i_0},
                                                     {"P0, Вт", &stage::Design::p_0},
                                                     {"Pрас, Вт", &stage::Design::p_diss},
                                                     {"η", &stage::Design::eta},
                                                     {"Uмакс, В", &stage::Design::u_peak}}};
constexpr std::array<TextColumn, 4> kDriveColumns = {{{"Uм, В", &stage::Design::u_m},
                                                      {"Iм, А", &stage::Design::i_mn},
                                                      {"Uвозб, В", &stage::Design::u_drive},
                                                      {"Eсм, В", &stage::Design::e_bias}}};

void write_table(textio::Records& out, const StageBlock& block, std::span<const TextColumn> columns,
                 bool comma) {
  std::string heading = textio::right_aligned("Угол", kAngleColumn.width);
  for (const TextColumn& column : columns)
    heading += textio::right_aligned(column.heading, kValueWidth);
  write_ruled_heading(out, heading);
  for (const StageRow& row : block.rows) {
    std::string line = textio::fixed_field(row.angle, kAngleColumn);
    for (const TextColumn& column : columns) {
      if (works(row)) line += significant(row.design.*column.value, kValueWidth);
    }
    out.formatted(textio::with_decimal_mark(line, comma));
  }
}

void write_note(textio::Records& out, const Options& options, const StageBlock& block) {
  if (std::all_of(block.rows.begin(), block.rows.end(), works)) return;
  const std::string n = harmonic_text(options.stage.harmonic);
  out.text(options.stage.saturation
               ? "Пустые строки: α" + n + " не больше 0 или критический режим не дает P" + n
               : "Пустые строки: α" + n + " не больше 0");
}

double least_peak_current(const std::vector<StageBlock>& blocks) {
  double least = std::numeric_limits<double>::infinity();
  for (const StageBlock& block : blocks) {
    for (const StageRow& row : block.rows) {
      if (works(row)) least = std::min(least, row.design.i_max);
    }
  }
  return least;
}

}  // namespace

ChartView stage_chart(const Options& options) {
  const std::string n = harmonic_text(options.stage.harmonic);
  ChartView view;
  view.title = options.stage.harmonic == 1 ? "Усилитель мощности" : "Умножитель частоты на " + n;
  view.value_axis = "η,  Pрас / P" + n + ",  Iмакс / наименьший Iмакс";
  view.series = {{"η", "data-quantity=\"eta\"", 2},
                 {"Pрас / P" + n, "data-quantity=\"dissipation\"", 1},
                 {"Iмакс / наим.", "data-quantity=\"peak\"", 0}};
  view.angles = options.angles;
  return view;
}

void draw_stages(Chart& chart, const std::vector<StageBlock>& blocks) {
  const double least = least_peak_current(blocks);
  const double none = std::numeric_limits<double>::quiet_NaN();
  for (const StageBlock& block : blocks) {
    chart.start_block(block.exponent);
    for (const StageRow& row : block.rows) {
      const stage::Design& d = row.design;
      chart.add(row.angle, works(row)
                               ? std::vector<double>{d.eta, d.p_diss / d.p_n, d.i_max / least}
                               : std::vector<double>{none, none, none});
    }
  }
}

std::vector<StageBlock> design_stages(const Options& options) {
  std::vector<StageBlock> blocks;
  for (double exponent : options.exponents) {
    blocks.push_back(design_block(options, exponent));
    check_block(options, blocks.back());
  }
  return blocks;
}

void write_stage_text(textio::Records& out, const Options& options,
                      const std::vector<StageBlock>& blocks) {
  write_title(out, options);
  for (const StageBlock& block : blocks) {
    write_exponent_line(out, block.exponent, options.view.decimal_comma);
    write_table(out, block, kMainColumns, options.view.decimal_comma);
    if (options.stage.device) {
      out.write_empty();
      write_table(out, block, kDriveColumns, options.view.decimal_comma);
    }
    write_note(out, options, block);
  }
}

void write_stage_csv(textio::Records& out, const Options& options,
                     const std::vector<StageBlock>& blocks) {
  const bool comma = options.view.decimal_comma;
  out.formatted(csv::in_form(csv::stage_header(options.stage), comma));
  for (const StageBlock& block : blocks) {
    for (const StageRow& row : block.rows) {
      out.formatted(csv::in_form(
          csv::stage_line(options.stage, row.angle, block.exponent, row.design), comma));
    }
  }
}

}  // namespace table
