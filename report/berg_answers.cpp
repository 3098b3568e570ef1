#include "report/berg_answers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "report/headings.h"
#include "textio/fields.h"

namespace berg_answers {

namespace {

using quantity::Id;
using quantity::View;

// The rows' columns are as wide as their headings need, with the decimals of the results
// screen, or those of the quantity; the searches' angles are to a hundredth of a degree.
constexpr textio::Edit kAngleEdit{7, textio::kParameterEdit.decimals};
constexpr int kValueWidth = textio::kModulusEdit.width;
constexpr textio::Edit kPhaseEdit{8, textio::kPhaseEdit.decimals};
constexpr textio::Edit kSearchAngleEdit{10, 2};
constexpr int kSearchAngleWidth = 12;
constexpr int kSearchValueWidth = 10;
constexpr const char* kNoValue = "—";

std::string marked(const std::string& numbers, bool decimal_comma) {
  return textio::with_decimal_mark(numbers, decimal_comma);
}

std::string coefficient(double value) { return textio::trimmed_field(value, textio::kModulusEdit); }

std::string search_angle(double value) { return textio::trimmed_field(value, kSearchAngleEdit); }

// What the table shows when --show chose nothing: the signed coefficients.
View with_default(View view) {
  if (view.shown.empty()) view.shown = {Id::alpha};
  return view;
}

bool phase_follows(const View& view, const quantity::Column& column) {
  return view.phases && column.id == Id::alpha;
}

std::string cell(const View& view, const quantity::Column& column, const berg::Result& row) {
  const double value = phase_follows(view, column) ? row.modulus(column.harmonic)
                                                   : quantity::value_of(column, row, view.xi);
  if (std::isinf(value)) return kNoValue;
  return textio::trimmed_field(value, {kValueWidth, quantity::describe(column.id).decimals});
}

// A coefficient whose highest maximum in range is not its first, told under the table.
void top_lobe_note(answer::Renderer& out, const std::string& coefficient_name,
                   const std::optional<design::Peak>& top, bool decimal_comma) {
  if (!top) return;
  out.note("Наибольший максимум " + coefficient_name +
           " не первый: " + marked(coefficient(top->value), decimal_comma) +
           " при θ = " + marked(search_angle(top->angle), decimal_comma) + "°");
}

}  // namespace

std::vector<answer::Column> row_columns(const View& view) {
  const View shown = with_default(view);
  std::vector<answer::Column> columns = {{"Угол", kAngleEdit.width}};
  for (const quantity::Column& column : quantity::columns_of(shown)) {
    const std::string heading = headings::heading_of(column);
    if (!phase_follows(shown, column)) {
      columns.push_back({heading, kValueWidth});
      continue;
    }
    columns.push_back({"|" + heading + "|", kValueWidth});
    columns.push_back({"φ" + std::to_string(column.harmonic), kPhaseEdit.width});
  }
  return columns;
}

RowsAnswer::RowsAnswer(answer::Renderer& out, const View& view)
    : out_(out), view_(with_default(view)), columns_(quantity::columns_of(view_)) {}

void RowsAnswer::start_block(double exponent) {
  if (!titled_) {
    const bool efficiency =
        std::find(view_.shown.begin(), view_.shown.end(), Id::eta) != view_.shown.end();
    const std::string xi = marked(textio::parameter_text(view_.xi), view_.decimal_comma);
    out_.title(efficiency ? "Коэффициенты Берга, ξ = " + xi : "Коэффициенты Берга");
    titled_ = true;
  }
  out_.start_table({answer::exponent_caption(exponent, view_.decimal_comma), row_columns(view_)});
}

void RowsAnswer::write_row(const berg::Result& row) {
  std::vector<std::string> cells = {textio::trimmed_field(row.angle(), kAngleEdit)};
  for (const quantity::Column& column : columns_) {
    cells.push_back(cell(view_, column, row));
    if (phase_follows(view_, column)) {
      cells.push_back(textio::trimmed_field(row.phase(column.harmonic), kPhaseEdit));
    }
  }
  for (std::string& each : cells) each = marked(each, view_.decimal_comma);
  out_.row(cells);
}

void optima_title(answer::Renderer& out) {
  out.title("Первые максимумы коэффициентов Берга по углу отсечки");
}

void optima(answer::Renderer& out, const ExponentOptima& block, bool decimal_comma) {
  out.start_table({answer::exponent_caption(block.exponent, decimal_comma),
                   {{"n", 3},
                    {"θ(α макс.)", kSearchAngleWidth},
                    {"α макс.", kSearchValueWidth},
                    {"θ(γ макс.)", kSearchAngleWidth},
                    {"γ макс.", kSearchValueWidth}}});
  for (const design::Optimum& optimum : block.optima) {
    std::vector<std::string> cells = {std::to_string(optimum.harmonic)};
    for (const design::Peak& peak : {optimum.alpha, optimum.gamma}) {
      cells.push_back(marked(search_angle(peak.angle), decimal_comma));
      cells.push_back(marked(coefficient(peak.value), decimal_comma));
    }
    out.row(cells);
  }
  for (const design::Optimum& optimum : block.optima) {
    const std::string n = std::to_string(optimum.harmonic);
    top_lobe_note(out, "α" + n, optimum.alpha_top, decimal_comma);
    top_lobe_note(out, "γ" + n, optimum.gamma_top, decimal_comma);
  }
}

void angles_for_g1(answer::Renderer& out, double g1, double xi,
                   const std::vector<berg::Result>& found, bool decimal_comma) {
  out.title("Угол отсечки θ, при котором g1 = α1/α0 = " + marked(coefficient(g1), decimal_comma) +
            ", и КПД η при ξ = " + marked(textio::parameter_text(xi), decimal_comma));
  const int width = textio::kParameterEdit.width;
  out.start_table({"", {{"Степень", width}, {"θ, °", width}, {"g1", width}, {"η", width}}});
  for (const berg::Result& at : found) {
    std::vector<std::string> cells = {textio::parameter_text(at.exponent()),
                                      search_angle(at.angle()), coefficient(at.g1()),
                                      coefficient(at.efficiency(xi))};
    for (std::string& each : cells) each = marked(each, decimal_comma);
    out.row(cells);
  }
}

// The columns of the results screen's rows (textio::harmonic_row_fields), and the signed
// coefficient after them.
void calculation(answer::Renderer& out, const berg::Result& result) {
  out.start_table({"Угол отсечки = " + textio::parameter_text(result.angle()) +
                       ", степень функции = " + textio::parameter_text(result.exponent()),
                   {{"№ гарм.", 8}, {"|Коэфф.|", 16}, {"Фаза", 11}, {"αn", 10}}});
  for (int k = 0; k < berg::kHarmonics; ++k) {
    out.row({std::to_string(k), coefficient(result.modulus(k)),
             textio::trimmed_field(result.phase(k), textio::kPhaseEdit),
             coefficient(result.signed_value(k))});
  }
}

}  // namespace berg_answers
