#include "table/stage.h"

#include <algorithm>
#include <limits>
#include <span>
#include <string>

#include "engine/rows.h"
#include "report/csv.h"
#include "report/stage_text.h"
#include "table/plain_table.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace table {

namespace {

constexpr int kValueWidth = 9;
constexpr textio::Edit kAngleColumn{7, textio::kParameterEdit.decimals};

std::string harmonic_text(int n) { return std::to_string(n); }

bool works(const stage::Row& row) { return stage::works(row.design); }

// Beyond five times, a linear axis leaves η, at most 1, a fifth of the chart's height or less;
// near an angle where alpha_n nears 0 the ratios grow by millions, and only a logarithmic axis
// shows them and η at once.
constexpr double kWidestLinearRatio = 5.0;

void check_block(const Options& options, const stage::Block& block) {
  std::optional<refusals::Refusal> refusal =
      stage_text::refusal_of_block(options.stage, options.angles, block);
  if (refusal) throw Refused(std::move(*refusal));
}

// ---- The text ----

void write_title(textio::Records& out, const Options& options) {
  for (const std::string& line : stage_text::heading_lines(options.stage)) {
    out.text(textio::with_decimal_mark(line, options.view.decimal_comma));
  }
}

void write_table(textio::Records& out, const stage::Block& block,
                 std::span<const stage::Column> columns, bool comma) {
  std::string heading = textio::right_aligned("Угол", kAngleColumn.width);
  for (const stage::Column& column : columns)
    heading += textio::right_aligned(column.heading, kValueWidth);
  write_ruled_heading(out, heading);
  for (const stage::Row& row : block.rows) {
    std::string line = textio::fixed_field(row.angle, kAngleColumn);
    for (const stage::Column& column : columns) {
      if (works(row)) line += textio::significant_field(row.design.*column.value, kValueWidth);
    }
    out.formatted(textio::with_decimal_mark(line, comma));
  }
}

void write_note(textio::Records& out, const Options& options, const stage::Block& block) {
  if (std::all_of(block.rows.begin(), block.rows.end(), works)) return;
  out.text(stage_text::empty_rows_note(options.stage));
}

double least_peak_current(const std::vector<stage::Block>& blocks) {
  double least = std::numeric_limits<double>::infinity();
  for (const stage::Block& block : blocks) {
    for (const stage::Row& row : block.rows) {
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
  view.widest_linear = kWidestLinearRatio;
  return view;
}

void draw_stages(Chart& chart, const std::vector<stage::Block>& blocks) {
  const double least = least_peak_current(blocks);
  const double none = std::numeric_limits<double>::quiet_NaN();
  for (const stage::Block& block : blocks) {
    chart.start_block(block.exponent);
    for (const stage::Row& row : block.rows) {
      const stage::Design& d = row.design;
      chart.add(row.angle, works(row)
                               ? std::vector<double>{d.eta, d.p_diss / d.p_n, d.i_max / least}
                               : std::vector<double>{none, none, none});
    }
  }
}

std::vector<stage::Block> design_stages(const Options& options) {
  std::vector<stage::Block> blocks;
  for (double exponent : options.exponents) {
    blocks.push_back(stage::over_range(options.stage, options.angles,
                                       sweep::count(options.angles, rows::kMostRows), exponent));
    check_block(options, blocks.back());
  }
  return blocks;
}

void write_stage_text(textio::Records& out, const Options& options,
                      const std::vector<stage::Block>& blocks) {
  write_title(out, options);
  for (const stage::Block& block : blocks) {
    write_exponent_line(out, block.exponent, options.view.decimal_comma);
    write_table(out, block, stage::kMainColumns, options.view.decimal_comma);
    if (options.stage.device) {
      out.write_empty();
      write_table(out, block, stage::kDriveColumns, options.view.decimal_comma);
    }
    write_note(out, options, block);
  }
}

void write_stage_csv(textio::Records& out, const Options& options,
                     const std::vector<stage::Block>& blocks) {
  const bool comma = options.view.decimal_comma;
  out.formatted(csv::in_form(csv::stage_header(options.stage), comma));
  for (const stage::Block& block : blocks) {
    for (const stage::Row& row : block.rows) {
      out.formatted(csv::in_form(
          csv::stage_line(options.stage, row.angle, block.exponent, row.design), comma));
    }
  }
}

}  // namespace table
