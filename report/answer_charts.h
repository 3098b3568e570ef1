// What each answer draws, alike in k-berg-table and on the page: the Berg chart of a range's
// rows (marked at the best angles or at the angle of a g1), and the trade-off of a stage.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "engine/quantity.h"
#include "engine/rows.h"
#include "engine/stage.h"
#include "engine/sweep.h"
#include "report/chart.h"

namespace answer_charts {

// The curves of a Berg chart: one per harmonic, of gamma_k or of the signed alpha_k.
struct BergChoice {
  std::vector<int> harmonics;  // in increasing order
  bool gamma = false;
};

// The harmonics chosen for the answer (0 to 3 where none are), gamma_k where `shown` names
// gamma and not alpha, alpha_k otherwise.
BergChoice berg_choice(const std::optional<std::vector<int>>& chosen,
                       const std::vector<quantity::Id>& shown);

// What a row gives each curve of the chart, in the order of the choice's harmonics.
std::vector<double> berg_values(const BergChoice& choice, const berg::Result& row);

// The Berg chart of the rows over `angles`; with the marks of the best angles; with the marks
// of the angle of the wanted `g1`, named with a decimal comma if `decimal_comma`.
chart::ChartView rows_chart(const BergChoice& choice, const sweep::Range& angles);
chart::ChartView optimum_chart(const BergChoice& choice, const sweep::Range& angles);
chart::ChartView g1_chart(const BergChoice& choice, const sweep::Range& angles, double g1,
                          bool decimal_comma);

// Hands each row's values of the choice to the chart.
class BergCurves : public rows::RowWriter {
 public:
  BergCurves(chart::Chart& chart, const BergChoice& choice);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;
  // Marks the maxima of the harmonics drawn.
  void mark_maxima(std::size_t block, const std::vector<design::Optimum>& optima);
  // Marks the curves of the harmonics drawn at the angle of `at`.
  void mark_angle(std::size_t block, const berg::Result& at);

 private:
  chart::Chart& chart_;
  BergChoice choice_;
};

// The curves of a stage's chart: the efficiency, the dissipation related to the output power,
// and the peak current related to the least of the range.
constexpr std::size_t kStageSeries = 3;

// The chart of the trade-off against the angle, for each exponent, of a stage for harmonic
// `harmonic`: the efficiency, the power the device dissipates per watt of output, and the
// peak current the device must give, related to the least of all drawn; what lies beyond a
// limit of the device drawn on a shade.
chart::ChartView stage_chart(int harmonic, const sweep::Range& angles);
void draw_stages(chart::Chart& chart, const std::vector<stage::Block>& blocks);

}  // namespace answer_charts
