// The stage view's answers: the whole stage at each angle of a range, or at each exponent's
// best angle, its tables and its CSV; with its output network, or the network alone (the
// network view), and each harmonic at the antenna.
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

// The goal of the best regime where "best" is given, and the refusals of what the best regime
// does not use: xi, which it chooses; the step, as it visits every hundredth of a degree; the
// power, of the most power.
std::optional<regime::Goal> goal_of(Entries& entries, bool& all_read) {
  if (!entries.has(entry_rules::kBest.name)) return std::nullopt;
  const std::size_t refused_before = entries.refusals().size();
  entry_rules::Read<regime::Goal> read = entry_rules::read_goal(entries.text("best"));
  for (const char* unused : {"xi", "step"}) {
    if (entries.has(unused)) entries.refuse({unused, refusals::Kind::not_used, {"best"}});
  }
  if (read.value == regime::Goal::power && entries.has("power") && !read.refusal) {
    entries.refuse({"power", refusals::Kind::not_used, {"best power"}});
  }
  if (read.refusal) entries.refuse(std::move(*read.refusal));
  all_read = all_read && entries.refusals().size() == refused_before;
  return read.value;
}

// The device's limits, each where it is given.
stage::Limits limits_of(Entries& entries, bool& all_read) {
  using namespace entry_rules;
  return {given_number(entries, kMaxDissipation, all_read),
          given_number(entries, kMaxPeakCurrent, all_read),
          given_number(entries, kMaxVoltage, all_read),
          given_number(entries, kMaxDirectCurrent, all_read)};
}

// The device's law where it is given: both halves or neither, and its permeance only with it.
std::optional<stage::Device> device_of(Entries& entries, bool& all_read) {
  using namespace entry_rules;
  const std::optional<double> slope = given_number(entries, kSlope, all_read);
  const std::optional<double> cutoff = given_number(entries, kCutoff, all_read);
  const std::optional<double> permeance = entries.number(kPermeance);
  if (entries.has(kSlope.name) != entries.has(kCutoff.name)) {
    const Description& missing = entries.has(kSlope.name) ? kCutoff : kSlope;
    entries.refuse({std::string(missing.name), refusals::Kind::half_a_law, {}});
    all_read = false;
  }
  if (entries.has(kPermeance.name) && !entries.has(kSlope.name)) {
    entries.refuse({"permeance", refusals::Kind::needs_law, {}});
    all_read = false;
  }
  all_read = all_read && permeance;
  if (!slope || !cutoff || !permeance) return std::nullopt;
  return stage::Device{*slope, *cutoff, *permeance};
}

// What the designer gives: the supply, the power, the harmonic, xi or the critical regime's
// slope (one of the two, or for the best regime the slope if any), the device's law (both
// halves or neither, with its permeance) and limits, and the goal of the best regime.
struct Given {
  stage::Inputs inputs;
  std::optional<regime::Goal> best;
};

std::optional<Given> inputs_of(Entries& entries) {
  bool all_read = true;
  Given given;
  stage::Inputs& inputs = given.inputs;
  using namespace entry_rules;
  given.best = goal_of(entries, all_read);
  const std::optional<double> supply = entries.number(kSupply);
  const std::optional<double> power =
      given.best == regime::Goal::power ? 0.0 : entries.number(kPower);
  const std::optional<int> harmonic = entries.whole_number(kHarmonic);
  if (!given.best) inputs.xi = given_number(entries, kXi, all_read);
  inputs.saturation = given_number(entries, kSaturation, all_read);
  inputs.device = device_of(entries, all_read);
  inputs.limits = limits_of(entries, all_read);
  if (!given.best && entries.has(kXi.name) == entries.has(kSaturation.name)) {
    entries.refuse({"xi", refusals::Kind::one_of_two, {}});
    all_read = false;
  }
  if (!supply || !power || !harmonic || !all_read) return std::nullopt;
  inputs.supply = *supply;
  inputs.power = *power;
  inputs.harmonic = *harmonic;
  return given;
}

