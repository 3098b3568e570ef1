// The table view's answers: the rows over a range of angles, their chart and their CSV.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/sweep.h"
#include "report/answer.h"
#include "report/berg_answers.h"
#include "report/csv.h"
#include "report/headings.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

// More rows than a page shows without keeping its reader waiting.
constexpr std::int64_t kMostRows = 20000;
// The harmonics the chart draws unless others are chosen.
const std::vector<int> kChartHarmonics = {0, 1, 2, 3};

// What a table shows, from its entries.
struct TableEntries {
  Angles angles;
  // The rows of this answer, the angles first, first + stride, ...: all of them, or with
  // "half" 1 or 2 every other angle from the first or from the second, which the page computes
  // at once in two threads (alternate angles share the work of a range evenly: a pass takes
  // longer the wider the pulse).
  std::int64_t first;
  std::int64_t stride;
  std::vector<double> exponents;
  quantity::View view;
  bool chosen_harmonics;  // harmonics were chosen, for the chart too
  // The dialogue's 4096 samples, or with "exact" the Berg integral itself.
  berg::Result (*compute)(double angle, double exponent);
};

std::optional<std::vector<quantity::Id>> shown_of(Entries& entries) {
  std::vector<std::string_view> known;
  for (const quantity::Description& each : quantity::all()) known.emplace_back(each.name);
  const std::optional<std::vector<std::string>> names = entries.names("show", "Показать", known);
  if (!names) return std::nullopt;
  std::vector<quantity::Id> shown;
  for (const std::string& name : *names) shown.push_back(*quantity::named(name));
  return shown;
}

