#include "report/answer.h"

#include "textio/fields.h"

namespace answer {

namespace {

// Each piece appended, never a text put in front of another: g++ 12 at -O3 warns, falsely, of
// overlapping copies where a literal is put before a string.
std::string exponents_text(const std::vector<double>& exponents) {
  std::string text = "p";
  for (const double exponent : exponents) {
    if (text.size() > 1) text += '_';
    text += textio::shortest_text(exponent);
  }
  return text;
}

}  // namespace

std::string exponent_caption(double exponent, bool decimal_comma) {
  std::string caption = "Степень функции = ";
  return caption.append(textio::with_decimal_mark(textio::parameter_text(exponent), decimal_comma));
}

// A single angle is named once: the download of a calculation is such a table.
std::string table_csv_name(const sweep::Range& range, const std::vector<double>& exponents) {
  std::string name = "k-berg-table-";
  name += textio::shortest_text(range.from);
  if (range.to != range.from) {
    name.append("-").append(textio::shortest_text(range.to));
    name.append("-").append(textio::shortest_text(range.step));
  }
  return name.append("-").append(exponents_text(exponents)).append(".csv");
}

std::string stage_csv_name(const stage::Inputs& inputs, std::optional<regime::Goal> best) {
  std::string name = "k-berg-stage-";
  if (best) name.append(*best == regime::Goal::power ? "best-power-" : "best-efficiency-");
  name.append("E").append(textio::shortest_text(inputs.supply));
  if (best != regime::Goal::power) name.append("-P").append(textio::shortest_text(inputs.power));
  if (inputs.harmonic != 1) name.append("-n").append(std::to_string(inputs.harmonic));
  if (inputs.xi) name.append("-xi").append(textio::shortest_text(*inputs.xi));
  if (inputs.saturation) name.append("-Scr").append(textio::shortest_text(*inputs.saturation));
  if (inputs.device) {
    name.append("-S").append(textio::shortest_text(inputs.device->slope));
    name.append("-Ec").append(textio::shortest_text(inputs.device->cutoff));
  }
  return name.append(".csv");
}

std::string chain_csv_name(const entry_rules::NetworkEntries& entries) {
  const antenna::Inputs& chain = entries.chain;
  std::string name = "k-berg-network-R";
  if (chain.stage) {
    name = stage_csv_name(*chain.stage);
    name.resize(name.size() - 4);  // its ".csv"
  } else {
    name.append(textio::shortest_text(chain.network.load));
  }
  name.append("-").append(entry_rules::kNetworkNames[static_cast<std::size_t>(chain.network.form)]);
  name.append("-f").append(textio::shortest_text(entries.megahertz));
  if (!chain.stage && chain.wanted != 1) name.append("-n").append(std::to_string(chain.wanted));
  return name.append(".csv");
}

}  // namespace answer
