// The stage view's answers: the whole stage at each angle of a range, its tables and its CSV.
#include "engine/stage.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>
#include <vector>

#include "report/answer.h"
#include "report/answer_charts.h"
#include "report/chart.h"
#include "report/csv.h"
#include "report/stage_text.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

constexpr int kHighestHarmonic = 9;

constexpr std::string_view kHarmonic = "harmonic";
constexpr NumberEntry kSaturation{"saturation", "Sкр", 0.0, kNoBound, "", true};
constexpr NumberEntry kSlope{"slope", "S", 0.0, kNoBound, "", true};
constexpr NumberEntry kCutoff{"cutoff", "E'", -kNoBound, kNoBound, ""};

// A number that is read only where its entry is given.
std::optional<double> given_number(Entries& entries, const NumberEntry& entry, bool& all_read) {
  if (!entries.has(entry.name)) return std::nullopt;
  const std::optional<double> value = entries.number(entry);
  all_read = all_read && value;
  return value;
}

// What the designer gives: the supply, the power, the harmonic, xi or the critical regime's
// slope (one of the two), and the device's law (both halves or neither).
std::optional<stage::Inputs> inputs_of(Entries& entries) {
  bool all_read = true;
  stage::Inputs inputs;
  const std::optional<double> supply = entries.number(kSupply);
  const std::optional<double> power = entries.number(kPower);
  const std::optional<int> harmonic = harmonic_of(entries);
  inputs.xi = given_number(entries, kXi, all_read);
  inputs.saturation = given_number(entries, kSaturation, all_read);
  const std::optional<double> slope = given_number(entries, kSlope, all_read);
  const std::optional<double> cutoff = given_number(entries, kCutoff, all_read);
  if (entries.has(kXi.name) == entries.has(kSaturation.name)) {
    entries.refuse(kXi.name, "Задайте одно из двух: ξ или Sкр (критический режим)");
    all_read = false;
  }
  if (entries.has(kSlope.name) != entries.has(kCutoff.name)) {
    const NumberEntry& missing = entries.has(kSlope.name) ? kCutoff : kSlope;
    entries.refuse(missing.name, "Закон прибора: задайте и S, и E', или ни одного");
    all_read = false;
  }
  if (!supply || !power || !harmonic || !all_read) return std::nullopt;
  inputs.supply = *supply;
  inputs.power = *power;
  inputs.harmonic = *harmonic;
  if (slope) inputs.device = stage::Device{*slope, *cutoff};
  return inputs;
}

struct StageEntries {
  stage::Inputs inputs;
  sweep::Range angles;
  std::vector<stage::Block> blocks;
};

const NumberEntry& entry_of(stage::Input input) {
  switch (input) {
    case stage::Input::supply:
      return kSupply;
    case stage::Input::power:
      return kPower;
    case stage::Input::xi:
      return kXi;
    case stage::Input::saturation:
      return kSaturation;
    case stage::Input::slope:
      return kSlope;
    case stage::Input::cutoff:
      break;
  }
  return kCutoff;
}

// A row whose values are beyond the doubles refuses the input at fault. True if one did.
bool refuse_beyond_numbers(Entries& entries, const stage::Inputs& inputs,
                           const stage::Block& block) {
  const auto beyond = std::find_if(block.rows.begin(), block.rows.end(), [](const stage::Row& row) {
    return row.design.verdict == stage::Verdict::beyond_numbers;
  });
  if (beyond == block.rows.end()) return false;
  const stage::Fault& fault = beyond->design.fault;
  const NumberEntry& entry = entry_of(fault.input);
  entries.refuse(entry.name, std::string(entry.label) + ": " +
                                 textio::shortest_text(*stage::value_of(inputs, fault.input)) +
                                 (fault.too_large ? " — слишком велико" : " — слишком мало") +
                                 ": при θ = " + textio::shortest_text(beyond->angle) +
                                 "° и степени функции " + textio::parameter_text(block.exponent) +
                                 " величины каскада выходят за пределы чисел, которые может "
                                 "хранить программа");
  return true;
}

