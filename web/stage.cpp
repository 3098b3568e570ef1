// The stage view's answers: the whole stage at each angle of a range, its tables and its CSV;
// with its output network, or the network alone (the network view), and each harmonic at the
// antenna.
#include "engine/stage.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "report/answer.h"
#include "report/answer_charts.h"
#include "report/chart.h"
#include "report/csv.h"
#include "report/network_charts.h"
#include "report/network_text.h"
#include "report/stage_text.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

// The page has no entry for the stage as a whole: where no angle of the range works, the
// refusal stands beside the range.
void refuse_block(Entries& entries, refusals::Refusal refusal) {
  if (refusal.entry == "stage") refusal.entry = entry_rules::kFrom.name;
  entries.refuse(std::move(refusal));
}

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

// The entries as the shared readers take them: their texts, nothing for an entry not given.
entry_rules::Typed typed_of(const Entries& entries) {
  return [&entries](std::string_view name) -> std::optional<std::string> {
    if (!entries.has(name)) return std::nullopt;
    return entries.text(name);
  };
}

std::optional<StageEntries> stage_entries(Entries& entries) {
  // Without "network", each of its entries is refused.
  const entry_rules::NetworkRead network = entry_rules::read_network(typed_of(entries), true);
  for (const refusals::Refusal& refusal : network.refusals) entries.refuse(refusal);
  const std::optional<stage::Inputs> inputs = inputs_of(entries);
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if (!inputs || !exponents || !angles || !network.refusals.empty()) return std::nullopt;
  StageEntries stage{*inputs, angles->range, {}};
  for (double exponent : *exponents) {
    stage.blocks.push_back(stage::over_range(*inputs, angles->range, angles->count, exponent));
    std::optional<refusals::Refusal> refusal =
        stage_text::refusal_of_block(*inputs, angles->range, stage.blocks.back());
    if (refusal) {
      refuse_block(entries, std::move(*refusal));
      return std::nullopt;
    }
  }
  return stage;
}

struct ChainEntries {
  entry_rules::NetworkEntries network;
  sweep::Range angles;
  std::vector<antenna::Block> blocks;
};

// The chain of the stage with its network (`stage`), or of the network alone, and its blocks.
std::optional<ChainEntries> chain_entries(Entries& entries, bool stage) {
  const std::optional<stage::Inputs> inputs = stage ? inputs_of(entries) : std::nullopt;
  const std::optional<int> harmonic =
      stage ? std::optional<int>(1) : entries.whole_number(entry_rules::kHarmonic);
  entry_rules::NetworkRead read = entry_rules::read_network(typed_of(entries), stage);
  const bool network_read = read.refusals.empty();
  for (refusals::Refusal& refusal : read.refusals) entries.refuse(std::move(refusal));
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if ((stage && !inputs) || !harmonic || !network_read || !exponents || !angles)
    return std::nullopt;
  antenna::Inputs& chain = read.entries.chain;
  chain.stage = inputs;
  chain.wanted = stage ? inputs->harmonic : *harmonic;
  ChainEntries out{read.entries, angles->range, {}};
  for (double exponent : *exponents) {
    out.blocks.push_back(antenna::over_range(chain, angles->range, angles->count, exponent));
    if (auto refusal =
            network_text::refusal_of_block(out.network, angles->range, out.blocks.back())) {
      refuse_block(entries, std::move(*refusal));
      return std::nullopt;
    }
  }
  return out;
}

std::string chain_design(Entries& entries, bool stage) {
  const std::optional<ChainEntries> chain = chain_entries(entries, stage);
  if (!chain) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  network_text::network_answer(model, chain->network, chain->blocks, false);
  model.finish();
  const bool one_angle = chain->blocks.front().rows.size() == 1;
  json.name("chart_alt")
      .string(one_angle ? "Схема выходной цепи и уровни гармоник на нагрузке"
                        : "Диаграмма: уровни гармоник на нагрузке по углу отсечки θ");
  write_chart(json, chain->blocks.size(), network_charts::kLevelSeries, [&] {
    return network_charts::picture(chain->network, chain->angles, chain->blocks,
                                   entries.has("decimal-comma"));
  });
  return json.close_object().text();
}

std::string chain_csv(Entries& entries, bool stage) {
  const std::optional<ChainEntries> chain = chain_entries(entries, stage);
  if (!chain) return refused(entries);
  const bool comma = entries.has("decimal-comma");
  std::string text;
  for (const std::string& line :
       csv::chain_lines(chain->network.chain, chain->network.megahertz, chain->blocks)) {
    text.append(csv::in_form(line, comma)).append("\r\n");
  }
  Json json;
  json.open_object().name("csv").string(text);
  json.name("name").string(answer::chain_csv_name(chain->network));
  return json.close_object().text();
}

}  // namespace

std::string network_design(Entries& entries) { return chain_design(entries, false); }

std::string network_csv(Entries& entries) { return chain_csv(entries, false); }

std::string stage_design(Entries& entries) {
  if (entries.has(entry_rules::kNetwork.name)) return chain_design(entries, true);
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
  if (entries.has(entry_rules::kNetwork.name)) return chain_csv(entries, true);
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
