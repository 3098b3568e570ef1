#include "report/chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>

#include "engine/rows.h"
#include "report/svg.h"
#include "textio/fields.h"

namespace chart {

namespace {

using svg::kColours;
using svg::kFont;
using svg::kInk;
using svg::line_element;
using svg::Lines;
using svg::number;
using svg::pixels;
using svg::text_element;

// The page, in pixels, and the plot area on it; the legend sits right of the plot.
constexpr int kWidth = 1000;
constexpr int kHeight = 660;
constexpr double kPlotLeft = 90.0;
constexpr double kPlotRight = 790.0;
constexpr double kPlotTop = 70.0;
constexpr double kPlotBottom = 580.0;
constexpr int kPlotColumns = static_cast<int>(kPlotRight - kPlotLeft);
constexpr double kLegendLeft = 815.0;
constexpr double kLegendLineHeight = 24.0;

// With several harmonics, each harmonic has its colour and each exponent its dash pattern;
// with one harmonic, the exponents take the colours in turn, then the next pattern.
// A pattern is a dash pattern for a curve and a shape for a point, as told apart as they go:
// solid, long dashes, dots, dash and dot, short dashes, dash and two dots; a circle, a square,
// a diamond, a triangle, a triangle upside down, a bar.
constexpr std::array<const char*, 6> kDashes = {"none",     "14 6", "2 4",
                                                "14 5 2 5", "6 5",  "14 4 2 4 2 4"};
enum class Shape { circle, square, diamond, triangle, inverted_triangle, bar };
constexpr std::size_t kMostExponentsOfOneSeries = 2 * kColours.size();
constexpr std::size_t kMostExponentsOfSeveral = kDashes.size();
// Up to this many angles each point of a curve is shown.
constexpr std::size_t kFewAngles = 25;

using Axis = Chart::Axis;

int decimals_of(double step) { return step < 0.01 ? 3 : step < 0.1 ? 2 : step < 1.0 ? 1 : 0; }

// The first of `steps` that divides the span into at most `intervals`.
double step_for(double span, const std::vector<double>& steps, int intervals) {
  for (double step : steps) {
    if (span / step <= intervals + 1e-9) return step;
  }
  return steps.back();
}

// The angles asked for, exactly; a single angle gets a degree on either side.
Axis angle_axis(const sweep::Range& range) {
  const double low = range.from < range.to ? range.from : range.from - 1.0;
  const double high = range.from < range.to ? range.to : range.to + 1.0;
  const double step = step_for(
      high - low, {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0}, 12);
  return {low, high, step, step < 0.1 ? 2 : step < 1.0 ? 1 : 0, false};
}

// The steps a reader counts in: 1, 2 and 5 times each power of ten.
constexpr std::array<int, 3> kMantissas = {1, 2, 5};
// The finest power of ten a step takes: finer ones lose digits.
constexpr int kFinestExponent = -307;
// Finer steps are labelled 2.5·10⁻⁶.
constexpr double kFinestFixedStep = 0.001;

// 10^k, exact where a double holds it exactly.
double power_of_ten(int k) {
  double power = 1.0;
  for (int i = 0; i < std::abs(k); ++i) power *= 10.0;
  return k < 0 ? 1.0 / power : power;
}

// mantissa * 10^exponent, the same double as the literal where it is exact to within a
// rounding (0.2, 0.05).
double nice_number(int mantissa, int exponent) {
  return exponent < 0 ? mantissa / power_of_ten(-exponent) : mantissa * power_of_ten(exponent);
}

int exponent_of(double value) {
  return static_cast<int>(std::floor(std::log10(std::fabs(value)) + 1e-9));
}

// How many whole steps reach from below `low` to above `high`.
double whole_steps(double low, double high, double step) {
  return std::ceil(high / step) - std::floor(low / step);
}

// The least nice step, from 10^finest on, that covers `low` to `high` in at most
// kMostIntervals whole steps; the search starts at the power of ten at or below a tenth of the
// span, as no finer step can.
double nice_step(double low, double high, int finest) {
  const double least = high / kMostIntervals - low / kMostIntervals;  // no overflow
  for (int exponent = least > 0.0 ? std::max(exponent_of(least), finest) : finest;; ++exponent) {
    for (int mantissa : kMantissas) {
      const double step = nice_number(mantissa, exponent);
      if (whole_steps(low, high, step) <= kMostIntervals) return step;
    }
  }
}

// The faint lines between labelled values: close enough to read off two decimals of a Berg
// coefficient, a tenth of a step for larger values; between labels more than a decade apart,
// a half or a fifth of their step, a nice step again.
double minor_step(const Axis& axis) {
  if (!axis.logarithmic) return axis.step >= 0.02 && axis.step <= 0.2 ? 0.01 : axis.step / 10;
  const double mantissa = std::round(axis.step / nice_number(1, exponent_of(axis.step)));
  return mantissa == 2.0 ? axis.step / 2 : axis.step / 5;
}

// Where the faint lines of an axis lie, in its units; on a logarithmic axis labelled at each
// decade, at 1, 2 and 5 of each, as on log paper.
std::vector<double> faint_lines(const Axis& axis) {
  std::vector<double> at;
  if (axis.logarithmic && axis.step == 1.0) {
    for (double decade = axis.low; decade < axis.high; ++decade) {
      for (int mantissa : kMantissas) at.push_back(decade + std::log10(mantissa));
    }
    at.push_back(axis.high);
    return at;
  }
  const double minor = minor_step(axis);
  const double lines = std::round(axis.high / minor - axis.low / minor);
  for (double i = 0; i <= lines; ++i) at.push_back(axis.low + i * minor);
  return at;
}

// Superscript digits and sign, for a power of ten as a reader writes it.
std::string superscript(int number) {
  static const std::array<const char*, 10> kDigits = {"⁰", "¹", "²", "³", "⁴",
                                                      "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string text = number < 0 ? "⁻" : "";
  for (char digit : std::to_string(std::abs(number))) text += kDigits[digit - '0'];
  return text;
}

// A power of ten: as a plain number from 0.001 to 1000, beyond them 10⁴, 10⁻⁵.
std::string decade_text(int decade) {
  if (std::abs(decade) <= 3) return number(power_of_ten(decade), std::max(0, -decade));
  return "10" + superscript(decade);
}

// A label of a linear axis: fixed, as a coefficient is read, or where the step is finer than
// a thousandth or the values reach a million, 2.5·10⁻⁶.
std::string linear_label(double value, const Axis& axis) {
  if (std::fabs(value) < axis.step / 2) return number(0.0, axis.decimals);
  if (axis.step >= kFinestFixedStep && std::max(std::fabs(axis.low), std::fabs(axis.high)) < 1e6) {
    return number(value, axis.decimals);
  }
  const int exponent = exponent_of(value);
  const int decimals = std::clamp(exponent - exponent_of(axis.step), 0, 3);
  return number(value / power_of_ten(exponent), decimals) + "·10" + superscript(exponent);
}

std::string tick_label(double position, const Axis& axis) {
  if (axis.logarithmic) return decade_text(static_cast<int>(std::round(position)));
  return linear_label(position, axis);
}

// How far `position` lies from the axis's low end (0) to its high end (1), also where the
// axis spans more than a double holds.
double fraction(double position, const Axis& axis) {
  const double span = axis.high - axis.low;
  if (std::isfinite(span)) return (position - axis.low) / span;
  return (position / 2 - axis.low / 2) / (axis.high / 2 - axis.low / 2);
}

// Maps the axes onto the plot area.
struct Frame {
  Axis angles;
  Axis values;
  bool single_angle;
  double x(double angle) const {
    return kPlotLeft + (angle - angles.low) / (angles.high - angles.low) * (kPlotRight - kPlotLeft);
  }
  // The height of a place on the value axis, in its units.
  double y_at(double position) const {
    return kPlotBottom - fraction(position, values) * (kPlotBottom - kPlotTop);
  }
  double y(double value) const { return y_at(values.logarithmic ? std::log10(value) : value); }
};

// The outline of a shape about the origin, 4.5 pixels from its middle to its sides.
std::string outline(Shape shape) {
  switch (shape) {
    case Shape::circle:
      return "M-4.5,0 a4.5,4.5 0 1,0 9,0 a4.5,4.5 0 1,0 -9,0Z";
    case Shape::square:
      return "M-4,-4 L4,-4 L4,4 L-4,4Z";
    case Shape::diamond:
      return "M0,-6 L6,0 L0,6 L-6,0Z";
    case Shape::triangle:
      return "M0,-6 L5.5,4 L-5.5,4Z";
    case Shape::inverted_triangle:
      return "M0,6 L5.5,-4 L-5.5,-4Z";
    case Shape::bar:
      return "M-6.5,-2.5 L6.5,-2.5 L6.5,2.5 L-6.5,2.5Z";
  }
  return "";
}

std::string marker_element(const std::string& attributes, Shape shape, double x, double y,
                           const std::string& colour) {
  return "<path " + attributes + " transform=\"translate(" + pixels(x) + " " + pixels(y) +
         ")\" d=\"" + outline(shape) + "\" fill=\"" + colour +
         "\" stroke=\"white\" stroke-width=\"1.5\"/>";
}

// A point of a curve of few angles: its exponent's shape, smaller than a mark.
std::string dot_element(const std::string& attributes, Shape shape, double x, double y,
                        const std::string& colour) {
  return "<path " + attributes + " transform=\"translate(" + pixels(x) + " " + pixels(y) +
         ") scale(0.6)\" d=\"" + outline(shape) + "\" fill=\"" + colour + "\"/>";
}

struct Style {
  const char* colour;
  std::size_t pattern;  // its dash pattern and its shape
};

Style style_of(std::size_t block, std::size_t colour, bool several_series) {
  if (several_series) return {kColours[colour % kColours.size()], block};
  return {kColours[block % kColours.size()], block / kColours.size()};
}

Shape shape_of(const Style& style) { return static_cast<Shape>(style.pattern); }

std::string stroke(const Style& style) {
  return "fill=\"none\" stroke=\"" + std::string(style.colour) +
         "\" stroke-width=\"2.2\" stroke-linejoin=\"round\" stroke-dasharray=\"" +
         kDashes[style.pattern] + "\"";
}

std::string data_attributes(const Series& series, double exponent) {
  return series.attribute + " data-exponent=\"" + textio::parameter_text(exponent) + "\"";
}

std::string title(const std::vector<double>& exponents, const ChartView& view) {
  std::string text = view.title + ", ";
  if (exponents.size() > 4) return text + std::to_string(exponents.size()) + " степеней функции";
  text += exponents.size() == 1 ? "степень функции " : "степени функции ";
  for (std::size_t i = 0; i < exponents.size(); ++i) {
    if (i > 0) text += ", ";
    text += textio::parameter_text(exponents[i]);
  }
  return text;
}

// The angle ticks: those of the axis, or for a single angle that angle alone, about which the
// points stand side by side.
std::vector<double> angle_ticks(const Frame& frame) {
  if (frame.single_angle) return {(frame.angles.low + frame.angles.high) / 2};
  return ticks(frame.angles);
}

void write_grid(Lines& out, const Frame& frame) {
  for (double position : faint_lines(frame.values)) {
    const double y = frame.y_at(position);
    out.formatted(
        line_element(kPlotLeft, y, kPlotRight, y, "stroke=\"#ececec\" stroke-width=\"0.8\""));
  }
  const std::string major = "stroke=\"#c4c4c4\" stroke-width=\"1\"";
  for (double angle : angle_ticks(frame)) {
    const double x = frame.x(angle);
    out.formatted(line_element(x, kPlotTop, x, kPlotBottom, major));
    out.formatted(text_element("class=\"x-tick\" text-anchor=\"middle\"", x, kPlotBottom + 22, 14,
                               number(angle, frame.angles.decimals) + "°"));
  }
  for (double position : ticks(frame.values)) {
    const double y = frame.y_at(position);
    const bool zero = !frame.values.logarithmic && std::fabs(position) < frame.values.step / 2;
    out.formatted(line_element(kPlotLeft, y, kPlotRight, y,
                               zero ? "stroke=\"#707070\" stroke-width=\"1.2\"" : major));
    out.formatted(text_element("class=\"y-tick\" text-anchor=\"end\"", kPlotLeft - 8, y + 5, 14,
                               tick_label(position, frame.values)));
  }
}

void write_frame(Lines& out, const Frame& frame, const ChartView& view) {
  out.formatted("<g font-family=\"" + std::string(kFont) + "\" fill=\"" + kInk + "\">");
  write_grid(out, frame);
  out.formatted("<rect x=\"" + pixels(kPlotLeft) + "\" y=\"" + pixels(kPlotTop) + "\" width=\"" +
                pixels(kPlotRight - kPlotLeft) + "\" height=\"" + pixels(kPlotBottom - kPlotTop) +
                "\" fill=\"none\" stroke=\"" + kInk + "\" stroke-width=\"1.5\"/>");
  out.formatted(text_element("text-anchor=\"middle\"", (kPlotLeft + kPlotRight) / 2,
                             kPlotBottom + 52, 16, "Угол отсечки θ, градусы"));
  out.formatted(text_element("text-anchor=\"middle\" transform=\"rotate(-90 30 " +
                                 pixels((kPlotTop + kPlotBottom) / 2) + ")\"",
                             30, (kPlotTop + kPlotBottom) / 2, 16, view.value_axis));
  out.formatted("</g>");
}

// A sample of a curve, or of a point where the chart is of a single angle.
void write_legend_line(Lines& out, double y, const Style& style, bool points,
                       const std::string& label) {
  out.formatted(points ? marker_element("", shape_of(style), kLegendLeft + 18, y, style.colour)
                       : line_element(kLegendLeft, y, kLegendLeft + 36, y, stroke(style)));
  out.formatted(text_element("", kLegendLeft + 44, y + 5, 14, label));
}

// Whether the middle of three points turns the curve, up or down.
bool turns(double before, double at, double after) {
  return (at < before && at < after) || (at > before && at > after);
}

// A piece of a curve as a polyline, with a point at each angle where the angles are few. A
// point less than a pixel from the last one drawn, either way, is left out unless it turns
// the curve or ends it: a line drawn past it misses it by less than a pixel.
void write_piece(Lines& out, const Frame& frame, const std::vector<Chart::Point>& piece,
                 const Style& style, const std::string& data, bool dots) {
  std::string points;
  double last_x = 0.0, last_y = 0.0;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const double x = frame.x(piece[i].angle), y = frame.y(piece[i].value);
    const bool inner = i > 0 && i + 1 < piece.size();
    if (inner && std::fabs(x - last_x) < 1.0 && std::fabs(y - last_y) < 1.0 &&
        !turns(piece[i - 1].value, piece[i].value, piece[i + 1].value)) {
      continue;
    }
    if (!points.empty()) points += ' ';
    points += pixels(x);
    points += ',';
    points += pixels(y);
    last_x = x;
    last_y = y;
  }
  out.formatted("<polyline class=\"curve\" " + data + " " + stroke(style) + " points=\"" + points +
                "\"/>");
  for (const Chart::Point& point : dots ? piece : std::vector<Chart::Point>{}) {
    out.formatted(dot_element("class=\"dot\" " + data, shape_of(style), frame.x(point.angle),
                              frame.y(point.value), style.colour));
  }
}

// The shade of what lies beyond a limit: a red light enough that the grid and the curves show
// through it, darker where the shades of several exponents lie over each other.
constexpr const char* kShadeFill = "fill=\"#c62828\" fill-opacity=\"0.12\"";

std::string shade_element(const std::string& attributes, double x, double y, double width,
                          double height) {
  return "<rect " + attributes + " x=\"" + pixels(x) + "\" y=\"" + pixels(y) + "\" width=\"" +
         pixels(width) + "\" height=\"" + pixels(height) + "\" " + kShadeFill + "/>";
}

// Each series' colour, where there are several; each exponent's style; each exponent's mark;
// the shade.
void write_legend(Lines& out, const ChartView& view, const std::vector<double>& exponents,
                  bool single_angle, bool marks, bool shades) {
  const bool several = view.series.size() > 1;
  out.formatted("<g font-family=\"" + std::string(kFont) + "\" fill=\"" + kInk + "\">");
  double y = kPlotTop + 12;
  if (several) {
    for (const Series& series : view.series) {
      write_legend_line(out, y, {kColours[series.colour % kColours.size()], 0}, single_angle,
                        series.label);
      y += kLegendLineHeight;
    }
    y += kLegendLineHeight / 2;
  }
  if (!several || exponents.size() > 1) {
    for (std::size_t b = 0; b < exponents.size(); ++b) {
      const Style style = several ? Style{kInk, b} : style_of(b, 0, false);
      write_legend_line(out, y, style, single_angle,
                        "степень " + textio::parameter_text(exponents[b]));
      y += kLegendLineHeight;
    }
  }
  // The marks of each exponent in its shape: one line, or a heading and a line each.
  if (marks && exponents.size() == 1) {
    y += kLegendLineHeight / 2;
    out.formatted(marker_element("", Shape::circle, kLegendLeft + 18, y, kInk));
    out.formatted(text_element("", kLegendLeft + 44, y + 5, 14, view.mark_label));
  }
  if (marks && exponents.size() > 1) {
    y += kLegendLineHeight / 2;
    out.formatted(text_element("", kLegendLeft, y + 5, 14, view.mark_label + ":"));
    for (std::size_t b = 0; b < exponents.size(); ++b) {
      y += kLegendLineHeight;
      const Style style = several ? Style{kInk, b} : style_of(b, 0, false);
      out.formatted(marker_element("", shape_of(style), kLegendLeft + 18, y, style.colour));
      out.formatted(text_element("", kLegendLeft + 44, y + 5, 14,
                                 "степень " + textio::parameter_text(exponents[b])));
    }
  }
  if (shades) {
    y += kLegendLineHeight * 1.5;
    out.formatted(shade_element("", kLegendLeft, y - 8, 36, 16));
    out.formatted(text_element("", kLegendLeft + 44, y + 5, 14, view.shade_label));
  }
  out.formatted("</g>");
}

}  // namespace

Axis linear_axis(double lowest, double highest) {
  // Nothing but 0 to show: the finest step labelled in fixed decimals.
  const double step =
      lowest == highest ? kFinestFixedStep : nice_step(lowest, highest, kFinestExponent);
  double low = std::floor(lowest / step) * step;
  double high = std::max(std::ceil(highest / step) * step, low + step);
  // Near the largest double the whole step beyond the values is not one.
  if (!std::isfinite(low)) low = lowest;
  if (!std::isfinite(high)) high = highest;
  return {low, high, step, decimals_of(step), false};
}

Axis logarithmic_axis(double lowest, double highest) {
  const double first = std::floor(std::log10(lowest));
  const double last = std::max(std::ceil(std::log10(highest)), first + 1.0);
  const double step = nice_step(first, last, 0);
  return {std::floor(first / step) * step, std::ceil(last / step) * step, step, 0, true};
}

std::vector<double> ticks(const Axis& axis) {
  std::vector<double> at;
  const double first = std::ceil(axis.low / axis.step - 1e-9);
  const double last = std::floor(axis.high / axis.step + 1e-9);
  for (double i = first; i <= last; ++i) at.push_back(i * axis.step);
  return at;
}

std::optional<refusals::Refusal> too_many_curves(std::size_t exponents, std::size_t series) {
  const std::string count = std::to_string(exponents);
  const std::string most_of_one = std::to_string(kMostExponentsOfOneSeries);
  if (series > 1 && exponents > kMostExponentsOfSeveral) {
    return refusals::Refusal{"svg",
                             refusals::Kind::curves_of_several,
                             {count, std::to_string(kMostExponentsOfSeveral), most_of_one}};
  }
  if (exponents > kMostExponentsOfOneSeries) {
    return refusals::Refusal{"svg", refusals::Kind::curves_of_one, {count, most_of_one}};
  }
  return std::nullopt;
}

Chart::Chart(const ChartView& view)
    : view_(view),
      angle_axis_(angle_axis(view.angles)),
      angles_(static_cast<std::size_t>(sweep::count(view.angles, rows::kMostRows))) {}

void Chart::start_block(double exponent) {
  exponents_.push_back(exponent);
  for (std::size_t s = 0; s < view_.series.size(); ++s) {
    curves_.push_back({exponents_.size() - 1, s, {{}}});
  }
}

void Chart::add(double angle, const std::vector<double>& values) {
  const std::size_t first = (exponents_.size() - 1) * view_.series.size();
  for (std::size_t s = 0; s < view_.series.size(); ++s) {
    Curve& curve = curves_[first + s];
    if (!std::isfinite(values[s])) {
      end_column(curve);
      if (!curve.pieces.back().empty()) curve.pieces.emplace_back();
      continue;
    }
    add(curve, {angle, values[s]});
  }
}

void Chart::include(double value) {
  lowest_ = std::min(lowest_, value);
  highest_ = std::max(highest_, value);
}

void Chart::add(Curve& curve, Point point) {
  include(point.value);
  const int column = static_cast<int>(std::floor(
      (point.angle - angle_axis_.low) / (angle_axis_.high - angle_axis_.low) * kPlotColumns));
  if (column != curve.column) {
    end_column(curve);
    curve.column = column;
    curve.first = curve.lowest = curve.highest = point;
  }
  if (point.value < curve.lowest.value) curve.lowest = point;
  if (point.value > curve.highest.value) curve.highest = point;
  curve.last = point;
}

// The column's points in the order of their angles, each once.
void Chart::end_column(Curve& curve) {
  if (curve.column < 0) return;
  std::array<Point, 4> kept = {curve.first, curve.lowest, curve.highest, curve.last};
  std::sort(kept.begin(), kept.end(),
            [](const Point& a, const Point& b) { return a.angle < b.angle; });
  std::vector<Point>& piece = curve.pieces.back();
  for (const Point& point : kept) {
    if (piece.empty() || point.angle != piece.back().angle) piece.push_back(point);
  }
  curve.column = -1;
}

void Chart::shade(std::size_t block, double from, double to) {
  shades_.push_back({block, std::max(from, angle_axis_.low), std::min(to, angle_axis_.high)});
}

void Chart::mark(std::size_t block, std::size_t series, Point at) {
  if (at.angle < angle_axis_.low || at.angle > angle_axis_.high || !std::isfinite(at.value)) {
    return;
  }
  marks_.push_back({block, series, at});
  include(at.value);
}

std::string Chart::finish() && {
  for (Curve& curve : curves_) end_column(curve);
  const bool single_angle = angles_ == 1;
  const bool logarithmic = lowest_ > 0.0 && highest_ > view_.widest_linear;
  const Frame frame{angle_axis_,
                    logarithmic ? logarithmic_axis(lowest_, highest_)
                                : linear_axis(std::min(lowest_, 0.0), std::max(highest_, 0.0)),
                    single_angle};
  const bool several = view_.series.size() > 1;
  // A single angle's points stand side by side about it, a step of at most 0.15 degree apart.
  const double side_step =
      std::min(0.15, 1.6 / static_cast<double>(std::max<std::size_t>(curves_.size(), 1)));
  Lines out;
  svg::start_document(out, kWidth, kHeight, title(exponents_, view_));
  write_frame(out, frame, view_);
  for (const Shade& shade : shades_) {
    const std::string data =
        "class=\"shade\" data-exponent=\"" + textio::parameter_text(exponents_[shade.block]) + "\"";
    out.formatted(shade_element(data, frame.x(shade.from), kPlotTop,
                                frame.x(shade.to) - frame.x(shade.from), kPlotBottom - kPlotTop));
  }
  for (std::size_t c = 0; c < curves_.size(); ++c) {
    const Curve& curve = curves_[c];
    const Style style = style_of(curve.block, view_.series[curve.series].colour, several);
    const std::string data = data_attributes(view_.series[curve.series], exponents_[curve.block]);
    for (const std::vector<Point>& piece : curve.pieces) {
      if (piece.empty()) continue;
      if (!single_angle) {
        write_piece(out, frame, piece, style, data, angles_ <= kFewAngles);
        continue;
      }
      const double offset = (static_cast<double>(c) - (curves_.size() - 1) / 2.0) * side_step;
      out.formatted(marker_element("class=\"point\" " + data, shape_of(style),
                                   frame.x(piece.front().angle + offset),
                                   frame.y(piece.front().value), style.colour));
    }
  }
  for (const Mark& mark : marks_) {
    const Style style = style_of(mark.block, view_.series[mark.series].colour, several);
    out.formatted(marker_element(
        "class=\"mark\" " + data_attributes(view_.series[mark.series], exponents_[mark.block]),
        shape_of(style), frame.x(mark.at.angle), frame.y(mark.at.value), style.colour));
  }
  write_legend(out, view_, exponents_, single_angle, !marks_.empty(), !shades_.empty());
  out.formatted("</svg>");
  return std::move(out.text);
}

}  // namespace chart
