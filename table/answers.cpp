#include "table/answers.h"

#include <optional>
#include <string>

#include "report/csv.h"
#include "table/plain_table.h"
#include "textio/fields.h"

namespace table {

namespace {

constexpr textio::Edit kAngleColumn{12, 2};
constexpr textio::Edit kValueColumn{10, textio::kModulusEdit.decimals};
constexpr textio::Edit kAngleEdit{10, 2};

std::string numbers(const std::string& text, const Form& form) {
  return textio::with_decimal_mark(text, form.decimal_comma);
}

// A harmonic whose highest maximum in range is not its first, told under the table.
void write_top_lobe(textio::Records& out, const Form& form, const std::string& coefficient,
                    const std::optional<design::Peak>& top) {
  if (!top) return;
  out.text("Наибольший максимум " + coefficient +
           " не первый: " + numbers(textio::trimmed_field(top->value, textio::kModulusEdit), form) +
           " при θ = " + numbers(textio::trimmed_field(top->angle, kAngleEdit), form) + "°");
}

void write_optima_text(textio::Records& out, const Form& form, const ExponentOptima& block) {
  write_exponent_line(out, block.exponent, form.decimal_comma);
  write_ruled_heading(out, "  n  θ(α макс.)   α макс.  θ(γ макс.)   γ макс.");
  for (const design::Optimum& optimum : block.optima) {
    out.formatted(numbers(textio::integer_field(optimum.harmonic, 3) +
                              textio::fixed_field(optimum.alpha.angle, kAngleColumn) +
                              textio::fixed_field(optimum.alpha.value, kValueColumn) +
                              textio::fixed_field(optimum.gamma.angle, kAngleColumn) +
                              textio::fixed_field(optimum.gamma.value, kValueColumn),
                          form));
  }
  for (const design::Optimum& optimum : block.optima) {
    const std::string n = std::to_string(optimum.harmonic);
    write_top_lobe(out, form, "α" + n, optimum.alpha_top);
    write_top_lobe(out, form, "γ" + n, optimum.gamma_top);
  }
}

// The angle and value of a peak, or two empty fields.
std::string peak_fields(const std::optional<design::Peak>& peak) {
  if (!peak) return ",,";
  std::string fields = ",";
  fields += textio::trimmed_field(peak->angle, kAngleEdit);
  fields += ',';
  fields += textio::trimmed_field(peak->value, textio::kModulusEdit);
  return fields;
}

void write_optima_csv(textio::Records& out, const Form& form, const ExponentOptima& block) {
  for (const design::Optimum& optimum : block.optima) {
    std::string line = textio::parameter_text(block.exponent);
    line += ',';
    line += std::to_string(optimum.harmonic);
    for (const design::Peak& peak : {optimum.alpha, optimum.gamma}) {
      line += ',';
      line += textio::trimmed_field(peak.angle, kAngleEdit);
      line += ',';
      line += textio::trimmed_field(peak.value, textio::kModulusEdit);
    }
    line += peak_fields(optimum.alpha_top);
    line += peak_fields(optimum.gamma_top);
    out.formatted(csv::in_form(line, form.decimal_comma));
  }
}

void write_angles_for_g1_csv(textio::Records& out, const Form& form, double xi,
                             const std::vector<berg::Result>& found) {
  out.formatted(csv::in_form("exponent,g1,angle,eta", form.decimal_comma));
  for (const berg::Result& at : found) {
    out.formatted(csv::in_form(textio::parameter_text(at.exponent()) + "," +
                                   textio::trimmed_field(at.g1(), textio::kModulusEdit) + "," +
                                   textio::trimmed_field(at.angle(), kAngleEdit) + "," +
                                   textio::trimmed_field(at.efficiency(xi), textio::kModulusEdit),
                               form.decimal_comma));
  }
}

}  // namespace

void write_optima_title(textio::Records& out, const Form& form) {
  if (form.csv) {
    out.formatted(
        csv::in_form("exponent,harmonic,alpha_angle,alpha_max,gamma_angle,gamma_max,"
                     "alpha_top_angle,alpha_top,gamma_top_angle,gamma_top",
                     form.decimal_comma));
  } else {
    out.text("Первые максимумы коэффициентов Берга по углу отсечки");
  }
}

void write_optima(textio::Records& out, const Form& form, const ExponentOptima& block) {
  if (form.csv) {
    write_optima_csv(out, form, block);
  } else {
    write_optima_text(out, form, block);
  }
}

void write_angles_for_g1(textio::Records& out, const Form& form, double g1, double xi,
                         const std::vector<berg::Result>& found) {
  if (form.csv) return write_angles_for_g1_csv(out, form, xi, found);
  out.text("Угол отсечки θ, при котором g1 = α1/α0 = " +
           numbers(textio::trimmed_field(g1, textio::kModulusEdit), form) +
           ", и КПД η при ξ = " + numbers(textio::parameter_text(xi), form));
  out.write_empty();
  write_ruled_heading(out, "   Степень      θ, °        g1         η");
  for (const berg::Result& at : found) {
    out.formatted(numbers(textio::fixed_field(at.exponent(), textio::kParameterEdit) +
                              textio::fixed_field(at.angle(), kAngleEdit) +
                              textio::fixed_field(at.g1(), kValueColumn) +
                              textio::fixed_field(at.efficiency(xi), kValueColumn),
                          form));
  }
}

}  // namespace table