// Refusals of a stage's answer: the page has no entry for the stage as a whole, and where no
// angle of the range works, that refusal stands beside the range; each figure that would give
// the power stands beside its own entry.
bool refuse_all(Entries& entries, std::vector<refusals::Refusal> refused) {
  for (refusals::Refusal& refusal : refused) {
    if (refusal.entry == "stage") refusal.entry = entry_rules::kFrom.name;
    entries.refuse(std::move(refusal));
  }
  return !refused.empty();
}

struct StageEntries {
  stage::Inputs inputs;
  sweep::Range angles;
  std::vector<stage::Block> blocks;
  std::optional<regime::Goal> best;
  std::vector<regime_text::BestBlock> best_blocks;  // with `best`, instead of the blocks
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
  const std::optional<Given> given = inputs_of(entries);
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if (!given || !exponents || !angles || !network.refusals.empty()) return std::nullopt;
  const stage::Inputs& inputs = given->inputs;
  StageEntries stage{inputs, angles->range, {}, given->best, {}};
  if (given->best) {
    regime_text::BestRegimes found =
        regime_text::best_regimes({inputs, *given->best, angles->range}, *exponents);
    if (refuse_all(entries, std::move(found.refusals))) return std::nullopt;
    stage.best_blocks = std::move(found.blocks);
    return stage;
  }
  for (double exponent : *exponents) {
    stage.blocks.push_back(stage::over_range(inputs, angles->range, angles->count, exponent));
    if (refuse_all(entries,
                   regime_text::refusals_of_block(inputs, angles->range, stage.blocks.back()))) {
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
// The best regime has no network after it: its angle is sought for the stage alone.
std::optional<ChainEntries> chain_entries(Entries& entries, bool stage) {
  const std::optional<Given> given = stage ? inputs_of(entries) : std::nullopt;
  if (given && given->best) {
    entries.refuse({std::string(entry_rules::kBest.name),
                    refusals::Kind::not_with,
                    {std::string(entry_rules::kNetwork.name)}});
  }
  const std::optional<int> harmonic =
      stage ? std::optional<int>(1) : entries.whole_number(entry_rules::kHarmonic);
  entry_rules::NetworkRead read = entry_rules::read_network(typed_of(entries), stage);
  const bool network_read = read.refusals.empty();
  for (refusals::Refusal& refusal : read.refusals) entries.refuse(std::move(refusal));
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  if ((stage && (!given || given->best)) || !harmonic || !network_read || !exponents || !angles)
    return std::nullopt;
  antenna::Inputs& chain = read.entries.chain;
  if (given) chain.stage = given->inputs;
  chain.wanted = stage ? given->inputs.harmonic : *harmonic;
  ChainEntries out{read.entries, angles->range, {}};
  for (double exponent : *exponents) {
    out.blocks.push_back(antenna::over_range(chain, angles->range, angles->count, exponent));
    if (refuse_all(entries, network_text::refusals_of_block(out.network, angles->range,
                                                            out.blocks.back()))) {
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
  if (stage->best) {
    regime_text::best_answer(model, {stage->inputs, *stage->best, stage->angles},
                             stage->best_blocks, false);
    model.finish();
    return json.close_object().text();
  }
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
  const stage::Inputs& inputs = stage->inputs;
  std::vector<std::string> lines;
  if (stage->best) {
    lines.push_back(csv::best_header(inputs));
    for (const regime_text::BestBlock& block : stage->best_blocks) {
      lines.push_back(csv::best_line(inputs, block.exponent, block.best));
    }
  } else {
    lines.push_back(csv::stage_header(inputs));
    for (const stage::Block& block : stage->blocks) {
      for (const stage::Row& row : block.rows) {
        lines.push_back(csv::stage_line(inputs, row.angle, block.exponent, row.design));
      }
    }
  }
  std::string text;
  for (const std::string& line : lines) text.append(csv::in_form(line, comma)).append("\r\n");
  Json json;
  json.open_object().name("csv").string(text);
  json.name("name").string(answer::stage_csv_name(inputs, stage->best));
  return json.close_object().text();
}

}  // namespace web
