#include "table/chart.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "textio/channels.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace table {

namespace {

// The page, in pixels, and the plot area on it; the legend sits right of the plot.
constexpr int kWidth = 1000;
constexpr int kHeight = 660;
constexpr double kPlotLeft = 90.0;
constexpr double kPlotRight = 790.0;
constexpr double kPlotTop = 70.0;
constexpr double kPlotBottom = 580.0;
constexpr double kLegendLeft = 815.0;
constexpr double kLegendLineHeight = 24.0;
constexpr const char* kFont = "DejaVu Sans, Arial, Helvetica, sans-serif";

// One colour per harmonic, far apart in hue and dark enough for print; one dash pattern per
// exponent, repeating after the sixth.
constexpr std::array<const char*, berg::kHarmonics> kColours = {
    "#1f4e9c", "#c62828", "#2e7d32", "#ef6c00", "#6a1b9a",
    "#00838f", "#ad1457", "#5d4037", "#9e9d24", "#455a64"};
constexpr std::array<const char*, 6> kDashes = {"none", "12 6", "3 4", "14 5 3 5", "7 7", "1 4"};

// A number in the document: fixed with `decimals` places, the same on every system.
std::string number(double value, int decimals) {
  std::array<char, 64> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                    std::chars_format::fixed, decimals);
  return std::string(text.data(), result.ptr);
}

std::string pixels(double value) { return number(value, 2); }

// The ticks low, low + step, ..., high of an axis, with the decimals their labels need.
struct Axis {
  double low;
  double high;
  double step;
  int decimals;
  int intervals() const { return static_cast<int>(std::lround((high - low) / step)); }
  double tick(int i) const { return low + i * step; }
};

// The smallest step from `steps` that divides [least, most] into at most `intervals`, the ends
// widened to whole steps; never an empty axis.
Axis axis_over(double least, double most, const std::vector<double>& steps, int intervals) {
  double step = steps.back();
  for (double candidate : steps) {
    if (std::ceil(most / candidate) - std::floor(least / candidate) <= intervals) {
      step = candidate;
      break;
    }
  }
  const double low = std::floor(least / step) * step;
  const double high = std::max(std::ceil(most / step) * step, low + step);
  const int decimals = step < 0.01 ? 3 : step < 0.1 ? 2 : step < 1.0 ? 1 : 0;
  return {low, high, step, decimals};
}

Axis angle_axis(const std::vector<Block>& blocks) {
  const std::vector<Row>& rows = blocks.front().rows;
  return axis_over(rows.front().angle, rows.back().angle,
                   {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 30.0}, 12);
}

Axis coefficient_axis(const std::vector<Block>& blocks, const std::vector<int>& harmonics) {
  double most = 0.0;
  for (const Block& block : blocks) {
    for (const Row& row : block.rows) {
      for (int k : harmonics) most = std::max(most, row.result.modulus(k));
    }
  }
  return axis_over(0.0, most, {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5}, 10);
}

// Maps the axes onto the plot area.
struct Frame {
  Axis angles;
  Axis coefficients;
  double x(double angle) const {
    return kPlotLeft + (angle - angles.low) / (angles.high - angles.low) * (kPlotRight - kPlotLeft);
  }
  double y(double coefficient) const {
    return kPlotBottom - (coefficient - coefficients.low) / (coefficients.high - coefficients.low) *
                             (kPlotBottom - kPlotTop);
  }
};

std::string text_element(const std::string& attributes, double x, double y, int size,
                         const std::string& text) {
  return "<text " + attributes + " x=\"" + pixels(x) + "\" y=\"" + pixels(y) + "\" font-size=\"" +
         std::to_string(size) + "\">" + text + "</text>";
}

std::string line_element(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + pixels(x1) + "\" y1=\"" + pixels(y1) + "\" x2=\"" + pixels(x2) +
         "\" y2=\"" + pixels(y2) + "\" " + style + "/>";
}

std::string exponent_text(double exponent) {
  return textio::trimmed_field(exponent, textio::kParameterEdit);
}

std::string title(const std::vector<Block>& blocks) {
  std::string text = blocks.size() == 1 ? "Коэффициенты Берга, степень функции "
                                        : "Коэффициенты Берга, степени функции ";
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    text += (i == 0 ? "" : ", ") + exponent_text(blocks[i].exponent);
  }
  return text;
}

