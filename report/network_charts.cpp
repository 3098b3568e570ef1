#include "report/network_charts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "report/network_text.h"
#include "report/svg.h"
#include "textio/fields.h"

namespace network_charts {

namespace {

using network::Form;
using network::Kind;
using svg::Lines;
using svg::pixels;

constexpr int kWidth = 1000;
constexpr int kHeight = 660;
const std::string kWire = "stroke=\"" + std::string(svg::kInk) + "\" stroke-width=\"2\"";
constexpr const char* kPass = "#2e7d32";
constexpr const char* kFail = "#c62828";
constexpr const char* kCarrier = "#9e9e9e";

// The schematic: its two rails, the device at the left, the load at the right, and the
// stretch of the top rail where the parts stand.
constexpr double kTop = 100.0;
constexpr double kBottom = 215.0;
constexpr double kMiddle = (kTop + kBottom) / 2;
constexpr double kDevice = 70.0;
constexpr double kLoad = 900.0;
constexpr double kFirstSlot = 170.0;
constexpr double kLastSlot = 800.0;
// A coil: four turns of 15 pixels; a capacitor's plates 11 apart.
constexpr double kCoil = 60.0;
constexpr double kGap = 11.0;

// The bars' plot, and their legend to its right.
constexpr double kPlotLeft = 90.0;
constexpr double kPlotRight = 790.0;
constexpr double kPlotTop = 330.0;
constexpr double kPlotBottom = 580.0;
constexpr double kLegendLeft = 815.0;

std::string marked(std::string text, bool comma) { return textio::with_decimal_mark(text, comma); }

std::string decibels(double value) {
  const std::string field = textio::fixed_field(value, {8, 1});
  return field.substr(field.find_first_not_of(' '));
}

std::string line(double x1, double y1, double x2, double y2) {
  return svg::line_element(x1, y1, x2, y2, kWire);
}

std::string path(const std::string& d) {
  return "<path d=\"" + d + "\" fill=\"none\" " + kWire + "/>";
}

std::string dot(double x, double y) {
  return "<circle cx=\"" + pixels(x) + "\" cy=\"" + pixels(y) + "\" r=\"3\" fill=\"" + svg::kInk +
         "\"/>";
}

std::string label(double x, double y, const std::string& anchor, const std::string& text) {
  return svg::text_element("class=\"part\" text-anchor=\"" + anchor + "\"", x, y, 14, text);
}

// A coil from (x, y) of four turns, down the page bulging right, or along it bulging up.
std::string coil(double x, double y, bool down) {
  std::string d = "M" + pixels(x) + "," + pixels(y);
  const std::string turn = down ? " a7.5,7.5 0 0,1 0,15" : " a7.5,7.5 0 0,1 15,0";
  for (int i = 0; i < 4; ++i) d += turn;
  return path(d);
}

// A part across the rails at `x`, its wires to them, and its two lines of label at its right.
void shunt(Lines& out, Kind kind, double x, const std::vector<std::string>& text) {
  const double start = kind == Kind::coil ? kMiddle - kCoil / 2 : kMiddle - kGap / 2;
  const double end = kind == Kind::coil ? kMiddle + kCoil / 2 : kMiddle + kGap / 2;
  out.formatted(line(x, kTop, x, start));
  out.formatted(line(x, end, x, kBottom));
  if (kind == Kind::coil) {
    out.formatted(coil(x, start, true));
  } else {
    out.formatted(line(x - 16, start, x + 16, start));
    out.formatted(line(x - 16, end, x + 16, end));
  }
  out.formatted(dot(x, kTop));
  out.formatted(dot(x, kBottom));
  for (std::size_t i = 0; i < text.size(); ++i)
    out.formatted(label(x + 22, kMiddle - 10 + 18.0 * static_cast<double>(i), "start", text[i]));
}

// A part in the top rail about `x`, and its label above it. The rail comes to its ends.
void series(Lines& out, Kind kind, double x, const std::vector<std::string>& text) {
  if (kind == Kind::coil) {
    out.formatted(coil(x - kCoil / 2, kTop, false));
  } else {
    out.formatted(line(x - kCoil / 2, kTop, x - kGap / 2, kTop));
    out.formatted(line(x + kGap / 2, kTop, x + kCoil / 2, kTop));
    out.formatted(line(x - kGap / 2, kTop - 16, x - kGap / 2, kTop + 16));
    out.formatted(line(x + kGap / 2, kTop - 16, x + kGap / 2, kTop + 16));
  }
  for (std::size_t i = 0; i < text.size(); ++i)
    out.formatted(label(x, kTop - 40 + 18.0 * static_cast<double>(i), "middle", text[i]));
}

// The device, a current source across the rails at `x` whose top wire goes to `top`, and the
// resistance it sees under it.
void device(Lines& out, double x, double top, const std::string& text) {
  out.formatted("<circle cx=\"" + pixels(x) + "\" cy=\"" + pixels(kMiddle) + "\" r=\"18\" " +
                "fill=\"none\" " + kWire + "/>");
  out.formatted(line(x, kMiddle + 10, x, kMiddle - 10));
  out.formatted(path("M" + pixels(x - 5) + "," + pixels(kMiddle - 4) + " L" + pixels(x) + "," +
                     pixels(kMiddle - 11) + " L" + pixels(x + 5) + "," + pixels(kMiddle - 4)));
  out.formatted(line(x, kMiddle - 18, x, top));
  out.formatted(line(x, kMiddle + 18, x, kBottom));
  out.formatted(label(x, kBottom + 25, "middle", text));
}

// A resistor from `top` to the bottom rail at `x`, and its label under the rail.
void resistor(Lines& out, double x, double top, const std::string& text) {
  const double length = std::min(50.0, (kBottom - top) * 0.6);
  const double start = (top + kBottom - length) / 2;
  out.formatted(line(x, top, x, start));
  out.formatted("<rect x=\"" + pixels(x - 8) + "\" y=\"" + pixels(start) +
                "\" width=\"16\" height=\"" + pixels(length) + "\" fill=\"white\" " + kWire + "/>");
  out.formatted(line(x, start + length, x, kBottom));
  out.formatted(label(x, kBottom + 25, "middle", text));
}

// The ground under the bottom rail at `x`.
void ground(Lines& out, double x) {
  for (int i = 0; i < 3; ++i) {
    const double half = 14.0 - 5.0 * i;
    out.formatted(line(x - half, kBottom + 36 + 5.0 * i, x + half, kBottom + 36 + 5.0 * i));
  }
  out.formatted(line(x, kBottom, x, kBottom + 36));
}

struct Labels {
  std::string load;  // what the device sees
  std::string antenna;
  bool comma;
};

// A part's label: its name and value, and at a power its peak voltage or RMS current.
std::vector<std::string> part_text(const network::Design& design, std::size_t i, bool comma) {
  const network::Part& part = design.parts[i];
  std::vector<std::string> text = {network_text::part_name(design, i) + " " +
                                   marked(network_text::value_text(part), comma)};
  if (design.power > 0.0) {
    const bool capacitor = part.kind == Kind::capacitor;
    const double value = capacitor ? part.peak_voltage : part.rms_current;
    text.push_back(marked(textio::digits_in_units(value, 0), comma) +
                   (capacitor ? " В амп." : " А действ."));
  }
  return text;
}

// A ladder: the parts from the device to the load, each across the rails or in the top rail.
void ladder(Lines& out, const network::Design& design, const Labels& labels) {
  const double slot = (kLastSlot - kFirstSlot) / static_cast<double>(design.parts.size());
  double rail_from = kDevice;
  for (std::size_t i = 0; i < design.parts.size(); ++i) {
    const network::Part& part = design.parts[i];
    const double x = kFirstSlot + slot * (static_cast<double>(i) + 0.5);
    if (part.place == network::Place::series) {
      out.formatted(line(rail_from, kTop, x - kCoil / 2, kTop));
      rail_from = x + kCoil / 2;
      series(out, part.kind, x, part_text(design, i, labels.comma));
    } else {
      shunt(out, part.kind, x, part_text(design, i, labels.comma));
    }
  }
  out.formatted(line(rail_from, kTop, kLoad, kTop));
  out.formatted(line(kDevice, kBottom, kLoad, kBottom));
  device(out, kDevice, kTop, labels.load);
  resistor(out, kLoad, kTop, labels.antenna);
  ground(out, (kDevice + kLoad) / 2);
}

// The tank: its capacitor and coil across the rails, the device on a tap of the coil reached
// from above, the load on a tap of it from the other side.
void tank(Lines& out, const network::Design& design, const Labels& labels) {
  constexpr double kCapacitor = 200.0, kAntenna = 320.0, kCoilAt = 430.0, kLoop = 540.0;
  const double bottom_of_coil = kMiddle + kCoil / 2;
  const double tap = bottom_of_coil - design.tap * kCoil;
  const double load_tap = bottom_of_coil - design.coupling * kCoil;
  out.formatted(line(kCapacitor, kTop, kCoilAt, kTop));
  out.formatted(line(kDevice, kBottom, kCoilAt, kBottom));
  shunt(out, Kind::capacitor, kCapacitor, part_text(design, 0, labels.comma));
  shunt(out, Kind::coil, kCoilAt, {});
  const std::vector<std::string> coil_text = part_text(design, 1, labels.comma);
  for (std::size_t i = 0; i < coil_text.size(); ++i)
    out.formatted(
        label(kLoop + 12, kMiddle - 10 + 18.0 * static_cast<double>(i), "start", coil_text[i]));
  constexpr double kAbove = 64.0;
  device(out, kDevice, kAbove, labels.load);
  out.formatted(line(kDevice, kAbove, kLoop, kAbove));
  out.formatted(line(kLoop, kAbove, kLoop, tap));
  out.formatted(line(kLoop, tap, kCoilAt + 7.5, tap));
  out.formatted(dot(kCoilAt + 7.5, tap));
  out.formatted(label((kCoilAt + kLoop) / 2 + 4, tap - 6, "middle",
                      "p = " + marked(textio::digits_in_units(design.tap, 0), labels.comma)));
  out.formatted(line(kCoilAt, load_tap, kAntenna, load_tap));
  out.formatted(dot(kCoilAt, load_tap));
  out.formatted(label((kAntenna + kCoilAt) / 2, load_tap - 6, "middle",
                      "m = " + marked(textio::digits_in_units(design.coupling, 0), labels.comma)));
  resistor(out, kAntenna, load_tap, labels.antenna);
  out.formatted(dot(kAntenna, kBottom));
  ground(out, (kDevice + kCapacitor) / 2);
}

// The axis of the bars: from the lowest level and limit to 0 dBc, or to the highest level
// where a harmonic below a multiplier's wanted one is stronger than it.
chart::Chart::Axis level_axis(const std::vector<antenna::Block>& blocks) {
  double lowest = 0.0, highest = 0.0;
  for (const antenna::Block& block : blocks) {
    const antenna::Row& row = block.rows.front();
    lowest = std::min(lowest, -*row.limit_db);
    for (const network::Harmonic& h : row.harmonics) {
      if (!std::isfinite(h.level_db)) continue;
      lowest = std::min(lowest, h.level_db);
      highest = std::max(highest, h.level_db);
    }
  }
  return chart::linear_axis(lowest, highest);
}

// Each block's colour where there are several: the charts' colours but the red of a bar above
// the limit.
const char* block_colour(std::size_t block) {
  return svg::kColours[(block == 0 ? 0 : block + 1) % svg::kColours.size()];
}

double level_y(const chart::Chart::Axis& axis, double level) {
  return kPlotBottom - (level - axis.low) / (axis.high - axis.low) * (kPlotBottom - kPlotTop);
}

void bar_grid(Lines& out, const chart::Chart::Axis& axis) {
  for (double tick : chart::ticks(axis)) {
    const double y = level_y(axis, tick);
    out.formatted(
        svg::line_element(kPlotLeft, y, kPlotRight, y, "stroke=\"#c4c4c4\" stroke-width=\"1\""));
    out.formatted(svg::text_element("class=\"y-tick\" text-anchor=\"end\"", kPlotLeft - 8, y + 5,
                                    14, svg::number(tick, axis.decimals)));
  }
  out.formatted("<rect x=\"" + pixels(kPlotLeft) + "\" y=\"" + pixels(kPlotTop) + "\" width=\"" +
                pixels(kPlotRight - kPlotLeft) + "\" height=\"" + pixels(kPlotBottom - kPlotTop) +
                "\" fill=\"none\" stroke=\"" + svg::kInk + "\" stroke-width=\"1.5\"/>");
  out.formatted(svg::text_element("text-anchor=\"middle\" transform=\"rotate(-90 30 " +
                                      pixels((kPlotTop + kPlotBottom) / 2) + ")\"",
                                  30, (kPlotTop + kPlotBottom) / 2, 16, "Уровень, дБн"));
}

// The bars of every block, grouped by harmonic, each group labelled with its harmonic and
// frequency; with one block each bar's level above it.
void bars(Lines& out, const entry_rules::NetworkEntries& entries,
          const std::vector<antenna::Block>& blocks, const chart::Chart::Axis& axis, bool comma) {
  const antenna::Inputs& chain = entries.chain;
  const double group = (kPlotRight - kPlotLeft) / 9.0;
  const double width = std::min(40.0, group * 0.8 / static_cast<double>(blocks.size()));
  for (int n = 1; n <= 9; ++n) {
    const double middle = kPlotLeft + group * (n - 0.5);
    const std::string megahertz = textio::digits_in_units(n * entries.megahertz / chain.wanted, 0);
    out.formatted(svg::text_element("text-anchor=\"middle\"", middle, kPlotBottom + 20, 14,
                                    "n = " + std::to_string(n)));
    out.formatted(svg::text_element("text-anchor=\"middle\"", middle, kPlotBottom + 38, 12,
                                    marked(megahertz, comma) + " МГц"));
  }
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    const antenna::Row& row = blocks[b].rows.front();
    for (const network::Harmonic& h : row.harmonics) {
      const double x = kPlotLeft + group * (h.n - 0.5) +
                       width * (static_cast<double>(b) - (blocks.size() - 1) / 2.0) - width / 2;
      if (!std::isfinite(h.level_db)) {
        out.formatted(
            svg::text_element("text-anchor=\"middle\"", x + width / 2, kPlotBottom - 6, 12, "нет"));
        continue;
      }
      const bool above = h.n != chain.wanted && -h.level_db < *row.limit_db;
      const char* fill = h.n == chain.wanted ? kCarrier
                         : blocks.size() > 1 ? block_colour(b)
                         : above             ? kFail
                                             : kPass;
      const double top = level_y(axis, h.level_db);
      out.formatted("<rect class=\"bar\" data-harmonic=\"" + std::to_string(h.n) +
                    "\" data-exponent=\"" + textio::parameter_text(blocks[b].exponent) + "\" x=\"" +
                    pixels(x) + "\" y=\"" + pixels(top) + "\" width=\"" + pixels(width) +
                    "\" height=\"" + pixels(kPlotBottom - top) + "\" fill=\"" + fill + "\"" +
                    (above ? std::string(" stroke=\"") + kFail + "\" stroke-width=\"3\"" : "") +
                    "/>");
      if (blocks.size() == 1) {
        out.formatted(svg::text_element("text-anchor=\"middle\"", x + width / 2, top - 5, 12,
                                        marked(decibels(h.level_db), comma)));
      }
    }
  }
}

// The limit's line of each block, dashed red, once for equal limits; its legend, and the
// exponents' colours where there are several.
void limits_and_legend(Lines& out, const entry_rules::NetworkEntries& entries,
                       const std::vector<antenna::Block>& blocks, const chart::Chart::Axis& axis,
                       bool comma) {
  std::vector<double> drawn;
  const std::string dashed =
      "stroke=\"" + std::string(kFail) + "\" stroke-width=\"2\" stroke-dasharray=\"10 5\"";
  double y_legend = kPlotTop + 12;
  for (const antenna::Block& block : blocks) {
    const double limit = *block.rows.front().limit_db;
    if (std::find(drawn.begin(), drawn.end(), limit) != drawn.end()) continue;
    drawn.push_back(limit);
    const double y = level_y(axis, -limit);
    out.formatted("<line class=\"limit\" x1=\"" + pixels(kPlotLeft) + "\" y1=\"" + pixels(y) +
                  "\" x2=\"" + pixels(kPlotRight) + "\" y2=\"" + pixels(y) + "\" " + dashed + "/>");
    out.formatted(svg::line_element(kLegendLeft, y_legend, kLegendLeft + 36, y_legend, dashed));
    out.formatted(svg::text_element(
        "", kLegendLeft + 44, y_legend + 5, 14,
        "норма " + marked(network_text::limit_text(entries.chain, limit), comma)));
    y_legend += 24;
  }
  if (blocks.size() == 1) return;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    out.formatted("<rect x=\"" + pixels(kLegendLeft + 10) + "\" y=\"" + pixels(y_legend - 8) +
                  "\" width=\"16\" height=\"16\" fill=\"" + block_colour(b) + "\"/>");
    out.formatted(svg::text_element("", kLegendLeft + 44, y_legend + 5, 14,
                                    "степень " + textio::parameter_text(blocks[b].exponent)));
    y_legend += 24;
  }
}

}  // namespace

