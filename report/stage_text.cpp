#include "report/stage_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <span>
#include <utility>

#include "report/entry_rules.h"
#include "textio/fields.h"

namespace stage_text {

namespace {

// As wide as a value with four significant digits and a blank before it needs.
constexpr int kValueWidth = 9;
constexpr textio::Edit kAngleEdit{7, textio::kParameterEdit.decimals};
// After a value beyond a limit of the device.
constexpr std::string_view kBeyondMark = "*";

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

// In the order of stage::Limit.
const LimitWords kLimitWords[] = {
    {entry_rules::kMaxDissipation, "Pрас", messages::N_("W")},
    {entry_rules::kMaxPeakCurrent, "Iмакс", messages::N_("A")},
    {entry_rules::kMaxVoltage, "Uмакс", messages::N_("V")},
    {entry_rules::kMaxDirectCurrent, "I0", messages::N_("A")},
    {entry_rules::kSaturation, "Sкр", messages::N_("A/V")},
};

// Each rating and the value of the stage it bounds.
constexpr std::pair<stage::Limit, double stage::Design::*> kBounded[] = {
    {stage::Limit::dissipation, &stage::Design::p_diss},
    {stage::Limit::peak_current, &stage::Design::i_max},
    {stage::Limit::voltage, &stage::Design::u_peak},
    {stage::Limit::direct_current, &stage::Design::i_0}};

bool works(const stage::Row& row) { return stage::works(row.design); }

// A row whose values are there: one that works, or one beyond a limit of the device.
bool shown(const stage::Row& row) {
  return works(row) || row.design.verdict == stage::Verdict::limit_broken;
}

bool beyond(const stage::Design& design, double stage::Design::*value) {
  return std::any_of(std::begin(kBounded), std::end(kBounded), [&](const auto& bounded) {
    return bounded.second == value && design.broken.has(bounded.first);
  });
}

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
      std::string cell = shown(row) ? value_cell(row.design.*column.value) : "";
      if (shown(row) && beyond(row.design, column.value)) cell += kBeyondMark;
      cells.push_back(std::move(cell));
    }
    for (std::string& cell : cells) cell = textio::with_decimal_mark(cell, decimal_comma);
    out.row(cells);
  }
}

// The angles of the rows that `has` picks, as runs of neighbours: "20–24.5°, 60°".
std::string angle_runs(const stage::Block& block,
                       const std::function<bool(const stage::Row&)>& has) {
  std::string text;
  const std::vector<stage::Row>& rows = block.rows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!has(rows[i])) continue;
    std::size_t last = i;
    while (last + 1 < rows.size() && has(rows[last + 1])) ++last;
    if (!text.empty()) text += ", ";
    text += angle_text(rows[i].angle);
    if (last > i) text.append("–").append(angle_text(rows[last].angle));
    text += "°";
    i = last;
  }
  return text;
}

bool has_verdict(const stage::Block& block, stage::Verdict verdict) {
  return std::any_of(block.rows.begin(), block.rows.end(),
                     [verdict](const stage::Row& row) { return row.design.verdict == verdict; });
}

stage::LimitSet broken_in(const stage::Block& block) {
  stage::LimitSet broken;
  for (const stage::Row& row : block.rows) {
    for (stage::Limit limit : stage::kEveryLimit) {
      if (row.design.broken.has(limit)) broken.add(limit);
    }
  }
  return broken;
}

// Why the rows of a verdict are empty.
std::string cause_of(const stage::Inputs& inputs, stage::Verdict verdict) {
  const std::string n = std::to_string(inputs.harmonic);
  return verdict == stage::Verdict::no_harmonic ? "α" + n + " не больше 0"
                                                : "критический режим не дает P" + n;
}

// "Пустые строки: α3 не больше 0 при 90–180°; критический режим не дает P3 при 20–25°".
std::string empty_rows_note(const stage::Inputs& inputs, const stage::Block& block) {
  std::string note;
  for (stage::Verdict verdict : {stage::Verdict::no_harmonic, stage::Verdict::too_much}) {
    if (!has_verdict(block, verdict)) continue;
    note.append(note.empty() ? "Пустые строки: " : "; ").append(cause_of(inputs, verdict));
    note.append(" при ").append(angle_runs(
        block, [verdict](const stage::Row& row) { return row.design.verdict == verdict; }));
  }
  return note;
}

