#include "web/answers.h"

#include <optional>
#include <utility>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "engine/rows.h"
#include "report/berg_answers.h"
#include "report/chart.h"
#include "web/json.h"

namespace web {

namespace {

// The harmonics from 1 up among those `chosen`, whose first maxima are sought; refused when
// there is none.
std::optional<std::vector<int>> harmonics_with_maxima(
    Entries& entries, const std::optional<std::vector<int>>& chosen) {
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

rows::Pass pass_of(const Entries& entries) {
  return entries.has("exact") ? rows::Pass::exact : rows::Pass::sampled;
}

// The keyboard a phone offers for the entry's text.
std::string_view input_mode_of(entry_rules::Grammar grammar) {
  switch (grammar) {
    case entry_rules::Grammar::number:
      return "decimal";
    case entry_rules::Grammar::whole_number:
      return "numeric";
    default:
      return "text";
  }
}

// How a form shows an entry: what it names it, the text it stands for when left empty, and
// the keyboard for it.
struct Field {
  std::string label;
  std::string_view placeholder;
  std::string_view input_mode;
};

Field field_of(const entry_rules::Description& entry, const Entries& view) {
  using namespace entry_rules;
  Field field{form_label_of(entry), entry.absent, input_mode_of(entry.grammar)};
  if (&entry == &kHarmonics) {
    field.placeholder = view.has("optimum") ? kBestAnglesHarmonics : kTableHarmonics;
  }
  // A stage takes ξ or Sкр: there an empty ξ stands for no value.
  if (&entry == &kXi && view.has("stage")) field = {std::string(entry.label), "", "decimal"};
  // The calculation asks for one exponent, as the dialogue asks for it.
  if (&entry == &kExponent && view.has(kAngle.name)) {
    field = {"Степень функции (1-5)", entry.absent, "decimal"};
  }
  return field;
}

}  // namespace

std::optional<answer_charts::BergChoice> berg_choice_of(
    Entries& entries, const std::optional<std::vector<int>>& read) {
  const std::optional<std::vector<quantity::Id>> shown = entries.shown();
  if (!shown || !read) return std::nullopt;
  return answer_charts::berg_choice(entries.has("harmonics") ? read : std::nullopt, *shown);
}

void write_chart(Json& json, std::size_t exponents, std::size_t series,
                 const std::function<std::string()>& draw) {
  if (!chart::too_many_curves(exponents, series)) {
    json.name("chart").string(draw());
  } else {
    json.name("chart_note")
        .string(
            "Диаграммы нет: столько кривых на ней не различить. Возьмите меньше степеней функции " +
            std::string(series > 1 ? "или кривых." : "."));
  }
}

std::string refused(const Entries& entries) {
  Json json;
  json.open_object().name("refusals").open_array();
  for (const refusals::Refusal& refusal : entries.refusals()) {
    json.open_object().name("entry").string(refusal.entry).name("text");
    json.string(refusals::worded(refusal, refusals::Naming::label, messages::Language::russian));
    json.close_object();
  }
  return json.close_array().close_object().text();
}

std::string calculation(Entries& entries) {
  const std::optional<double> angle = entries.number(entry_rules::kAngle);
  const std::optional<double> exponent = entries.number(entry_rules::kExponent);
  if (!angle || !exponent) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::calculation(model, berg::compute(*angle, *exponent));
  model.finish();
  return json.close_object().text();
}

std::string best_angles(Entries& entries) {
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<std::vector<int>> chosen = entries.harmonics(kBestAnglesHarmonics);
  const std::optional<std::vector<int>> harmonics = harmonics_with_maxima(entries, chosen);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  const std::optional<answer_charts::BergChoice> choice = berg_choice_of(entries, chosen);
  if (!exponents || !harmonics || !angles || !choice) return refused(entries);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::optima_title(model);
  std::vector<std::vector<design::Optimum>> all_optima;
  for (double exponent : *exponents) {
    const berg_answers::ExponentOptima block{exponent, design::optima(exponent, *harmonics)};
    berg_answers::optima(model, block, false);
    all_optima.push_back(block.optima);
  }
  model.finish();
  write_chart(json, exponents->size(), choice->harmonics.size(), [&] {
    chart::Chart drawn(answer_charts::optimum_chart(*choice, angles->range));
    answer_charts::BergCurves curves(drawn, *choice);
    rows::compute_rows(*exponents, angles->range, {&curves}, pass_of(entries));
    for (std::size_t b = 0; b < all_optima.size(); ++b) curves.mark_maxima(b, all_optima[b]);
    return std::move(drawn).finish();
  });
  return json.close_object().text();
}

std::string angle_for_g1(Entries& entries) {
  const std::optional<double> g1 = entries.number(entry_rules::kAngleForG1);
  const std::optional<double> xi = entries.number(entry_rules::kXi);
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const std::optional<Angles> angles = angles_of(entries, exponents ? exponents->size() : 1);
  const std::optional<answer_charts::BergChoice> choice =
      berg_choice_of(entries, entries.harmonics(kTableHarmonics));
  if (!g1 || !xi || !exponents || !angles || !choice) return refused(entries);
  std::vector<berg::Result> found;
  for (double exponent : *exponents) {
    const std::optional<double> angle = design::angle_for_g1(exponent, *g1);
    if (!angle) {
      entries.refuse(entry_rules::g1_out_of_reach(*g1, exponent));
      return refused(entries);
    }
    found.push_back(berg::compute_exact(*angle, exponent));
  }
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::angles_for_g1(model, *g1, *xi, found, false);
  model.finish();
  write_chart(json, exponents->size(), choice->harmonics.size(), [&] {
    chart::Chart drawn(
        answer_charts::g1_chart(*choice, angles->range, *g1, entries.has("decimal-comma")));
    answer_charts::BergCurves curves(drawn, *choice);
    rows::compute_rows(*exponents, angles->range, {&curves}, pass_of(entries));
    for (std::size_t b = 0; b < found.size(); ++b) curves.mark_angle(b, found[b]);
    return std::move(drawn).finish();
  });
  return json.close_object().text();
}

std::string form(const Entries& entries) {
  Json json;
  json.open_array();
  for (const entry_rules::Description* entry : entry_rules::kAll) {
    if (entry->form.empty()) continue;
    const Field field = field_of(*entry, entries);
    json.open_object().name("name").string(entry->name).name("label").string(field.label);
    json.name("placeholder").string(field.placeholder);
    json.name("inputmode").string(field.input_mode).close_object();
  }
  return json.close_array().text();
}

}  // namespace web
