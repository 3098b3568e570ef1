#include "report/stage_text.h"

#include <cmath>

#include "textio/fields.h"

namespace stage_text {

std::vector<std::string> heading_lines(const stage::Inputs& inputs) {
  const std::string n = std::to_string(inputs.harmonic);
  std::vector<std::string> lines;
  lines.push_back(inputs.harmonic == 1 ? "Каскад усилителя мощности"
                                       : "Каскад умножителя частоты на " + n);
  std::string line = "E = " + textio::shortest_text(inputs.supply) + " В, P" + n + " = " +
                     textio::shortest_text(inputs.power) + " Вт, ";
  if (inputs.xi) {
    line += "ξ = " + textio::shortest_text(*inputs.xi);
  } else {
    line += "критический режим, Sкр = " + textio::shortest_text(*inputs.saturation) + " А/В";
  }
  lines.push_back(line);
  if (inputs.device) {
    lines.push_back("Прибор i = S (u - E')^p: S = " + textio::shortest_text(inputs.device->slope) +
                    ", E' = " + textio::shortest_text(inputs.device->cutoff) + " В");
  }
  return lines;
}

std::string why_no_stage(const stage::Inputs& inputs) {
  const std::string n = std::to_string(inputs.harmonic);
  return inputs.saturation ? "α" + n + " не больше 0 или критический режим не дает P" + n
                           : "α" + n + " не больше 0";
}

std::string empty_rows_note(const stage::Inputs& inputs) {
  return "Пустые строки: " + why_no_stage(inputs);
}

std::string most_power_text(double watts) {
  // In doubles throughout: the order of magnitude of 0 or of an infinity is no int.
  const double places = std::fmax(0.0, std::fmin(9.0, 4.0 - std::floor(std::log10(watts))));
  const double scale = std::pow(10.0, places);
  return textio::shortest_text(std::floor(watts * scale) / scale);
}

}  // namespace stage_text