// "* — больше допустимого: Pрас при 30–45°; Iмакс при 20°".
std::string beyond_limits_note(const stage::Block& block) {
  std::string note;
  for (stage::Limit limit : stage::kEveryLimit) {
    if (!broken_in(block).has(limit)) continue;
    note.append(note.empty() ? std::string(kBeyondMark) + " — больше допустимого: " : "; ");
    note.append(words_of(limit).symbol).append(" при ");
    note.append(
        angle_runs(block, [limit](const stage::Row& row) { return row.design.broken.has(limit); }));
  }
  return note;
}

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

}  // namespace

const LimitWords& words_of(stage::Limit limit) {
  return kLimitWords[static_cast<std::size_t>(limit)];
}

std::string kind_line(int harmonic) {
  return harmonic == 1 ? "Каскад усилителя мощности"
                       : "Каскад умножителя частоты на " + std::to_string(harmonic);
}

std::vector<std::string> device_lines(const stage::Inputs& inputs) {
  std::vector<std::string> lines;
  if (const std::optional<stage::Device>& device = inputs.device) {
    const bool tube = device->permeance != 0.0;
    std::string line =
        tube ? "Прибор i = S (uс + D uа - E')^p: S = " : "Прибор i = S (u - E')^p: S = ";
    line.append(textio::shortest_text(device->slope)).append(" А/В^p, E' = ");
    line.append(textio::shortest_text(device->cutoff)).append(" В");
    if (tube) line.append(", D = ").append(textio::shortest_text(device->permeance));
    lines.push_back(line);
  }
  std::string limits;
  for (stage::Limit limit : stage::kEveryLimit) {
    const std::optional<double> rating = stage::rating_of(inputs, limit);
    if (limit == stage::Limit::saturation || !rating) continue;
    const LimitWords& words = words_of(limit);
    limits.append(limits.empty() ? "Допустимые: " : ", ").append(words.symbol).append(" ≤ ");
    limits.append(textio::shortest_text(*rating)).append(" ").append(words.entry.unit);
  }
  if (!limits.empty()) lines.push_back(limits);
  return lines;
}

std::vector<std::string> heading_lines(const stage::Inputs& inputs) {
  const std::string n = std::to_string(inputs.harmonic);
  std::vector<std::string> lines = {kind_line(inputs.harmonic)};
  std::string line = "E = " + textio::shortest_text(inputs.supply) + " В, P" + n + " = " +
                     textio::shortest_text(inputs.power) + " Вт, ";
  if (inputs.xi) {
    line += "ξ = " + textio::shortest_text(*inputs.xi);
  } else {
    line += "критический режим, Sкр = " + textio::shortest_text(*inputs.saturation) + " А/В";
  }
  lines.push_back(line);
  for (const std::string& device : device_lines(inputs)) lines.push_back(device);
  return lines;
}

std::string most_power_text(double watts) {
  // In doubles throughout: the order of magnitude of 0 or of an infinity is no int.
  const double places = std::fmax(0.0, std::fmin(9.0, 4.0 - std::floor(std::log10(watts))));
  const double scale = std::pow(10.0, places);
  return textio::shortest_text(std::floor(watts * scale) / scale);
}

std::string least_text(double value) {
  // In doubles throughout, as most_power_text: the order of magnitude of 0 is no int.
  const double places = std::fmax(-300.0, std::fmin(300.0, 4.0 - std::floor(std::log10(value))));
  const double scale = std::pow(10.0, places);
  double rounded = std::ceil(value * scale) / scale;
  // The product's own rounding may put it just below a whole number that the value passes.
  if (rounded < value) rounded = (std::ceil(value * scale) + 1.0) / scale;
  return textio::shortest_text(rounded);
}

std::string angle_text(double angle) {
  std::string text = textio::trimmed_field(angle, kAngleEdit);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.ends_with('.')) text.pop_back();
  return text;
}