chart::ChartView levels_chart(const antenna::Inputs& chain, const sweep::Range& angles) {
  chart::ChartView view;
  view.title = "Гармоники на нагрузке";
  view.value_axis = "Уровень гармоники на нагрузке, дБн";
  for (int n = 1; n <= 9; ++n) {
    if (n == chain.wanted) continue;
    view.series.push_back({"n = " + std::to_string(n),
                           "data-harmonic=\"" + std::to_string(n) + "\"",
                           static_cast<std::size_t>(n)});
  }
  // The limit in the colour of the wanted harmonic, which is not drawn.
  view.series.push_back(
      {"норма", "data-quantity=\"limit\"", static_cast<std::size_t>(chain.wanted)});
  view.angles = angles;
  return view;
}

void draw_levels(chart::Chart& chart, const antenna::Inputs& chain,
                 const std::vector<antenna::Block>& blocks) {
  const double none = std::numeric_limits<double>::quiet_NaN();
  for (const antenna::Block& block : blocks) {
    chart.start_block(block.exponent);
    for (const antenna::Row& row : block.rows) {
      std::vector<double> values;
      const bool made = row.network && network::works(*row.network);
      for (int n = 1; n <= 9; ++n) {
        if (n != chain.wanted)
          values.push_back(made ? row.harmonics[static_cast<std::size_t>(n - 1)].level_db : none);
      }
      values.push_back(made ? -*row.limit_db : none);
      chart.add(row.angle, values);
    }
  }
}