std::optional<TableEntries> table_entries(Entries& entries) {
  const std::optional<std::vector<double>> exponents = entries.numbers(kExponent, kMostExponents);
  const auto angles = angles_of(entries, exponents ? exponents->size() : 1);
  const std::optional<std::vector<int>> harmonics =
      entries.harmonics({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::optional<std::vector<quantity::Id>> shown = shown_of(entries);
  const std::optional<double> xi = entries.number(kXi);
  if (!exponents || !angles || !harmonics || !shown || !xi) return std::nullopt;
  quantity::View view{*harmonics, *shown, false, *xi, entries.has("decimal-comma")};
  const std::string half = entries.text("half");
  return TableEntries{*angles,
                      half == "2" ? 1 : 0,
                      half.empty() ? 1 : 2,
                      *exponents,
                      view,
                      entries.has("harmonics"),
                      entries.has("exact") ? berg::compute_exact : berg::compute};
}

bool shows(const quantity::View& view, quantity::Id id) {
  return std::find(view.shown.begin(), view.shown.end(), id) != view.shown.end();
}

// The chart of a table: for each exponent, a curve of each harmonic drawn, its value at
// each angle, gathered as the rows are computed.
class Chart {
 public:
  explicit Chart(const TableEntries& table)
      : harmonics_(table.chosen_harmonics ? table.view.harmonics : kChartHarmonics),
        gamma_(shows(table.view, quantity::Id::gamma) && !shows(table.view, quantity::Id::alpha)),
        angles_(table.angles),
        first_(table.first),
        stride_(table.stride) {}

  void start_block() { curves_.emplace_back(harmonics_.size()); }
  void add(const berg::Result& row) {
    for (std::size_t h = 0; h < harmonics_.size(); ++h) {
      const int k = harmonics_[h];
      curves_.back()[h].push_back(coefficient(gamma_ ? row.gamma(k) : row.signed_value(k)));
    }
  }

  void write(Json& json) const {
    json.name("chart").open_object().name("quantity").string(gamma_ ? "γ" : "α");
    json.name("harmonics").open_array();
    for (int k : harmonics_) json.number(std::to_string(k));
    json.close_array().name("angles").open_array();
    for (std::int64_t i = first_; i < angles_.count; i += stride_) {
      json.number(textio::parameter_text(sweep::angle_at(angles_.range, i)));
    }
    json.close_array().name("curves").open_array();
    for (const std::vector<std::vector<std::string>>& block : curves_) {
      json.open_array();
      for (const std::vector<std::string>& curve : block) {
        json.open_array();
        for (const std::string& value : curve) json.number(value);
        json.close_array();
      }
      json.close_array();
    }
    json.close_array().close_object();
  }

 private:
  std::vector<int> harmonics_;
  bool gamma_;
  Angles angles_;
  std::int64_t first_;
  std::int64_t stride_;
  std::vector<std::vector<std::vector<std::string>>> curves_;  // by exponent, harmonic, angle
};

}  // namespace

std::optional<Angles> angles_of(Entries& entries, std::size_t exponents) {
  const std::optional<double> from = entries.number(kFrom);
  const std::optional<double> to = entries.number(kTo);
  const std::optional<double> step = entries.number(kStep);
  if (!from || !to || !step) return std::nullopt;
  if (*from > *to) {
    entries.refuse(kFrom.name, "Начальный угол " + textio::parameter_text(*from) +
                                   " больше конечного " + textio::parameter_text(*to));
    return std::nullopt;
  }
  const sweep::Range range{*from, *to, *step};
  const std::int64_t count = sweep::count(range, kMostRows);
  if (count * static_cast<std::int64_t>(exponents) > kMostRows) {
    entries.refuse(kStep.name, "Шаг: " + quoted(entries.text(kStep.name)) + " — получится больше " +
                                   std::to_string(kMostRows) + " строк");
    return std::nullopt;
  }
  if (const std::optional<double> repeated = sweep::first_repeated(range, count)) {
    entries.refuse(kStep.name, "Шаг: " + quoted(entries.text(kStep.name)) +
                                   " — слишком мал: соседние углы около " +
                                   textio::shortest_text(*repeated) + " совпадают");
    return std::nullopt;
  }
  return Angles{range, count};
}

std::string table(Entries& entries) {
  std::optional<TableEntries> table = table_entries(entries);
  if (!table) return refused(entries);
  Chart chart(*table);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::RowsAnswer rows(model, table->view);
  std::vector<std::string> exponents;
  for (double exponent : table->exponents) {
    exponents.push_back(textio::parameter_text(exponent));
    rows.start_block(exponent);
    chart.start_block();
    for (std::int64_t i = table->first; i < table->angles.count; i += table->stride) {
      const berg::Result row = table->compute(sweep::angle_at(table->angles.range, i), exponent);
      rows.write_row(row);
      chart.add(row);
    }
  }
  model.finish();
  json.name("exponents").strings(exponents);  // for the chart's legend
  chart.write(json);
  return json.close_object().text();
}

std::string table_csv(Entries& entries) {
  const std::optional<TableEntries> table = table_entries(entries);
  if (!table) return refused(entries);
  const quantity::View& view = table->view;
  const std::vector<quantity::Column> columns = quantity::columns_of(view);
  std::string text = csv::in_form(csv::table_header(view, columns), view.decimal_comma) + "\r\n";
  for (double exponent : table->exponents) {
    for (std::int64_t i = 0; i < table->angles.count; ++i) {
      const berg::Result row = table->compute(sweep::angle_at(table->angles.range, i), exponent);
      text += csv::in_form(csv::table_line(view, columns, row), view.decimal_comma) + "\r\n";
    }
  }
  Json json;
  json.open_object().name("csv").string(text);
  json.name("name").string(answer::table_csv_name(table->angles.range, table->exponents));
  return json.close_object().text();
}

std::string quantities() {
  Json json;
  json.open_array();
  for (const quantity::Description& each : quantity::all()) {
    json.open_object().name("name").string(each.name).name("label");
    json.string(headings::label_of(each.id)).close_object();
  }
  return json.close_array().text();
}

}  // namespace web