std::vector<refusals::Refusal> refusals_of_row(const stage::Inputs& inputs, const stage::Row& row,
                                               double exponent) {
  using refusals::Kind;
  const std::string angle = textio::shortest_text(row.angle);
  const std::string at = textio::parameter_text(exponent);
  const stage::Design& design = row.design;
  switch (design.verdict) {
    case stage::Verdict::beyond_numbers: {
      const stage::Input input = design.fault.input;
      return {{entry_of(input),
               design.fault.too_large ? Kind::too_large_for_stage : Kind::too_small_for_stage,
               {textio::shortest_text(*stage::value_of(inputs, input)), angle, at}}};
    }
    case stage::Verdict::no_harmonic:
      return {{std::string(entry_rules::kHarmonic.name),
               Kind::no_harmonic,
               {angle, at, std::to_string(inputs.harmonic)}}};
    case stage::Verdict::too_much:
      return {
          {std::string(entry_rules::kPower.name),
           Kind::too_much_power,
           {textio::shortest_text(inputs.power), angle, at, most_power_text(design.most_power)}}};
    case stage::Verdict::works:
    case stage::Verdict::limit_broken:
      break;
  }
  std::vector<refusals::Refusal> refused;
  for (stage::Limit limit : stage::kEveryLimit) {
    if (!design.broken.has(limit)) continue;
    const LimitWords& words = words_of(limit);
    refused.push_back({std::string(words.entry.name),
                       Kind::limit_at_angle,
                       {textio::shortest_text(*stage::rating_of(inputs, limit)), angle, at,
                        least_text(stage::bounded_value(inputs, design, limit))},
                       {{words.english_unit}}});
  }
  return refused;
}

std::vector<refusals::Words> why_none(const stage::Inputs& inputs, const stage::Block& block) {
  using messages::N_;
  // A text for each count of limits broken, as many as there are limits.
  constexpr std::string_view kBreaks[] = {
      N_("it breaks {0}"), N_("it breaks {0} or {1}"), N_("it breaks {0} or {1} or {2}"),
      N_("it breaks {0} or {1} or {2} or {3}"), N_("it breaks {0} or {1} or {2} or {3} or {4}")};
  static_assert(std::size(kBreaks) == std::size(stage::kEveryLimit));
  std::vector<refusals::Words> causes;
  if (has_verdict(block, stage::Verdict::no_harmonic)) {
    causes.push_back({N_("alpha{0} is not above 0"), {std::to_string(inputs.harmonic)}});
  }
  if (has_verdict(block, stage::Verdict::too_much)) {
    causes.push_back(
        {N_("the critical regime gives less than {0} W"), {textio::shortest_text(inputs.power)}});
  }
  std::vector<std::string> options;
  for (stage::Limit limit : stage::kEveryLimit) {
    if (broken_in(block).has(limit))
      options.push_back("--" + std::string(words_of(limit).entry.name));
  }
  if (!options.empty()) causes.push_back({kBreaks[options.size() - 1], options});
  return causes;
}

void write_main_table(answer::Renderer& out, const std::string& caption, const stage::Block& block,
                      bool decimal_comma) {
  write_table(out, caption, block, kMainColumns, decimal_comma);
}

void write_drive_table(answer::Renderer& out, const stage::Block& block, bool decimal_comma) {
  write_table(out, "", block, kDriveColumns, decimal_comma);
}

std::string empty_chain_rows_note(const stage::Inputs& inputs, const stage::Block& block) {
  std::string beyond;
  for (stage::Limit limit : stage::kEveryLimit) {
    if (!broken_in(block).has(limit)) continue;
    beyond.append(beyond.empty() ? "выше допустимого " : "; ").append(words_of(limit).symbol);
    beyond.append(" при ").append(
        angle_runs(block, [limit](const stage::Row& row) { return row.design.broken.has(limit); }));
  }
  const std::string note = empty_rows_note(inputs, block);
  if (beyond.empty()) return note;
  return (note.empty() ? "Пустые строки: " : note + "; ") + beyond;
}

void block_tables(answer::Renderer& out, const stage::Inputs& inputs, const stage::Block& block,
                  bool decimal_comma) {
  write_main_table(out, answer::exponent_caption(block.exponent, decimal_comma), block,
                   decimal_comma);
  if (inputs.device) write_drive_table(out, block, decimal_comma);
  for (const std::string& note : {empty_rows_note(inputs, block), beyond_limits_note(block)}) {
    if (!note.empty()) out.note(textio::with_decimal_mark(note, decimal_comma));
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