std::string design_sheet(const entry_rules::NetworkEntries& entries,
                         const std::vector<antenna::Block>& blocks, bool decimal_comma) {
  const antenna::Inputs& chain = entries.chain;
  const antenna::Row& first = blocks.front().rows.front();
  const network::Design& design = *first.network;
  const double r_e = chain.stage ? first.stage.r_e : chain.network.load;
  const std::string angle = textio::shortest_text(first.angle);
  Lines out;
  svg::start_document(out, kWidth, kHeight,
                      network_text::form_name(design.form) + ", f = " +
                          marked(textio::shortest_text(entries.megahertz), decimal_comma) +
                          " МГц, θ = " + marked(angle, decimal_comma) + "°");
  out.formatted("<g font-family=\"" + std::string(svg::kFont) + "\" fill=\"" + svg::kInk + "\">");
  // The stage's R_e as its table shows it, the one given as given.
  const std::string field =
      chain.stage ? textio::significant_field(r_e, 0) : textio::shortest_text(r_e);
  const Labels labels{
      "Rэ = " + marked(field.substr(field.find_first_not_of(' ')), decimal_comma) + " Ом",
      "Rн = " + marked(textio::shortest_text(design.antenna), decimal_comma) + " Ом",
      decimal_comma};
  if (design.form == Form::tank) {
    tank(out, design, labels);
  } else {
    ladder(out, design, labels);
  }
  if (chain.stage && blocks.size() > 1) {
    out.formatted(svg::text_element(
        "text-anchor=\"end\"", kWidth - 20, kBottom + 60, 14,
        "Схема при степени функции " +
            marked(textio::parameter_text(blocks.front().exponent), decimal_comma)));
  }
  const chart::Chart::Axis axis = level_axis(blocks);
  bar_grid(out, axis);
  bars(out, entries, blocks, axis, decimal_comma);
  limits_and_legend(out, entries, blocks, axis, decimal_comma);
  out.formatted("</g>");
  out.formatted("</svg>");
  return std::move(out.text);
}

std::string picture(const entry_rules::NetworkEntries& entries, const sweep::Range& angles,
                    const std::vector<antenna::Block>& blocks, bool decimal_comma) {
  if (blocks.front().rows.size() == 1) return design_sheet(entries, blocks, decimal_comma);
  chart::Chart chart(levels_chart(entries.chain, angles));
  draw_levels(chart, entries.chain, blocks);
  return std::move(chart).finish();
}

}  // namespace network_charts