// Why a block has no row to show: the one angle does not work, or none of the range does.
void refuse_block(Entries& entries, const stage::Inputs& inputs, const sweep::Range& range,
                  const stage::Block& block) {
  const std::string n = std::to_string(inputs.harmonic);
  const std::string exponent = "степени функции " + textio::parameter_text(block.exponent);
  if (block.rows.size() > 1) {
    entries.refuse("from", "Ни при одном угле от " + textio::shortest_text(range.from) + " до " +
                               textio::shortest_text(range.to) + "° при " + exponent +
                               " каскад не получается: " + stage_text::why_no_stage(inputs));
    return;
  }
  const stage::Row& row = block.rows.front();
  const std::string where = " при θ = " + textio::shortest_text(row.angle) + "° и " + exponent;
  if (row.design.verdict == stage::Verdict::no_harmonic) {
    entries.refuse(kHarmonic, "α" + n + " не больше 0" + where + ": гармоники " + n + " нет");
    return;
  }
  entries.refuse(kPower.name, "P: " + textio::shortest_text(inputs.power) +
                                  " Вт — больше, чем дает критический режим" + where +
                                  ": не больше " +
                                  stage_text::most_power_text(row.design.most_power) + " Вт");
}

std::optional<StageEntries> stage_entries(Entries& entries) {
  const std::optional<stage::Inputs> inputs = inputs_of(entries);
  const std::optional<std::vector<double>> exponents = entries.numbers(kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if (!inputs || !exponents || !angles) return std::nullopt;
  StageEntries stage{*inputs, angles->range, {}};
  for (double exponent : *exponents) {
    stage.blocks.push_back(stage::over_range(*inputs, angles->range, angles->count, exponent));
    if (refuse_beyond_numbers(entries, *inputs, stage.blocks.back())) return std::nullopt;
    const std::vector<stage::Row>& rows = stage.blocks.back().rows;
    if (std::none_of(rows.begin(), rows.end(),
                     [](const stage::Row& row) { return stage::works(row.design); })) {
      refuse_block(entries, *inputs, angles->range, stage.blocks.back());
      return std::nullopt;
    }
  }
  return stage;
}

}  // namespace

// Whole, as k-berg-table reads its --harmonic: "2.0" and "+2" are not.
std::optional<int> harmonic_of(Entries& entries) {
  const std::string typed = entries.has(kHarmonic) ? entries.text(kHarmonic) : "1";
  int n = 0;
  const char* end = typed.data() + typed.size();
  const auto read = std::from_chars(typed.data(), end, n);
  if (read.ec == std::errc() && read.ptr == end && n >= 1 && n <= kHighestHarmonic) return n;
  entries.refuse(kHarmonic, "Гармоника n: " + quoted(typed) + " — нужно целое число от 1 до 9");
  return std::nullopt;
}

std::string stage_design(Entries& entries) {
  const std::optional<StageEntries> stage = stage_entries(entries);
  if (!stage) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  stage_text::stage_answer(model, stage->inputs, stage->blocks, false);
  model.finish();
  write_chart(json, stage->blocks.size(), answer_charts::kStageSeries, [&] {
    chart::Chart drawn(answer_charts::stage_chart(stage->inputs.harmonic, stage->angles));
    answer_charts::draw_stages(drawn, stage->blocks);
    return std::move(drawn).finish();
  });
  return json.close_object().text();
}

std::string stage_csv(Entries& entries) {
  const std::optional<StageEntries> stage = stage_entries(entries);
  if (!stage) return refused(entries);
  const bool comma = entries.has("decimal-comma");
  std::string text = csv::in_form(csv::stage_header(stage->inputs), comma) + "\r\n";
  for (const stage::Block& block : stage->blocks) {
    for (const stage::Row& row : block.rows) {
      text += csv::in_form(csv::stage_line(stage->inputs, row.angle, block.exponent, row.design),
                           comma) +
              "\r\n";
    }
  }
  Json json;
  json.open_object().name("csv").string(text);
  json.name("name").string(answer::stage_csv_name(stage->inputs));
  return json.close_object().text();
}

}  // namespace web
