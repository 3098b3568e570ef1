// The table view's answers: the rows over a range of angles, their chart and their CSV.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/sweep.h"
#include "report/csv.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

// More rows than a page shows without keeping its reader waiting.
constexpr std::int64_t kMostRows = 20000;
// The harmonics the chart draws unless others are chosen.
const std::vector<int> kChartHarmonics = {0, 1, 2, 3};
// A row of a table has no value for a quantity that is an infinity there.
constexpr std::string_view kNoValue = "—";

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

std::optional<TableEntries> table_entries(Entries& entries) {
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const auto angles = angles_of(entries, exponents ? exponents->size() : 1);
  const std::optional<std::vector<int>> harmonics =
      entries.harmonics({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::optional<std::vector<quantity::Id>> shown = entries.shown();
  const std::optional<double> xi = entries.number(entry_rules::kXi);
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

// A quantity's value edited with its decimals; nothing where the row has none.
std::optional<std::string> edited(const quantity::Column& column, const berg::Result& row,
                                  double xi) {
  const double value = quantity::value_of(column, row, xi);
  if (std::isinf(value)) return std::nullopt;
  return textio::trimmed_field(
      value, {textio::kModulusEdit.width, quantity::describe(column.id).decimals});
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
  const std::optional<double> from = entries.number(entry_rules::kFrom);
  const std::optional<double> to = entries.number(entry_rules::kTo);
  const std::optional<double> step = entries.number(entry_rules::kStep);
  if (!from || !to || !step) return std::nullopt;
  const sweep::Range range{*from, *to, *step};
  if (*from > *to) {
    entries.refuse(entry_rules::from_above_to(range));
    return std::nullopt;
  }
  const std::int64_t count = sweep::count(range, kMostRows);
  if (count * static_cast<std::int64_t>(exponents) > kMostRows) {
    entries.refuse(entry_rules::too_many_rows(range, entries.text("step"), kMostRows));
    return std::nullopt;
  }
  if (const std::optional<double> repeated = sweep::first_repeated(range, count)) {
    entries.refuse(entry_rules::step_too_small(range, entries.text("step"), *repeated));
    return std::nullopt;
  }
  return Angles{range, count};
}

std::string table(Entries& entries) {
  std::optional<TableEntries> table = table_entries(entries);
  if (!table) return refused(entries);
  Chart chart(*table);
  quantity::View& view = table->view;
  if (view.shown.empty()) view.shown = {quantity::Id::alpha};
  const std::vector<quantity::Column> columns = quantity::columns_of(view);
  Json json;
  json.open_object().name("headings").open_array().string("Угол");
  for (const quantity::Column& column : columns) json.string(quantity::heading_of(column));
  json.close_array().name("blocks").open_array();
  for (double exponent : table->exponents) {
    json.open_object().name("exponent").string(textio::parameter_text(exponent));
    json.name("rows").open_array();
    chart.start_block();
    for (std::int64_t i = table->first; i < table->angles.count; i += table->stride) {
      const berg::Result row = table->compute(sweep::angle_at(table->angles.range, i), exponent);
      chart.add(row);
      json.open_array().string(textio::parameter_text(row.angle()));
      for (const quantity::Column& column : columns) {
        json.string(edited(column, row, view.xi).value_or(std::string(kNoValue)));
      }
      json.close_array();
    }
    json.close_array().close_object();
  }
  json.close_array();
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
  return json.open_object().name("csv").string(text).close_object().text();
}

std::string quantities() {
  Json json;
  json.open_array();
  for (const quantity::Description& each : quantity::all()) {
    const bool harmonics = quantity::of_harmonics(each);
    json.open_object().name("name").string(each.name).name("label");
    json.string(std::string(each.heading) + (harmonics ? "n" : "") + each.unit).close_object();
  }
  return json.close_array().text();
}

}  // namespace web
