#include "web/answers.h"

#include <optional>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "textio/fields.h"
#include "web/json.h"

namespace web {

namespace {

// The angles the designer's searches find, to a hundredth of a degree, as k-berg-table
// shows them.
constexpr textio::Edit kSearchAngleEdit{10, 2};

std::string search_angle(double value) { return textio::trimmed_field(value, kSearchAngleEdit); }

// The first maxima of the harmonics from 1 up among `harmonics`, refused when there is none.
std::optional<std::vector<int>> harmonics_with_maxima(Entries& entries) {
  const std::optional<std::vector<int>> chosen = entries.harmonics({1, 2, 3, 4, 5, 6, 7, 8, 9});
  if (!chosen) return std::nullopt;
  std::vector<int> harmonics;
  for (int k : *chosen) {
    if (k >= 1) harmonics.push_back(k);
  }
  if (harmonics.empty()) {
    entries.refuse({"harmonics", refusals::Kind::no_maxima, {entries.text("harmonics")}});
    return std::nullopt;
  }
  return harmonics;
}

// A sentence for each coefficient whose highest maximum in range is not its first, as
// k-berg-table writes it under the table.
std::vector<std::string> top_lobes(const std::vector<design::Optimum>& optima) {
  std::vector<std::string> notes;
  const auto add = [&notes](const std::string& coefficient_name,
                            const std::optional<design::Peak>& top) {
    if (!top) return;
    notes.push_back("Наибольший максимум " + coefficient_name + " не первый: " +
                    coefficient(top->value) + " при θ = " + search_angle(top->angle) + "°");
  };
  for (const design::Optimum& optimum : optima) {
    add("α" + std::to_string(optimum.harmonic), optimum.alpha_top);
    add("γ" + std::to_string(optimum.harmonic), optimum.gamma_top);
  }
  return notes;
}

}  // namespace

std::string coefficient(double value) { return textio::trimmed_field(value, textio::kModulusEdit); }

std::string refused(const Entries& entries) {
  Json json;
  json.open_object().name("refusals").open_array();
  for (const refusals::Refusal& refusal : entries.refusals()) {
    json.open_object().name("entry").string(refusal.entry).name("text");
    json.string(refusals::worded(refusal, refusals::Language::russian));
    json.close_object();
  }
  return json.close_array().close_object().text();
}

std::string calculation(Entries& entries) {
  const std::optional<double> angle = entries.number(entry_rules::kAngle);
  const std::optional<double> exponent = entries.number(entry_rules::kExponent);
  if (!angle || !exponent) return refused(entries);
  const berg::Result result = berg::compute(*angle, *exponent);
  Json json;
  json.open_object();
  json.name("angle").string(textio::parameter_text(result.angle()));
  json.name("exponent").string(textio::parameter_text(result.exponent()));
  json.name("rows").open_array();
  for (int k = 0; k < berg::kHarmonics; ++k) {
    json.strings({std::to_string(k), coefficient(result.modulus(k)),
                  textio::trimmed_field(result.phase(k), textio::kPhaseEdit),
                  coefficient(result.signed_value(k))});
  }
  return json.close_array().close_object().text();
}

std::string best_angles(Entries& entries) {
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<std::vector<int>> harmonics = harmonics_with_maxima(entries);
  if (!exponents || !harmonics) return refused(entries);
  Json json;
  json.open_object().name("blocks").open_array();
  for (double exponent : *exponents) {
    const std::vector<design::Optimum> optima = design::optima(exponent, *harmonics);
    json.open_object().name("exponent").string(textio::parameter_text(exponent));
    json.name("rows").open_array();
    for (const design::Optimum& optimum : optima) {
      json.strings({std::to_string(optimum.harmonic), search_angle(optimum.alpha.angle),
                    coefficient(optimum.alpha.value), search_angle(optimum.gamma.angle),
                    coefficient(optimum.gamma.value)});
    }
    json.close_array().name("notes").strings(top_lobes(optima)).close_object();
  }
  return json.close_array().close_object().text();
}

std::string angle_for_g1(Entries& entries) {
  const std::optional<double> g1 = entries.number(entry_rules::kAngleForG1);
  const std::optional<double> xi = entries.number(entry_rules::kXi);
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  if (!g1 || !xi || !exponents) return refused(entries);
  std::vector<berg::Result> found;
  for (double exponent : *exponents) {
    const std::optional<double> angle = design::angle_for_g1(exponent, *g1);
    if (!angle) {
      entries.refuse(entry_rules::g1_out_of_reach(*g1, exponent));
      return refused(entries);
    }
    found.push_back(berg::compute(*angle, exponent));
  }
  Json json;
  json.open_object()
      .name("g1")
      .string(coefficient(*g1))
      .name("xi")
      .string(textio::parameter_text(*xi));
  json.name("rows").open_array();
  for (const berg::Result& at : found) {
    json.strings({textio::parameter_text(at.exponent()), search_angle(at.angle()),
                  coefficient(at.g1()), coefficient(at.efficiency(*xi))});
  }
  return json.close_array().close_object().text();
}

}  // namespace web
