#include "report/network_text.h"

#include <algorithm>
#include <cmath>

#include "report/regime_text.h"
#include "report/stage_text.h"
#include "textio/fields.h"

namespace network_text {

namespace {

using network::Form;
using network::Kind;
using refusals::Refusal;

constexpr textio::Edit kAngleEdit{7, textio::kParameterEdit.decimals};
constexpr textio::Edit kDecibelEdit{8, 1};
constexpr const char* kNone = "—";

bool is_l(Form form) { return form == Form::l_low_pass || form == Form::l_high_pass; }

std::string option_name(Form form) {
  return std::string(entry_rules::kNetworkNames[static_cast<std::size_t>(form)]);
}

// Ohms, volts, amperes and the like with four significant digits at least.
std::string digits(double value) { return textio::digits_in_units(value, 0); }

// The stage's R_e as its tables show it.
std::string stage_value(double value) {
  const std::string field = textio::significant_field(value, 0);
  return field.substr(field.find_first_not_of(' '));
}

// A number of the answer, with the decimal mark asked for.
std::string marked(const std::string& number, bool comma) {
  return textio::with_decimal_mark(number, comma);
}

// Decibels to a tenth, the sign kept: a margin of -0.04 dB is "-0.0", short of the limit.
std::string decibels(double value) {
  const std::string field = textio::fixed_field(value, kDecibelEdit);
  return field.substr(field.find_first_not_of(' '));
}

std::string level_text(double level) { return std::isfinite(level) ? decibels(level) : kNone; }

// A bound of a refusal cut to five significant digits towards the values that work: a least
// that is itself refused rounded up, a most rounded down.
std::string bound_text(double value, bool up) {
  if (!(value > 0.0)) return "0";
  const double scale = std::pow(10.0, 4.0 - std::floor(std::log10(value)));
  const double cut = (up ? std::ceil(value * scale) : std::floor(value * scale)) / scale;
  return textio::shortest_text(std::isfinite(cut) ? cut : value);
}

struct Unit {
  const char* name;
  int power;
};

// A capacitor's values in pF; a coil's in µH, or in nH where the largest is below 1 µH.
Unit unit_of(Kind kind, double largest) {
  if (kind == Kind::capacitor) return {"пФ", -12};
  return largest >= 1e-6 ? Unit{"мкГн", -6} : Unit{"нГн", -9};
}

// The resistance the network presents to the device in a row.
double device_load(const antenna::Inputs& chain, const antenna::Row& row) {
  return chain.stage ? row.stage.r_e : chain.network.load;
}

// The network's inputs at a row, with the defaults filled in.
network::Inputs inputs_at(const antenna::Inputs& chain, const antenna::Row& row) {
  network::Inputs inputs = chain.network;
  inputs.load = device_load(chain, row);
  return antenna::with_defaults(inputs);
}

bool has_network(const antenna::Row& row) { return row.network && network::works(*row.network); }

// The option that gives each of network::Entry, in its order.
constexpr const char* kEntryOptions[] = {"frequency",          "resistance", "load",         "q",
                                         "inductance",         "coil-q",     "intermediate", "rho",
                                         "output-capacitance", "power"};

// Why the network of a row is not made, its values as the user typed them.
Refusal refusal_of(const entry_rules::NetworkEntries& entries, const antenna::Row& row) {
  using refusals::Kind;
  const network::Inputs inputs = inputs_at(entries.chain, row);
  const network::Refusal& refusal = row.network->refusal;
  // The stage's R_e as its table shows it, the typed ones as typed.
  const std::string r1 =
      entries.chain.stage ? digits(inputs.load) : textio::shortest_text(inputs.load);
  const std::string r2 = textio::shortest_text(inputs.antenna);
  switch (refusal.verdict) {
    case network::Verdict::q_too_low:
      return {"q",
              Kind::q_too_low,
              {textio::shortest_text(*inputs.q), bound_text(refusal.least, true), r1, r2,
               option_name(inputs.form)}};
    case network::Verdict::coil_too_lossy:
      return {"coil-q",
              Kind::coil_too_lossy,
              {textio::shortest_text(*inputs.q0), bound_text(refusal.least, true)}};
    case network::Verdict::inductance_unusable:
      return {"inductance",
              Kind::inductance_unusable,
              {textio::shortest_text(entries.microhenries), bound_text(refusal.least * 1e6, true),
               bound_text(refusal.most * 1e6, false), r1, r2,
               textio::shortest_text(entries.megahertz)}};
    case network::Verdict::capacitance_too_large:
      return {"output-capacitance",
              Kind::capacitance_too_large,
              {textio::shortest_text(entries.picofarads), bound_text(refusal.most * 1e12, false)}};
    case network::Verdict::ratio_not_taken:
      if (refusal.entry == network::Entry::intermediate) {
        return {"intermediate",
                Kind::intermediate_too_low,
                {textio::shortest_text(*inputs.intermediate), r2}};
      }
      if (inputs.form == Form::tank) {
        return {"network", Kind::tank_too_low, {r1, bound_text(refusal.most, false)}};
      }
      return {"network", Kind::equal_resistances, {option_name(inputs.form), r1}};
    case network::Verdict::not_positive:
      return {kEntryOptions[static_cast<std::size_t>(refusal.entry)], Kind::needed, {"network"}};
    case network::Verdict::works:
    case network::Verdict::beyond_numbers:
      break;
  }
  return {"frequency", Kind::network_beyond_numbers, {}};
}

// The items of a title line joined by ", ", a line begun anew where the next would make it
// wider than a title line of 79 columns has room for.
std::vector<std::string> wrapped(const std::vector<std::string>& items) {
  constexpr int kWidest = 77;
  std::vector<std::string> lines{""};
  for (const std::string& item : items) {
    std::string& line = lines.back();
    if (line.empty()) {
      line = item;
    } else if (textio::display_width(line) + 2 + textio::display_width(item) <= kWidest) {
      line.append(", ").append(item);
    } else {
      lines.push_back(item);
    }
  }
  return lines;
}

// The rule of a limit in words.
std::string rule_text(network::Rule rule) {
  switch (rule) {
    case network::Rule::below_30_mhz:
      return "43 дБ ниже 30 МГц (below-30-mhz)";
    case network::Rule::by_power:
      return "43 + 10 lg P дБ, не более 50 дБ (sm329)";
    case network::Rule::from_30_to_225_mhz:
      break;
  }
  return "60 дБ на 30–225 МГц (30-225-mhz)";
}

// What the network was designed from, and what was given beside its ends.
std::vector<std::string> design_items(const entry_rules::NetworkEntries& entries, bool comma) {
  const network::Inputs& inputs = entries.chain.network;
  const auto number = [comma](double value) { return marked(textio::shortest_text(value), comma); };
  std::vector<std::string> items;
  if (inputs.inductance) {
    items.push_back("L = " + number(entries.microhenries) + " мкГн");
  } else if (inputs.q) {
    const bool sum = inputs.definition == network::Definition::sum;
    const bool pi = inputs.form == Form::pi || inputs.form == Form::pi_l;
    items.push_back("Q = " + number(*inputs.q) + (!pi ? "" : sum ? " (Q1 + Q2)" : " (Rэ/XC1)"));
  } else {
    items.push_back("Q по отношению сопротивлений");
  }
  if (inputs.form == Form::pi_l) {
    items.push_back("Rпр = " + (inputs.intermediate ? number(*inputs.intermediate) + " Ом"
                                                    : "√(Rэ·Rн), не меньше 2Rн"));
  }
  if (inputs.form == Form::tank) {
    items.push_back("ρ = " + (inputs.impedance ? number(*inputs.impedance) + " Ом" : "Rэ/Q"));
  }
  items.push_back(inputs.q0 ? "Q0 катушки = " + number(*inputs.q0) : "катушка без потерь");
  if (inputs.device_capacitance) items.push_back("Cвых = " + number(entries.picofarads) + " пФ");
  if (!entries.chain.stage && inputs.power) items.push_back("P = " + number(*inputs.power) + " Вт");
  if (!entries.chain.stage && entries.chain.wanted != 1) {
    items.push_back("гармоника n = " + std::to_string(entries.chain.wanted));
  }
  return items;
}

std::vector<std::string> heading_lines(const entry_rules::NetworkEntries& entries, bool comma) {
  const antenna::Inputs& chain = entries.chain;
  const network::Inputs& inputs = chain.network;
  const auto number = [comma](double value) { return marked(textio::shortest_text(value), comma); };
  std::string ends = form_name(inputs.form) + ": Rэ ";
  ends += chain.stage ? "каскада" : "= " + number(inputs.load) + " Ом";
  ends += " → Rн = " + number(inputs.antenna) + " Ом, f = " + number(entries.megahertz) + " МГц";
  std::vector<std::string> lines = {ends};
  for (const std::string& line : wrapped(design_items(entries, comma))) lines.push_back(line);
  lines.push_back("Норма на гармоники: " +
                  (chain.rule ? rule_text(*chain.rule) : number(chain.limit_db) + " дБ"));
  return lines;
}

// Each part: where it is, its value, its reactance, and at a power its peak voltage and RMS
// current; then how the network came out.
void parts_table(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                 const antenna::Row& row, bool comma) {
  const network::Design& design = *row.network;
  const bool stress = design.power > 0.0;
  answer::Table table{"Выходная цепь",
                      {{"Элемент", 8}, {"Включение", 17}, {"Номинал", 13}, {"X, Ом", 9}}};
  if (stress) table.columns.insert(table.columns.end(), {{"Uмакс, В", 10}, {"Iдейств, А", 11}});
  out.start_table(table);
  for (std::size_t i = 0; i < design.parts.size(); ++i) {
    const network::Part& part = design.parts[i];
    std::vector<std::string> cells = {
        part_name(design, i),
        part.place == network::Place::shunt ? "параллельно" : "последовательно",
        marked(value_text(part), comma), marked(digits(std::fabs(part.reactance)), comma)};
    if (stress) {
      cells.push_back(marked(digits(part.peak_voltage), comma));
      cells.push_back(marked(digits(part.rms_current), comma));
    }
    out.row(cells);
  }
  const network::Inputs inputs = inputs_at(entries.chain, row);
  std::string q = "Нагруженная добротность Q = " + marked(digits(design.q), comma);
  if (design.form == Form::pi || design.form == Form::pi_l) {
    q += design.definition == network::Definition::sum ? " (Q1 + Q2)" : " (Rэ/XC1)";
  }
  if (is_l(design.form)) q += ", по отношению сопротивлений";
  if (design.form == Form::pi_l)
    q += ", Rпр = " + marked(digits(*inputs.intermediate), comma) + " Ом";
  if (design.form == Form::tank) q += ", ρ = " + marked(digits(*inputs.impedance), comma) + " Ом";
  out.note(q);
  if (design.form == Form::tank) {
    out.note("Коэффициенты включения: прибора p = " + marked(digits(design.tap), comma) +
             ", нагрузки m = " + marked(digits(design.coupling), comma));
  }
  if (design.device_capacitance > 0.0) {
    out.note("Номинал " + part_name(design, 0) + " — без выходной емкости прибора, " +
             marked(textio::shortest_text(entries.picofarads), comma) + " пФ");
  }
  if (!inputs.q0) return;
  std::string efficiency = "КПД цепи " + marked(digits(design.efficiency), comma);
  if (stress) {
    efficiency += ": в нагрузку " + marked(digits(design.load_power), comma) +
                  " Вт, потери в катушке " + marked(digits(design.coil_loss), comma) + " Вт";
  }
  out.note(efficiency);
  if (entries.chain.stage) {
    out.note("КПД каскада с цепью " +
             marked(digits(network::chain_efficiency(design, row.stage.eta)), comma));
  }
}

// Whether the limit is met at a row, and by how much.
std::string verdict(const antenna::Inputs& chain, const antenna::Row& row, bool comma) {
  std::string text = "Норма " + marked(limit_text(chain, *row.limit_db), comma);
  const network::Check& check = row.check;
  if (check.worst == 0) return text + " выполнена: других гармоник нет";
  const std::string n = std::to_string(check.worst);
  if (check.passes) {
    return text + " выполнена: худшая гармоника " + n + ", запас " +
           marked(decibels(check.margin_db), comma) + " дБ";
  }
  return text + " не выполнена: гармоника " + n + " выше нормы на " +
         marked(decibels(-check.margin_db), comma) + " дБ";
}

// Each harmonic at the load: its frequency, its coefficient and with a stage its current, the
// network's attenuation at its frequency, its level against the wanted one and its margin.
void harmonics_table(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                     const antenna::Row& row, const std::string& caption, bool comma) {
  const antenna::Inputs& chain = entries.chain;
  answer::Table table{caption, {{"n", 3}, {"f, МГц", 9}, {"αn", 9}}};
  if (chain.stage) table.columns.push_back({"In, А", 9});
  table.columns.insert(table.columns.end(),
                       {{"Ослабл., дБ", 12}, {"Уровень, дБн", 13}, {"Запас, дБ", 10}});
  out.start_table(table);
  for (const network::Harmonic& harmonic : row.harmonics) {
    const double alpha = row.alpha[static_cast<std::size_t>(harmonic.n)];
    const bool wanted = harmonic.n == chain.wanted;
    std::vector<std::string> cells = {std::to_string(harmonic.n),
                                      digits(harmonic.n * entries.megahertz / chain.wanted),
                                      textio::trimmed_field(alpha, textio::kModulusEdit)};
    if (chain.stage) cells.push_back(digits(alpha * row.stage.i_max));
    const double margin = -harmonic.level_db - *row.limit_db;
    cells.push_back(decibels(harmonic.attenuation_db));
    cells.push_back(level_text(harmonic.level_db));
    cells.push_back(wanted ? "" : std::isfinite(margin) ? decibels(margin) : kNone);
    for (std::string& cell : cells) cell = marked(cell, comma);
    out.row(cells);
  }
  out.note(verdict(chain, row, comma));
}

// The whole design at one angle.
void whole_design(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                  const antenna::Block& block, bool comma) {
  const antenna::Row& row = block.rows.front();
  const std::string caption = answer::exponent_caption(block.exponent, comma);
  if (entries.chain.stage) {
    stage_text::block_tables(out, *entries.chain.stage, antenna::stage_block(block), comma);
    parts_table(out, entries, row, comma);
  }
  harmonics_table(out, entries, row, entries.chain.stage ? "Гармоники на нагрузке" : caption,
                  comma);
}

// The cells of the worst harmonic at a row: n, its level, its margin, whether the limit is met.
std::vector<std::string> worst_cells(const antenna::Row& row) {
  const network::Check& check = row.check;
  if (check.worst == 0) return {"", kNone, kNone, "да"};
  const double level = row.harmonics[static_cast<std::size_t>(check.worst - 1)].level_db;
  return {std::to_string(check.worst), level_text(level), decibels(check.margin_db),
          check.passes ? "да" : "нет"};
}

// The unit of each part's column over the rows of a block.
std::vector<Unit> column_units(Form form, const antenna::Block& block) {
  std::vector<Unit> units;
  for (const std::string& name : column_names(form)) {
    const Kind kind = name.front() == 'C' ? Kind::capacitor : Kind::coil;
    double largest = 0.0;
    for (const antenna::Row& row : block.rows) {
      if (has_network(row)) largest = std::max(largest, part_named(*row.network, name).value);
    }
    units.push_back(unit_of(kind, largest));
  }
  return units;
}

// A row per angle: with a stage its R_e and the parts, the worst harmonic and its margin.
void range_table(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                 const antenna::Block& block, bool comma) {
  const antenna::Inputs& chain = entries.chain;
  const std::vector<std::string> names = column_names(chain.network.form);
  const std::vector<Unit> units = column_units(chain.network.form, block);
  answer::Table table{answer::exponent_caption(block.exponent, comma),
                      {{"Угол", kAngleEdit.width}}};
  if (chain.stage) {
    table.columns.push_back({"Rэ, Ом", 9});
    for (std::size_t i = 0; i < names.size(); ++i)
      table.columns.push_back({names[i] + ", " + units[i].name, 9});
  }
  table.columns.insert(table.columns.end(), {{"n", 3}, {"дБн", 7}, {"Запас", 7}, {"Норма", 6}});
  out.start_table(table);
  const antenna::Row* without_network = nullptr;
  for (const antenna::Row& row : block.rows) {
    std::vector<std::string> cells = {textio::trimmed_field(row.angle, kAngleEdit)};
    if (!has_network(row)) {
      if (row.network && !without_network) without_network = &row;
      if (stage::works(row.stage) && chain.stage) cells.push_back(stage_value(row.stage.r_e));
      for (std::string& cell : cells) cell = marked(cell, comma);
      out.row(cells);
      continue;
    }
    if (chain.stage) {
      cells.push_back(stage_value(row.stage.r_e));
      for (std::size_t i = 0; i < names.size(); ++i) {
        cells.push_back(
            textio::digits_in_units(part_named(*row.network, names[i]).value, units[i].power));
      }
    }
    for (const std::string& cell : worst_cells(row)) cells.push_back(cell);
    for (std::string& cell : cells) cell = marked(cell, comma);
    out.row(cells);
  }
  const bool lacking = std::any_of(block.rows.begin(), block.rows.end(),
                                   [](const antenna::Row& row) { return !row.network; });
  if (lacking && chain.stage) {
    const std::string note =
        stage_text::empty_chain_rows_note(*chain.stage, antenna::stage_block(block));
    out.note(textio::with_decimal_mark(note, comma));
  }
  if (lacking && !chain.stage) {
    out.note("Пустые строки: α" + std::to_string(chain.wanted) + " не больше 0");
  }
  if (without_network) {
    out.note("Без цепи: " + refusals::worded(refusal_of(entries, *without_network),
                                             refusals::Naming::label, messages::Language::russian));
  }
}

}  // namespace

std::string form_name(Form form) {
  switch (form) {
    case Form::pi:
      return "П-контур";
    case Form::pi_l:
      return "П-L-контур";
    case Form::l_low_pass:
      return "Г-цепь ФНЧ";
    case Form::l_high_pass:
      return "Г-цепь ФВЧ";
    case Form::tank:
      break;
  }
  return "Контур с неполным включением";
}

std::vector<std::string> column_names(Form form) {
  switch (form) {
    case Form::pi:
      return {"C1", "L", "C2"};
    case Form::pi_l:
      return {"C1", "L1", "C2", "L2"};
    case Form::l_low_pass:
    case Form::l_high_pass:
    case Form::tank:
      break;
  }
  return {"C", "L"};
}

std::string part_name(const network::Design& design, std::size_t i) {
  if (is_l(design.form)) return design.parts[i].kind == Kind::capacitor ? "C" : "L";
  return column_names(design.form)[i];
}

const network::Part& part_named(const network::Design& design, const std::string& name) {
  if (is_l(design.form)) {
    const Kind kind = name == "C" ? Kind::capacitor : Kind::coil;
    return *std::find_if(design.parts.begin(), design.parts.end(),
                         [kind](const network::Part& part) { return part.kind == kind; });
  }
  const std::vector<std::string> names = column_names(design.form);
  return design
      .parts[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin())];
}

