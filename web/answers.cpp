#include "web/answers.h"

#include <optional>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "report/berg_answers.h"
#include "textio/fields.h"
#include "web/json.h"

namespace web {

namespace {

constexpr NumberEntry kWantedG1{"angle-for-g1", "g1", -kNoBound, kNoBound, ""};

// The first maxima of the harmonics from 1 up among `harmonics`, refused when there is none.
std::optional<std::vector<int>> harmonics_with_maxima(Entries& entries) {
  const std::optional<std::vector<int>> chosen = entries.harmonics({1, 2, 3, 4, 5, 6, 7, 8, 9});
  if (!chosen) return std::nullopt;
  std::vector<int> harmonics;
  for (int k : *chosen) {
    if (k >= 1) harmonics.push_back(k);
  }
  if (harmonics.empty()) {
    entries.refuse("harmonics", "Гармоники: " + quoted(entries.text("harmonics")) +
                                    " — нет ни одной от 1 до 9, у которой искать максимум");
    return std::nullopt;
  }
  return harmonics;
}

// Where g1 cannot take the wanted value at `exponent`: the values it takes.
std::string out_of_reach(double g1, double exponent) {
  const design::Reach reach = design::g1_reach(exponent);
  return "g1 = " + coefficient(g1) + " недостижимо при степени функции " +
         textio::parameter_text(exponent) + ": между " + textio::shortest_text(berg::kLowestAngle) +
         " и " + textio::shortest_text(berg::kHighestAngle) + "° g1 принимает значения от " +
         coefficient(reach.lowest) + " до " + coefficient(reach.highest);
}

}  // namespace

std::string coefficient(double value) { return textio::trimmed_field(value, textio::kModulusEdit); }

std::string refused(const Entries& entries) {
  Json json;
  json.open_object().name("refusals").open_array();
  for (const Refusal& refusal : entries.refusals()) {
    json.open_object().name("entry").string(refusal.entry).name("text").string(refusal.text);
    json.close_object();
  }
  return json.close_array().close_object().text();
}

std::string calculation(Entries& entries) {
  const std::optional<double> angle = entries.number(kAngle);
  const std::optional<double> exponent = entries.number(kExponent);
  if (!angle || !exponent) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::calculation(model, berg::compute(*angle, *exponent));
  model.finish();
  return json.close_object().text();
}

std::string best_angles(Entries& entries) {
  const std::optional<std::vector<double>> exponents = entries.numbers(kExponent, kMostExponents);
  const std::optional<std::vector<int>> harmonics = harmonics_with_maxima(entries);
  if (!exponents || !harmonics) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::optima_title(model);
  for (double exponent : *exponents) {
    berg_answers::optima(model, {exponent, design::optima(exponent, *harmonics)}, false);
  }
  model.finish();
  return json.close_object().text();
}

std::string angle_for_g1(Entries& entries) {
  const std::optional<double> g1 = entries.number(kWantedG1);
  const std::optional<double> xi = entries.number(kXi);
  const std::optional<std::vector<double>> exponents = entries.numbers(kExponent, kMostExponents);
  if (!g1 || !xi || !exponents) return refused(entries);
  std::vector<berg::Result> found;
  for (double exponent : *exponents) {
    const std::optional<double> angle = design::angle_for_g1(exponent, *g1);
    if (!angle) {
      entries.refuse(kWantedG1.name, out_of_reach(*g1, exponent));
      return refused(entries);
    }
    found.push_back(berg::compute(*angle, exponent));
  }
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::angles_for_g1(model, *g1, *xi, found, false);
  model.finish();
  return json.close_object().text();
}

}  // namespace web
