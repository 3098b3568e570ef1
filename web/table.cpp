// The table view's answers: the rows over a range of angles, their chart and their CSV.
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/sweep.h"
#include "report/answer.h"
#include "report/answer_charts.h"
#include "report/berg_answers.h"
#include "report/chart.h"
#include "report/csv.h"
#include "report/headings.h"
#include "textio/fields.h"
#include "web/answers.h"  // declares them
#include "web/json.h"

namespace web {

namespace {

// More rows than a page shows without keeping its reader waiting.
constexpr std::int64_t kMostRows = 20000;

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
  answer_charts::BergChoice chart;  // the curves of its chart
  // The dialogue's 4096 samples, or with "exact" the Berg integral itself.
  berg::Result (*compute)(double angle, double exponent);
};

std::optional<TableEntries> table_entries(Entries& entries) {
  const std::optional<std::vector<double>> exponents =
      entries.numbers(entry_rules::kExponent, kMostExponents);
  const auto angles = angles_of(entries, exponents ? exponents->size() : 1);
  const std::optional<std::vector<int>> harmonics = entries.harmonics(kTableHarmonics);
  const std::optional<std::vector<quantity::Id>> shown = entries.shown();
  const std::optional<double> xi = entries.number(entry_rules::kXi);
  if (!exponents || !angles || !harmonics || !shown || !xi) return std::nullopt;
  quantity::View view{*harmonics, *shown, false, *xi, entries.has("decimal-comma")};
  const std::string half = entries.text("half");
  return TableEntries{
      *angles,
      half == "2" ? 1 : 0,
      half.empty() ? 1 : 2,
      *exponents,
      view,
      answer_charts::berg_choice(entries.has("harmonics") ? harmonics : std::nullopt, *shown),
      entries.has("exact") ? berg::compute_exact : berg::compute};
}

// The chart of a table, drawn as its rows are computed; of a half of the table, the values
// its rows give the chart, for the page to join with the other half's.
class TableChart {
 public:
  explicit TableChart(const TableEntries& table)
      : table_(table),
        drawn_(answer_charts::rows_chart(table.chart, table.angles.range)),
        curves_(drawn_, table.chart) {}

  void start_block(double exponent) {
    if (whole()) return curves_.start_block(exponent);
    values_.emplace_back(table_.chart.harmonics.size());
  }
  void add(const berg::Result& row) {
    if (whole()) return curves_.write_row(row);
    const std::vector<double> values = answer_charts::berg_values(table_.chart, row);
    for (std::size_t c = 0; c < values.size(); ++c)
      values_.back()[c].push_back(exact_text(values[c]));
  }

  void write(Json& json) && {
    if (whole()) {
      write_chart(json, table_.exponents.size(), table_.chart.harmonics.size(),
                  [this] { return std::move(drawn_).finish(); });
      return;
    }
    json.name("curves").open_array();
    for (const std::vector<std::vector<std::string>>& block : values_) {
      json.open_array();
      for (const std::vector<std::string>& curve : block) json.strings(curve);
      json.close_array();
    }
    json.close_array();
  }

 private:
  bool whole() const { return table_.stride == 1; }

  // The shortest text that reads back as `value`.
  static std::string exact_text(double value) {
    std::array<char, 32> text{};
    return {text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr};
  }

  const TableEntries& table_;
  chart::Chart drawn_;
  answer_charts::BergCurves curves_;
  std::vector<std::vector<std::vector<std::string>>> values_;  // by exponent, curve, angle
};

// The values of `text`, separated by blanks; none where one does not read whole. strtod, as
// the entries are read: the module's library has no std::from_chars for doubles, and the
// module runs in the "C" locale, where strtod rounds correctly what std::to_chars wrote.
std::optional<std::vector<double>> values_of(std::string_view text) {
  const std::string whole(text);
  std::vector<double> values;
  const char* at = whole.c_str();
  const char* end = at + whole.size();
  while (at < end) {
    char* read = nullptr;
    values.push_back(std::strtod(at, &read));
    if (read == at || (read != end && *read != ' ')) return std::nullopt;
    at = read + (read == end ? 0 : 1);
  }
  return values;
}

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
    entries.refuse(entry_rules::too_many_rows(range, kMostRows));
    return std::nullopt;
  }
  if (const std::optional<double> repeated = sweep::first_repeated(range, count)) {
    entries.refuse(entry_rules::step_too_small(range, *repeated));
    return std::nullopt;
  }
  return Angles{range, count};
}

std::string table(Entries& entries) {
  std::optional<TableEntries> table = table_entries(entries);
  if (!table) return refused(entries);
  TableChart chart(*table);
  Json json;
  JsonAnswer model(json.open_object());
  berg_answers::RowsAnswer rows(model, table->view);
  for (double exponent : table->exponents) {
    rows.start_block(exponent);
    chart.start_block(exponent);
    for (std::int64_t i = table->first; i < table->angles.count; i += table->stride) {
      const berg::Result row = table->compute(sweep::angle_at(table->angles.range, i), exponent);
      rows.write_row(row);
      chart.add(row);
    }
  }
  model.finish();
  std::move(chart).write(json);
  return json.close_object().text();
}

std::string table_chart(Entries& entries, std::string_view values) {
  const std::optional<TableEntries> table = table_entries(entries);
  if (!table) return refused(entries);
  const std::optional<std::vector<double>> read = values_of(values);
  const std::size_t series = table->chart.harmonics.size();
  const auto count = static_cast<std::size_t>(table->angles.count);
  if (!read || read->size() != table->exponents.size() * series * count) {
    entries.refuse({"half", refusals::Kind::curves_unread, {}});
    return refused(entries);
  }
  Json json;
  json.open_object();
  write_chart(json, table->exponents.size(), series, [&] {
    chart::Chart drawn(answer_charts::rows_chart(table->chart, table->angles.range));
    for (std::size_t b = 0; b < table->exponents.size(); ++b) {
      drawn.start_block(table->exponents[b]);
      for (std::size_t i = 0; i < count; ++i) {
        std::vector<double> at;
        for (std::size_t c = 0; c < series; ++c)
          at.push_back((*read)[(b * series + c) * count + i]);
        drawn.add(sweep::angle_at(table->angles.range, static_cast<std::int64_t>(i)), at);
      }
    }
    return std::move(drawn).finish();
  });
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
