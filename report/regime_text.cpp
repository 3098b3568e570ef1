#include "report/regime_text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

#include "report/stage_text.h"
#include "textio/fields.h"

namespace regime_text {

namespace {

using refusals::Kind;
using refusals::Refusal;
using stage::Limit;

// What holds a regime, as the words of a refusal: "the saturation line", "--max-dissipation".
std::vector<refusals::Words> held_by(const stage::LimitSet& binding) {
  std::vector<refusals::Words> words;
  for (Limit limit : stage::kEveryLimit) {
    if (!binding.has(limit)) continue;
    if (limit == Limit::saturation) {
      words.push_back({messages::N_("the saturation line")});
    } else {
      // An option, the same in each language.
      words.push_back({"{0}", {"--" + std::string(stage_text::words_of(limit).entry.name)}});
    }
  }
  return words;
}

// "Pрас ≤ 0.5 Вт", or the saturation line.
std::string held_by_russian(const stage::Inputs& inputs, Limit limit) {
  if (limit == Limit::saturation) return "линия критического режима";
  const stage_text::LimitWords& words = stage_text::words_of(limit);
  return std::string(words.symbol) + " ≤ " +
         textio::shortest_text(*stage::rating_of(inputs, limit)) + " " +
         std::string(words.entry.unit);
}

std::string held_russian(const stage::Inputs& inputs, const stage::LimitSet& binding) {
  std::string text;
  for (Limit limit : stage::kEveryLimit) {
    if (binding.has(limit))
      text.append(text.empty() ? "" : ", ").append(held_by_russian(inputs, limit));
  }
  return text;
}

// "2 W needs at least 0.5549 A/V", of the entry of `limit`.
Refusal least_for_power(const stage::Inputs& inputs, const std::string& entry, double least,
                        std::string_view unit) {
  return {entry,
          Kind::least_for_power,
          {textio::shortest_text(inputs.power), stage_text::least_text(least)},
          {{unit}}};
}

void add_least(std::vector<Refusal>& refused, const stage::Inputs& inputs, Limit limit,
               std::optional<double> least) {
  if (!least) return;
  const stage_text::LimitWords& words = stage_text::words_of(limit);
  refused.push_back(
      least_for_power(inputs, std::string(words.entry.name), *least, words.english_unit));
}

void add_least_ratings(std::vector<Refusal>& refused, const stage::Inputs& inputs,
                       const stage::Limits& least) {
  add_least(refused, inputs, Limit::dissipation, least.dissipation);
  add_least(refused, inputs, Limit::peak_current, least.peak_current);
  add_least(refused, inputs, Limit::voltage, least.voltage);
  add_least(refused, inputs, Limit::direct_current, least.direct_current);
}

// The most the range gives, at which angle and what holds it there; where that is less than
// the power asked, the least S_cr and supply that would give it.
void add_shortfall(std::vector<Refusal>& refused, const stage::Inputs& inputs,
                   const sweep::Range& range, double exponent, const regime::Shortfall& shortfall) {
  refused.push_back({"power",
                     Kind::most_power_within,
                     {stage_text::most_power_text(shortfall.most_power),
                      textio::shortest_text(range.from), textio::shortest_text(range.to),
                      textio::parameter_text(exponent), stage_text::angle_text(shortfall.angle)},
                     held_by(shortfall.binding)});
  if (!(shortfall.most_power < inputs.power)) return;
  if (shortfall.saturation) {
    refused.push_back(
        least_for_power(inputs, "saturation", *shortfall.saturation, messages::N_("A/V")));
  }
  if (shortfall.supply)
    refused.push_back(least_for_power(inputs, "supply", *shortfall.supply, messages::N_("V")));
}

Refusal refusal_of(const regime::Question& question, double exponent,
                   const regime::Refusal& refusal) {
  const stage::Inputs& inputs = question.inputs;
  switch (refusal.cause) {
    case regime::Cause::not_positive: {
      const std::string value = textio::shortest_text(*stage::rating_of(inputs, refusal.limit));
      return {std::string(stage_text::words_of(refusal.limit).entry.name),
              Kind::out_of_range,
              {value, value}};
    }
    case regime::Cause::permeance_out_of_range: {
      const std::string value = textio::shortest_text(inputs.device->permeance);
      return {"permeance", Kind::out_of_range, {value, value}};
    }
    case regime::Cause::unbounded:
      if (question.goal == regime::Goal::power) return {"best", Kind::unbounded_power, {}};
      return {"best", Kind::unbounded_efficiency, {textio::shortest_text(2.0 * inputs.supply)}};
    case regime::Cause::voltage_at_supply:
      return {
          "max-voltage",
          Kind::voltage_at_supply,
          {textio::shortest_text(*inputs.limits.voltage), textio::shortest_text(refusal.least)}};
    case regime::Cause::no_harmonic:
      break;
  }
  return {"harmonic",
          Kind::no_harmonic_in_range,
          {textio::shortest_text(question.range.from), textio::shortest_text(question.range.to),
           textio::parameter_text(exponent), std::to_string(inputs.harmonic)}};
}

// "E = 12.5 В, Sкр = 0.5 А/В; наибольшая P3, углы от 20 до 80°".
std::string sought_line(const regime::Question& question) {
  const stage::Inputs& inputs = question.inputs;
  const std::string n = std::to_string(inputs.harmonic);
  std::string line = "E = " + textio::shortest_text(inputs.supply) + " В";
  if (inputs.saturation) {
    line.append(", Sкр = ").append(textio::shortest_text(*inputs.saturation)).append(" А/В");
  }
  if (question.goal == regime::Goal::power) {
    line.append("; наибольшая P").append(n);
  } else {
    line.append("; наибольший КПД при P").append(n).append(" = ");
    line.append(textio::shortest_text(inputs.power)).append(" Вт");
  }
  line.append(", углы от ").append(textio::shortest_text(question.range.from));
  return line.append(" до ").append(textio::shortest_text(question.range.to)).append("°");
}

// "Наибольшая P3 = 1.8021 Вт; предел: линия критического режима".
std::string best_note(const regime::Question& question, const regime::Best& best) {
  const std::string n = std::to_string(question.inputs.harmonic);
  std::string note =
      question.goal == regime::Goal::power
          ? "Наибольшая P" + n + " = " + stage_text::most_power_text(best.design.p_n) + " Вт"
          : "Наибольший КПД при P" + n + " = " + textio::shortest_text(question.inputs.power) +
                " Вт";
  const std::string held = held_russian(question.inputs, best.binding);
  if (!held.empty()) return note.append("; предел: ").append(held);
  return best.design.xi == 1.0 ? note.append("; предел: ξ = 1") : note;
}

}  // namespace

std::vector<Refusal> refusals_of_block(const stage::Inputs& inputs, const sweep::Range& range,
                                       const stage::Block& block) {
  const auto verdict_is = [](stage::Verdict verdict) {
    return [verdict](const stage::Row& row) { return row.design.verdict == verdict; };
  };
  const auto beyond = std::find_if(block.rows.begin(), block.rows.end(),
                                   verdict_is(stage::Verdict::beyond_numbers));
  if (beyond != block.rows.end())
    return stage_text::refusals_of_row(inputs, *beyond, block.exponent);
  if (block.rows.size() == 1 && !stage::works(block.rows.front().design)) {
    return stage_text::refusals_of_row(inputs, block.rows.front(), block.exponent);
  }
  if (std::any_of(block.rows.begin(), block.rows.end(), verdict_is(stage::Verdict::works))) {
    return {};
  }
  std::vector<Refusal> refused = {
      {"stage",
       Kind::no_angle_works,
       {textio::shortest_text(range.from), textio::shortest_text(range.to),
        textio::parameter_text(block.exponent)},
       stage_text::why_none(inputs, block)}};
  if (inputs.saturation) {
    const auto shortfall = regime::shortfall(inputs, range, block.exponent);
    if (const auto* found = std::get_if<regime::Shortfall>(&shortfall)) {
      add_shortfall(refused, inputs, range, block.exponent, *found);
    }
  }
  add_least_ratings(refused, inputs, stage::least_ratings(inputs, block));
  return refused;
}

BestRegimes best_regimes(const regime::Question& question, const std::vector<double>& exponents) {
  BestRegimes found;
  for (double exponent : exponents) {
    const auto answer = regime::best(question, exponent);
    if (const auto* best = std::get_if<regime::Best>(&answer)) {
      found.blocks.push_back({exponent, *best});
    } else if (const auto* refusal = std::get_if<regime::Refusal>(&answer)) {
      return {{}, {refusal_of(question, exponent, *refusal)}};
    } else {
      const auto& shortfall = std::get<regime::Shortfall>(answer);
      std::vector<Refusal> refused;
      add_shortfall(refused, question.inputs, question.range, exponent, shortfall);
      add_least_ratings(refused, question.inputs, shortfall.ratings);
      return {{}, refused};
    }
  }
  return found;
}

void best_answer(answer::Renderer& out, const regime::Question& question,
                 const std::vector<BestBlock>& blocks, bool decimal_comma) {
  const stage::Inputs& inputs = question.inputs;
  std::vector<std::string> lines = {stage_text::kind_line(inputs.harmonic), sought_line(question)};
  for (const std::string& line : stage_text::device_lines(inputs)) lines.push_back(line);
  for (const std::string& line : lines) out.title(textio::with_decimal_mark(line, decimal_comma));
  for (const BestBlock& found : blocks) {
    const stage::Block block{found.exponent, {{found.best.angle, found.best.design}}};
    stage_text::write_main_table(out, answer::exponent_caption(found.exponent, decimal_comma),
                                 block, decimal_comma);
    if (inputs.device) stage_text::write_drive_table(out, block, decimal_comma);
    out.note(textio::with_decimal_mark(best_note(question, found.best), decimal_comma));
  }
}

}  // namespace regime_text
