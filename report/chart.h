// Charts against the cut-off angle, as SVG pictures meant for the screen and for print: the
// Berg chart (the signed alpha_n or gamma_n of each chosen harmonic), and the trade-off of a
// stage. One curve per series and exponent.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "engine/sweep.h"
#include "report/refusals.h"

namespace chart {

// Why curves for `exponents` exponents and `series` series could not all be told apart, as a
// refusal of the entry that asks for the chart, svg; nothing when they can: with several
// series each has its colour and each exponent its dash pattern (or, for a single angle, its
// shape), six of them; with one series each exponent has a colour and a pattern, twenty.
std::optional<refusals::Refusal> too_many_curves(std::size_t exponents, std::size_t series);

// One curve of each exponent's block.
struct Series {
  std::string label;      // in the legend: "α2", "η"
  std::string attribute;  // the data attribute that names it: data-harmonic="2"
  std::size_t colour;     // its colour where there are several series
};

struct ChartView {
  std::string title;       // before the exponents: "Коэффициенты Берга αₙ"
  std::string value_axis;  // the label of the value axis
  std::vector<Series> series;
  sweep::Range angles;      // the angle axis spans from..to
  std::string mark_label;   // the legend's word for the marks, if any are made
  std::string shade_label;  // the legend's word for the shaded spans, if any are shaded
  // Beyond this the value axis is logarithmic, where every value drawn is above 0: for
  // quantities that grow without bound beside others that stay near 1.
  double widest_linear = std::numeric_limits<double>::infinity();
};

// Takes the values as they are computed and keeps of each curve what its width can show: in
// each column of pixels the first and last point, and the lowest and highest, so that the
// picture is the same as with every point and its size does not grow with the rows. A curve
// of a single angle is drawn as points side by side, so that none hides another; a curve of
// few angles shows a point at each. A value that is not finite is not drawn: it breaks its
// curve, as not-a-number does.
class Chart {
 public:
  explicit Chart(const ChartView& view);

  struct Point {
    double angle;
    double value;
  };

  void start_block(double exponent);
  // The value of each series at `angle`, in the order of the view's series: not-a-number
  // where a series has none, which breaks its curve.
  void add(double angle, const std::vector<double>& values);
  // Marks a point on the curve of `series` in block `block`, such as a maximum.
  void mark(std::size_t block, std::size_t series, Point at);
  // Shades the angles from `from` to `to` behind the curves of block `block`, such as where a
  // stage is beyond a limit of its device; the shades of several blocks lie over each other.
  void shade(std::size_t block, double from, double to);
  // Ends the curves and gives the whole SVG document, CR LF line ends; the chart is used up.
  // Tick labels are <text> elements of class "x-tick" or "y-tick" placed at their tick; each
  // piece of a curve is a <polyline> of class "curve" (a <path> of class "point" for a single
  // angle), each mark a <path> of class "mark", all with the series' data attribute and
  // data-exponent, in the same pixels as the ticks; each shade a <rect> of class "shade" with
  // data-exponent, the height of the plot.
  std::string finish() &&;

  // An axis from `low` to `high` with labelled ticks at the multiples of `step` between them;
  // on a logarithmic axis all three count decades (-3 for 0.001).
  struct Axis {
    double low;
    double high;
    double step;
    int decimals;
    bool logarithmic;
  };

 private:
  struct Curve {
    std::size_t block;
    std::size_t series;
    std::vector<std::vector<Point>> pieces;
    // The points of the column of pixels still being filled: first, lowest, highest, last.
    int column = -1;
    Point first{}, lowest{}, highest{}, last{};
  };
  struct Mark {
    std::size_t block;
    std::size_t series;
    Point at;
  };
  struct Shade {
    std::size_t block;
    double from;
    double to;
  };

  void add(Curve& curve, Point point);
  void end_column(Curve& curve);
  void include(double value);

  ChartView view_;
  Axis angle_axis_;
  std::size_t angles_ = 0;  // how many angles each block has
  std::vector<double> exponents_;
  std::vector<Curve> curves_;
  std::vector<Mark> marks_;
  std::vector<Shade> shades_;
  double lowest_ = std::numeric_limits<double>::infinity();  // of the values drawn
  double highest_ = -std::numeric_limits<double>::infinity();
};

// The most intervals between an axis's labels, so that a chart of any span has a few dozen
// lines of grid at most.
constexpr int kMostIntervals = 10;

// The linear axis of values from `lowest` to `highest`, 0 among them (lowest <= 0 <= highest):
// labelled every 1, 2 or 5 times a power of ten, at most kMostIntervals steps, and widened to
// whole steps where a double holds them.
Chart::Axis linear_axis(double lowest, double highest);
// The logarithmic axis of values from `lowest` to `highest` (0 < lowest <= highest): whole
// decades, labelled every 1, 2 or 5 times a power of ten decades, at most kMostIntervals steps.
Chart::Axis logarithmic_axis(double lowest, double highest);
// Where an axis is labelled, in its units.
std::vector<double> ticks(const Chart::Axis& axis);

}  // namespace chart
