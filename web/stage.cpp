// The stage view's answers: the whole stage at each angle of a range, its tables and its CSV.
#include "engine/stage.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "report/answer.h"
#include "report/answer_charts.h"
#include "report/chart.h"
#include "report/csv.h"
#include "report/regime_text.h"
#include "report/stage_text.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

// A number that is read only where its entry is given.
std::optional<double> given_number(Entries& entries, const entry_rules::Description& entry,
                                   bool& all_read) {
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
  using namespace entry_rules;
  const std::optional<double> supply = entries.number(kSupply);
  const std::optional<double> power = entries.number(kPower);
  const std::optional<int> harmonic = entries.whole_number(kHarmonic);
  inputs.xi = given_number(entries, kXi, all_read);
  inputs.saturation = given_number(entries, kSaturation, all_read);
  const std::optional<double> slope = given_number(entries, kSlope, all_read);
  const std::optional<double> cutoff = given_number(entries, kCutoff, all_read);
  if (entries.has(kXi.name) == entries.has(kSaturation.name)) {
    entries.refuse({"xi", refusals::Kind::one_of_two, {}});
    all_read = false;
  }
  if (entries.has(kSlope.name) != entries.has(kCutoff.name)) {
    const Description& missing = entries.has(kSlope.name) ? kCutoff : kSlope;
    entries.refuse({std::string(missing.name), refusals::Kind::half_a_law, {}});
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

std::optional<StageEntries> stage_entries(Entries& entries) {
  const std::optional<stage::Inputs> inputs = inputs_of(entries);
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if (!inputs || !exponents || !angles) return std::nullopt;
  StageEntries stage{*inputs, angles->range, {}};
  for (double exponent : *exponents) {
    stage.blocks.push_back(stage::over_range(*inputs, angles->range, angles->count, exponent));
    std::vector<refusals::Refusal> refused =
        regime_text::refusals_of_block(*inputs, angles->range, stage.blocks.back());
    // The page has no entry for the stage as a whole: where no angle of the range works, that
    // refusal stands beside the range, and each figure that would give the power beside its own
    // entry.
    for (refusals::Refusal& refusal : refused) {
      if (refusal.entry == "stage") refusal.entry = entry_rules::kFrom.name;
      entries.refuse(std::move(refusal));
    }
    if (!refused.empty()) return std::nullopt;
  }
  return stage;
}

}  // namespace

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
