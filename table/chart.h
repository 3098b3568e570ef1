// The Berg chart: the signed coefficient alpha_k (or gamma_k) of each chosen harmonic against
// the cut-off angle, one curve per harmonic and exponent, as an SVG picture meant for the
// screen and for print.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/design.h"
#include "engine/quantity.h"
#include "table/rows.h"

namespace table {

// Why curves for `exponents` exponents and these harmonics could not all be told apart, or
// "" when they can: with several harmonics each has its colour and each exponent its dash
// pattern (or, for a single angle, its shape), six of them; with one harmonic each exponent
// has a colour and a pattern, twenty.
std::string too_many_curves(std::size_t exponents, const std::vector<int>& harmonics);

struct ChartView {
  std::vector<int> harmonics;  // in increasing order
  bool gamma = false;          // gamma_k instead of alpha_k
  AngleRange angles;           // the angle axis spans from..to
};

// Takes the rows as they are computed and keeps of each curve what its width can show: in
// each column of pixels the first and last point, and the lowest and highest, so that the
// picture is the same as with every point and its size does not grow with the rows. A curve
// of a single angle is drawn as a point.
class Chart : public RowWriter {
 public:
  explicit Chart(const ChartView& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;
  // Marks on the curves of block `block` the first maxima of what they draw.
  void mark_maxima(std::size_t block, const std::vector<design::Optimum>& optima);
  // Ends the curves and gives the whole SVG document, CR LF line ends; the chart is used up. Tick
  // labels are <text> elements of class "x-tick" or "y-tick" placed at their tick; each curve is a
  // <polyline> of class "curve" (a <path> of class "point" for a single angle, in the exponent's
  // shape), each maximum a <path> of class "maximum", all with data-harmonic and data-exponent, in
  // the same pixels as the ticks.
  std::string finish() &&;

  struct Point {
    double angle;
    double value;
  };

  // An axis from `low` to `high` with labelled ticks at the multiples of `step` between them.
  struct Axis {
    double low;
    double high;
    double step;
    int decimals;
  };

 private:
  struct Curve {
    std::size_t block;
    int harmonic;
    std::vector<Point> points;
    // The points of the column of pixels still being filled: first, lowest, highest, last.
    int column = -1;
    Point first{}, lowest{}, highest{}, last{};
  };
  struct Marker {
    std::size_t block;
    int harmonic;
    Point at;
  };

  void add(Curve& curve, Point point);
  void end_column(Curve& curve);

  ChartView view_;
  Axis angle_axis_;
  std::vector<double> exponents_;
  std::vector<Curve> curves_;
  std::vector<Marker> markers_;
  double lowest_ = 0.0;  // the range of the values drawn, 0 always among them
  double highest_ = 0.0;
};

}  // namespace table