std::string value_text(const network::Part& part) {
  const Unit unit = unit_of(part.kind, part.value);
  return textio::digits_in_units(part.value, unit.power) + " " + unit.name;
}

std::string limit_text(const antenna::Inputs& chain, double limit_db) {
  std::string text = decibels(limit_db) + " дБ";
  if (chain.rule == network::Rule::by_power) text += " (43 + 10 lg P, не более 50)";
  return text;
}

std::vector<Refusal> refusals_of_block(const entry_rules::NetworkEntries& entries,
                                       const sweep::Range& range, const antenna::Block& block) {
  const antenna::Inputs& chain = entries.chain;
  if (chain.stage) {
    std::vector<Refusal> refused =
        regime_text::refusals_of_block(*chain.stage, range, antenna::stage_block(block));
    if (!refused.empty()) return refused;
  } else if (std::none_of(block.rows.begin(), block.rows.end(),
                          [](const antenna::Row& row) { return row.network.has_value(); })) {
    const antenna::Row& row = block.rows.front();
    return {{"harmonic",
             refusals::Kind::no_harmonic,
             {textio::shortest_text(row.angle), textio::parameter_text(block.exponent),
              std::to_string(chain.wanted)}}};
  }
  const antenna::Row* first = nullptr;
  for (const antenna::Row& row : block.rows) {
    if (!row.network) continue;
    if (row.network->refusal.verdict == network::Verdict::beyond_numbers)
      return {{"frequency", refusals::Kind::network_beyond_numbers, {}}};
    if (has_network(row)) return {};
    if (!first) first = &row;
  }
  if (!first) return {};
  return {refusal_of(entries, *first)};
}

void network_answer(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                    const std::vector<antenna::Block>& blocks, bool decimal_comma) {
  const antenna::Inputs& chain = entries.chain;
  if (chain.stage) {
    for (const std::string& line : stage_text::heading_lines(*chain.stage)) {
      out.title(textio::with_decimal_mark(line, decimal_comma));
    }
  }
  for (const std::string& line : heading_lines(entries, decimal_comma)) out.title(line);
  const bool one_angle = blocks.front().rows.size() == 1;
  if (!chain.stage) {
    // The network alone is the same at every angle: the first block's first row that has it.
    for (const antenna::Row& row : blocks.front().rows) {
      if (!has_network(row)) continue;
      parts_table(out, entries, row, decimal_comma);
      break;
    }
  }
  for (const antenna::Block& block : blocks) {
    if (one_angle) {
      whole_design(out, entries, block, decimal_comma);
    } else {
      range_table(out, entries, block, decimal_comma);
    }
  }
}

}  // namespace network_text