void write_grid_and_ticks(textio::Records& out, const Frame& frame) {
  const char* grid = "stroke=\"#d0d0d0\" stroke-width=\"1\"";
  out.formatted("<g font-family=\"" + std::string(kFont) + "\" fill=\"#202020\">");
  for (int i = 0; i <= frame.angles.intervals(); ++i) {
    const double angle = frame.angles.tick(i);
    const double x = frame.x(angle);
    out.formatted(line_element(x, kPlotTop, x, kPlotBottom, grid));
    out.formatted(text_element("class=\"x-tick\" text-anchor=\"middle\"", x, kPlotBottom + 22, 14,
                               number(angle, frame.angles.decimals) + "°"));
  }
  for (int i = 0; i <= frame.coefficients.intervals(); ++i) {
    const double coefficient = frame.coefficients.tick(i);
    const double y = frame.y(coefficient);
    out.formatted(line_element(kPlotLeft, y, kPlotRight, y, grid));
    out.formatted(text_element("class=\"y-tick\" text-anchor=\"end\"", kPlotLeft - 8, y + 5, 14,
                               number(coefficient, frame.coefficients.decimals)));
  }
  out.formatted("<rect x=\"" + pixels(kPlotLeft) + "\" y=\"" + pixels(kPlotTop) + "\" width=\"" +
                pixels(kPlotRight - kPlotLeft) + "\" height=\"" + pixels(kPlotBottom - kPlotTop) +
                "\" fill=\"none\" stroke=\"#202020\" stroke-width=\"1.5\"/>");
  out.formatted(text_element("text-anchor=\"middle\"", (kPlotLeft + kPlotRight) / 2,
                             kPlotBottom + 52, 16, "Угол отсечки θ, градусы"));
  out.formatted(text_element("text-anchor=\"middle\" transform=\"rotate(-90 30 " +
                                 pixels((kPlotTop + kPlotBottom) / 2) + ")\"",
                             30, (kPlotTop + kPlotBottom) / 2, 16, "Коэффициент αk"));
  out.formatted("</g>");
}

std::string curve_style(int harmonic, std::size_t block) {
  return "fill=\"none\" stroke=\"" + std::string(kColours[harmonic]) +
         "\" stroke-width=\"2.2\" stroke-linejoin=\"round\" stroke-dasharray=\"" +
         kDashes[block % kDashes.size()] + "\"";
}

void write_curves(textio::Records& out, const Frame& frame, const std::vector<Block>& blocks,
                  const std::vector<int>& harmonics) {
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    for (int k : harmonics) {
      std::string points;
      for (const Row& row : blocks[b].rows) {
        if (!points.empty()) points += ' ';
        points += pixels(frame.x(row.angle));
        points += ',';
        points += pixels(frame.y(row.result.modulus(k)));
      }
      out.formatted("<polyline class=\"curve\" data-harmonic=\"" + std::to_string(k) +
                    "\" data-exponent=\"" + exponent_text(blocks[b].exponent) + "\" " +
                    curve_style(k, b) + " points=\"" + points + "\"/>");
    }
  }
}

// A sample of each harmonic's colour; with several exponents, a sample of each dash pattern.
void write_legend(textio::Records& out, const std::vector<Block>& blocks,
                  const std::vector<int>& harmonics) {
  out.formatted("<g font-family=\"" + std::string(kFont) + "\" fill=\"#202020\">");
  double y = kPlotTop + 12;
  for (int k : harmonics) {
    out.formatted(line_element(kLegendLeft, y, kLegendLeft + 36, y, curve_style(k, 0)));
    out.formatted(text_element("", kLegendLeft + 46, y + 5, 16, "α" + std::to_string(k)));
    y += kLegendLineHeight;
  }
  if (blocks.size() > 1) {
    y += kLegendLineHeight / 2;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      const std::string style =
          "fill=\"none\" stroke=\"#202020\" stroke-width=\"2.2\" "
          "stroke-dasharray=\"" +
          std::string(kDashes[b % kDashes.size()]) + "\"";
      out.formatted(line_element(kLegendLeft, y, kLegendLeft + 36, y, style));
      out.formatted(text_element("", kLegendLeft + 46, y + 5, 15,
                                 "степень " + exponent_text(blocks[b].exponent)));
      y += kLegendLineHeight;
    }
  }
  out.formatted("</g>");
}

}  // namespace

std::string berg_chart(const std::vector<Block>& blocks, const std::vector<int>& harmonics) {
  const Frame frame{angle_axis(blocks), coefficient_axis(blocks, harmonics)};
  textio::StringSink sink;
  textio::Records out(sink, false);
  out.formatted("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  out.formatted("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
                "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " +
                std::to_string(kWidth) + " " + std::to_string(kHeight) + "\">");
  out.formatted("<rect width=\"100%\" height=\"100%\" fill=\"white\"/>");
  out.formatted(text_element(
      "font-family=\"" + std::string(kFont) + "\" text-anchor=\"middle\" font-weight=\"bold\"",
      kWidth / 2.0, 40, 22, title(blocks)));
  write_grid_and_ticks(out, frame);
  write_curves(out, frame, blocks, harmonics);
  write_legend(out, blocks, harmonics);
  out.formatted("</svg>");
  out.flush();
  return sink.text();
}

}  // namespace table
