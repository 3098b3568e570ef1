#include "report/answer.h"

#include "textio/fields.h"

namespace answer {

namespace {

std::string exponents_text(const std::vector<double>& exponents) {
  std::string text = "p";
  for (const double exponent : exponents) {
    text += (text.size() > 1 ? "_" : "") + textio::shortest_text(exponent);
  }
  return text;
}

}  // namespace

std::string exponent_caption(double exponent, bool decimal_comma) {
  return "Степень функции = " +
         textio::with_decimal_mark(textio::parameter_text(exponent), decimal_comma);
}

// A single angle is named once: the download of a calculation is such a table.
std::string table_csv_name(const sweep::Range& range, const std::vector<double>& exponents) {
  std::string name = "k-berg-table-" + textio::shortest_text(range.from);
  if (range.to != range.from) {
    name += "-" + textio::shortest_text(range.to) + "-" + textio::shortest_text(range.step);
  }
  return name + "-" + exponents_text(exponents) + ".csv";
}

std::string stage_csv_name(const stage::Inputs& inputs) {
  std::string name = "k-berg-stage-E" + textio::shortest_text(inputs.supply) + "-P" +
                     textio::shortest_text(inputs.power);
  if (inputs.harmonic != 1) name += "-n" + std::to_string(inputs.harmonic);
  name += inputs.xi ? "-xi" + textio::shortest_text(*inputs.xi)
                    : "-Scr" + textio::shortest_text(*inputs.saturation);
  if (inputs.device) {
    name += "-S" + textio::shortest_text(inputs.device->slope) + "-Ec" +
            textio::shortest_text(inputs.device->cutoff);
  }
  return name + ".csv";
}

}  // namespace answer
