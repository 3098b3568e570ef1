#include "report/answer_charts.h"

#include <algorithm>
#include <limits>

#include "textio/fields.h"

namespace answer_charts {

namespace {

// The harmonics a chart draws unless others are chosen: those that matter most in practice.
constexpr int kLastHarmonicByDefault = 3;

// Beyond five times, a linear axis leaves η, at most 1, a fifth of the chart's height or less;
// near an angle where alpha_n nears 0 the ratios grow by millions, and only a logarithmic axis
// shows them and η at once.
constexpr double kWidestLinearRatio = 5.0;

bool shows(const std::vector<quantity::Id>& shown, quantity::Id id) {
  return std::find(shown.begin(), shown.end(), id) != shown.end();
}

bool beyond(const stage::Row& row) { return row.design.verdict == stage::Verdict::limit_broken; }

// A row whose values are drawn: one that works, or one beyond a limit of the device.
bool drawn(const stage::Row& row) { return stage::works(row.design) || beyond(row); }

double least_peak_current(const std::vector<stage::Block>& blocks) {
  double least = std::numeric_limits<double>::infinity();
  for (const stage::Block& block : blocks) {
    for (const stage::Row& row : block.rows) {
      if (drawn(row)) least = std::min(least, row.design.i_max);
    }
  }
  return least;
}

// Each run of rows beyond a limit, shaded halfway to the rows beside it, to the axis's end
// where there are none.
void shade_beyond(chart::Chart& chart, std::size_t b, const stage::Block& block) {
  const double far = std::numeric_limits<double>::infinity();
  const std::vector<stage::Row>& rows = block.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!beyond(rows[i])) continue;
    std::size_t last = i;
    while (last + 1 < rows.size() && beyond(rows[last + 1])) ++last;
    const double from = i == 0 ? -far : (rows[i - 1].angle + rows[i].angle) / 2;
    const double to = last + 1 == rows.size() ? far : (rows[last].angle + rows[last + 1].angle) / 2;
    chart.shade(b, from, to);
    i = last;
  }
}

}  // namespace

BergChoice berg_choice(const std::optional<std::vector<int>>& chosen,
                       const std::vector<quantity::Id>& shown) {
  BergChoice choice;
  if (chosen) {
    choice.harmonics = *chosen;
  } else {
    for (int k = 0; k <= kLastHarmonicByDefault; ++k) choice.harmonics.push_back(k);
  }
  choice.gamma = shows(shown, quantity::Id::gamma) && !shows(shown, quantity::Id::alpha);
  return choice;
}

std::vector<double> berg_values(const BergChoice& choice, const berg::Result& row) {
  std::vector<double> values;
  for (int k : choice.harmonics)
    values.push_back(choice.gamma ? row.gamma(k) : row.signed_value(k));
  return values;
}

chart::ChartView rows_chart(const BergChoice& choice, const sweep::Range& angles) {
  const std::vector<int>& harmonics = choice.harmonics;
  const std::string symbol = choice.gamma ? "γ" : "α";
  chart::ChartView view;
  const bool one = harmonics.size() == 1;
  const std::string coefficient = symbol + (one ? std::to_string(harmonics[0]) : "ₙ");
  view.title = (one ? "Коэффициент Берга " : "Коэффициенты Берга ") + coefficient;
  view.value_axis = "Коэффициент " + coefficient;
  for (int k : harmonics) {
    view.series.push_back({symbol + std::to_string(k),
                           "data-harmonic=\"" + std::to_string(k) + "\"",
                           static_cast<std::size_t>(k)});
  }
  view.angles = angles;
  return view;
}

chart::ChartView optimum_chart(const BergChoice& choice, const sweep::Range& angles) {
  chart::ChartView view = rows_chart(choice, angles);
  view.mark_label = "первый максимум";
  return view;
}

chart::ChartView g1_chart(const BergChoice& choice, const sweep::Range& angles, double g1,
                          bool decimal_comma) {
  chart::ChartView view = rows_chart(choice, angles);
  view.mark_label = "g1 = " + textio::with_decimal_mark(
                                  textio::trimmed_field(g1, textio::kModulusEdit), decimal_comma);
  return view;
}

BergCurves::BergCurves(chart::Chart& chart, const BergChoice& choice)
    : chart_(chart), choice_(choice) {}

void BergCurves::start_block(double exponent) { chart_.start_block(exponent); }

void BergCurves::write_row(const berg::Result& row) {
  chart_.add(row.angle(), berg_values(choice_, row));
}

void BergCurves::mark_maxima(std::size_t block, const std::vector<design::Optimum>& optima) {
  const std::vector<int>& harmonics = choice_.harmonics;
  for (const design::Optimum& optimum : optima) {
    const auto drawn = std::find(harmonics.begin(), harmonics.end(), optimum.harmonic);
    if (drawn == harmonics.end()) continue;
    const design::Peak& peak = choice_.gamma ? optimum.gamma : optimum.alpha;
    chart_.mark(block, static_cast<std::size_t>(drawn - harmonics.begin()),
                {peak.angle, peak.value});
  }
}

void BergCurves::mark_angle(std::size_t block, const berg::Result& at) {
  const std::vector<double> values = berg_values(choice_, at);
  for (std::size_t i = 0; i < values.size(); ++i) chart_.mark(block, i, {at.angle(), values[i]});
}

chart::ChartView stage_chart(int harmonic, const sweep::Range& angles) {
  const std::string n = std::to_string(harmonic);
  chart::ChartView view;
  view.title = harmonic == 1 ? "Усилитель мощности" : "Умножитель частоты на " + n;
  view.value_axis = "η,  Pрас / P" + n + ",  Iмакс / наименьший Iмакс";
  view.series = {{"η", "data-quantity=\"eta\"", 2},
                 {"Pрас / P" + n, "data-quantity=\"dissipation\"", 1},
                 {"Iмакс / наим.", "data-quantity=\"peak\"", 0}};
  view.angles = angles;
  view.widest_linear = kWidestLinearRatio;
  view.shade_label = "предел превышен";
  return view;
}

void draw_stages(chart::Chart& chart, const std::vector<stage::Block>& blocks) {
  const double least = least_peak_current(blocks);
  const double none = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const stage::Block& block = blocks[b];
    chart.start_block(block.exponent);
    for (const stage::Row& row : block.rows) {
      const stage::Design& d = row.design;
      chart.add(row.angle, drawn(row)
                               ? std::vector<double>{d.eta, d.p_diss / d.p_n, d.i_max / least}
                               : std::vector<double>{none, none, none});
    }
    shade_beyond(chart, b, block);
  }
}

}  // namespace answer_charts
