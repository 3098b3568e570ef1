#include "report/entry_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <span>

#include "engine/design.h"
#include "report/headings.h"
#include "textio/fields.h"

namespace entry_rules {

namespace {

using refusals::Kind;
using refusals::Refusal;

Refusal refusal(const Description& entry, Kind kind, std::vector<std::string> values) {
  return {std::string(entry.name), kind, std::move(values)};
}

void replace(std::string& text, std::string_view token, const std::string& by) {
  const std::size_t at = text.find(token);
  if (at != std::string::npos) text.replace(at, token.size(), by);
}

// The help of --show: each quantity and what it is.
std::string quantities_help() {
  std::string help;
  for (const quantity::Description& quantity : quantity::all()) {
    const std::string name = quantity.name;
    help.append("  ").append(name).append(7 - name.size(), ' ');
    help.append(messages::translated(headings::meaning_of(quantity.id))).append("\n");
  }
  return help;
}

// The items of the texts given, each split at `separator`: an empty item stays, to be refused
// as what it is.
std::vector<std::string_view> items_of(const std::vector<std::string>& given, char separator) {
  std::vector<std::string_view> items;
  for (std::string_view text : given) {
    for (std::size_t start = 0;;) {
      const std::size_t end = text.find(separator, start);
      items.push_back(text.substr(start, end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }
  return items;
}

// A harmonic number from 0 to 9 taking all of `text`, or -1.
int harmonic_number(std::string_view text) {
  int number = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  const bool whole = result.ec == std::errc() && result.ptr == text.data() + text.size();
  return whole && number >= kHarmonics.lowest && number <= kHarmonics.highest ? number : -1;
}

enum class Parse { number, beyond, none };

// All of `text` as a number, by the C++ library's from_chars, or where it reads no doubles (the
// page's WebAssembly) by strtod in the "C" locale of a program that sets none, which reads the
// same texts once those that only strtod takes are refused: a blank or a plus sign before the
// number, a hexadecimal one.
Parse parsed(const std::string& text, double& value) {
  if (text.empty() || text.starts_with('+') ||
      text.find_first_of(" \t\n\v\f\rxX") != std::string::npos) {
    return Parse::none;
  }
#if __cpp_lib_to_chars
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec == std::errc::result_out_of_range) return Parse::beyond;
  return result.ec == std::errc() && result.ptr == end ? Parse::number : Parse::none;
#else
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return Parse::none;
  // As from_chars, an infinity or a 0 that the digits are not is beyond the doubles.
  const std::string_view digits = std::string_view(text).substr(0, text.find_first_of("eE"));
  const bool beyond = std::isinf(value)
                          ? digits.find_first_of("0123456789") != std::string::npos
                          : value == 0.0 && digits.find_first_of("123456789") != std::string::npos;
  return beyond ? Parse::beyond : Parse::number;
#endif
}

// The entries that only an output network takes.
constexpr const Description* kNetworkEntries[] = {
    &kResistance, &kFrequency,         &kLoad,         &kQ,   &kQDefinition, &kInductance,
    &kCoilQ,      &kOutputCapacitance, &kIntermediate, &kRho, &kLimit};

std::optional<std::size_t> index_of(std::span<const std::string_view> names,
                                    std::string_view typed) {
  const auto found = std::find(names.begin(), names.end(), typed);
  if (found == names.end()) return std::nullopt;
  return static_cast<std::size_t>(found - names.begin());
}

std::string joined(std::span<const std::string_view> names) {
  std::string text;
  for (std::string_view name : names) text.append(text.empty() ? "" : ", ").append(name);
  return text;
}

// Reads the entries of a network one by one, keeping each refusal.
class NetworkReader {
 public:
  NetworkReader(const Typed& typed, std::vector<Refusal>& refusals)
      : typed_(typed), refusals_(refusals) {}

  bool given(const Description& entry) const { return typed_(entry.name).has_value(); }
  std::string text(const Description& entry) const { return typed_(entry.name).value_or(""); }

  // The number of the entry within its bounds where it is given.
  std::optional<double> number(const Description& entry) {
    if (!given(entry)) return std::nullopt;
    Read<double> read = read_bounded(entry, text(entry));
    if (!read.refusal) return read.value;
    refusals_.push_back(std::move(*read.refusal));
    return std::nullopt;
  }
  // The same, refused as needed by `by` where it is not given.
  std::optional<double> needed(const Description& entry, std::string_view by) {
    if (!given(entry)) refuse(entry, Kind::needed, {std::string(by)});
    return number(entry);
  }
  void refuse(const Description& entry, Kind kind, std::vector<std::string> values = {}) {
    refusals_.push_back(refusal(entry, kind, std::move(values)));
  }
  // Each of `entries` that is given refused as not used by `by`.
  void unused(std::initializer_list<const Description*> entries, const std::string& by) {
    for (const Description* entry : entries) {
      if (given(*entry)) refuse(*entry, Kind::not_used, {by});
    }
  }

 private:
  const Typed& typed_;
  std::vector<Refusal>& refusals_;
};

// The entries of the form: a loaded Q or a pi's coil, its definition, a pi-l's intermediate
// resistance and a tank's rho, each only where the form takes it.
void read_form_entries(NetworkReader& reader, NetworkEntries& entries, network::Form form) {
  using network::Form;
  network::Inputs& inputs = entries.chain.network;
  const std::string by = std::string(kNetwork.name) + " " + reader.text(kNetwork);
  const bool pi = form == Form::pi || form == Form::pi_l;
  if (pi) {
    if (reader.given(kQ) == reader.given(kInductance)) reader.refuse(kQ, Kind::q_or_inductance);
    if (reader.given(kInductance)) reader.unused({&kQDefinition}, std::string(kInductance.name));
  } else if (form == Form::tank) {
    inputs.q = reader.needed(kQ, by);
    reader.unused({&kInductance, &kQDefinition}, by);
  } else {
    reader.unused({&kQ, &kInductance, &kQDefinition}, by);
  }
  if (form != Form::pi_l) reader.unused({&kIntermediate}, by);
  if (form != Form::tank) reader.unused({&kRho}, by);
  if (pi && reader.given(kQ)) inputs.q = reader.number(kQ);
  if (pi && reader.given(kInductance)) {
    entries.microhenries = reader.number(kInductance).value_or(0.0);
    inputs.inductance = entries.microhenries * 1e-6;
  }
  const std::optional<std::size_t> definition =
      index_of(kDefinitionNames, reader.given(kQDefinition) ? reader.text(kQDefinition)
                                                            : std::string(kQDefinition.absent));
  if (!definition) {
    reader.refuse(kQDefinition, Kind::not_one_of,
                  {reader.text(kQDefinition), joined(kDefinitionNames)});
  }
  inputs.definition = static_cast<network::Definition>(definition.value_or(1));
  if (form == Form::pi_l) inputs.intermediate = reader.number(kIntermediate);
  if (form == Form::tank) inputs.impedance = reader.number(kRho);
}

// The limit: a rule by its name or a number of dB; where none is given, the rule of the
// frequency's band. A rule refuses a frequency outside its band, and one that follows the power
// needs the power.
void read_limit(NetworkReader& reader, NetworkEntries& entries, bool power_known) {
  const double frequency = entries.chain.network.frequency;
  const std::string mhz = textio::shortest_text(entries.megahertz);
  if (!reader.given(kLimit)) {
    if (frequency <= 0.0) return;
    if (frequency > 225e6) reader.refuse(kLimit, Kind::limit_needed, {mhz});
    entries.chain.rule =
        frequency < 30e6 ? network::Rule::below_30_mhz : network::Rule::from_30_to_225_mhz;
    return;
  }
  const std::string typed = reader.text(kLimit);
  if (const std::optional<std::size_t> rule = index_of(kRuleNames, typed)) {
    entries.chain.rule = static_cast<network::Rule>(*rule);
    if (frequency > 0.0 && !network::limit_db(*entries.chain.rule, 1.0, frequency))
      reader.refuse(kLimit, Kind::rule_out_of_band, {typed, mhz});
    if (entries.chain.rule == network::Rule::by_power && !power_known)
      reader.refuse(kPower, Kind::needed, {std::string(kLimit.name) + " " + typed});
    return;
  }
  if (read_number(kLimit, typed).refusal) {
    reader.refuse(kLimit, Kind::not_a_limit, {typed, joined(kRuleNames)});
    return;
  }
  entries.chain.limit_db = reader.number(kLimit).value_or(0.0);
}

}  // namespace

NetworkRead read_network(const Typed& typed, bool stage) {
  NetworkRead read;
  NetworkReader reader(typed, read.refusals);
  if (!reader.given(kNetwork)) {
    for (const Description* entry : kNetworkEntries) {
      if (reader.given(*entry)) reader.refuse(*entry, Kind::network_only);
    }
    return read;
  }
  NetworkEntries& entries = read.entries;
  network::Inputs& inputs = entries.chain.network;
  const std::optional<std::size_t> form = index_of(kNetworkNames, reader.text(kNetwork));
  if (!form) {
    reader.refuse(kNetwork, Kind::not_one_of, {reader.text(kNetwork), joined(kNetworkNames)});
  }
  inputs.form = static_cast<network::Form>(form.value_or(0));
  const std::string by(kNetwork.name);
  if (stage && reader.given(kResistance)) reader.refuse(kResistance, Kind::not_with, {"stage"});
  if (!stage) inputs.load = reader.needed(kResistance, by).value_or(0.0);
  entries.megahertz = reader.needed(kFrequency, by).value_or(0.0);
  inputs.frequency = entries.megahertz * 1e6;
  inputs.antenna = reader.given(kLoad) ? reader.number(kLoad).value_or(0.0)
                                       : read_number(kLoad, kLoad.absent).value;
  if (form) read_form_entries(reader, entries, inputs.form);
  inputs.q0 = reader.number(kCoilQ);
  if (reader.given(kOutputCapacitance)) {
    entries.picofarads = reader.number(kOutputCapacitance).value_or(0.0);
    inputs.device_capacitance = entries.picofarads * 1e-12;
  }
  if (!stage) inputs.power = reader.number(kPower);
  read_limit(reader, entries, stage || inputs.power.has_value());
  return read;
}

const Description* named(std::string_view name) {
  const auto found = std::find_if(std::begin(kAll), std::end(kAll),
                                  [name](const Description* entry) { return entry->name == name; });
  return found == std::end(kAll) ? nullptr : *found;
}

std::string help_of(const Description& entry) {
  std::string help(messages::translated(entry.help));
  replace(help, "{lowest}", textio::shortest_text(entry.lowest));
  replace(help, "{highest}", textio::shortest_text(entry.highest));
  replace(help, "{default}", std::string(entry.absent));
  replace(help, "{quantities}", quantities_help());
  return help;
}

std::string form_label_of(const Description& entry) {
  std::string label(entry.form);
  replace(label, "{lowest}", textio::shortest_text(entry.lowest));
  replace(label, "{highest}", textio::shortest_text(entry.highest));
  replace(label, "{unit}", std::string(entry.unit));
  return label;
}

Read<double> read_number(const Description& entry, std::string_view typed) {
  std::string text(typed);
  // A decimal comma as the dialogue takes it ("90,5"), where it is the only mark.
  const std::size_t comma = text.find(',');
  if (comma != std::string::npos && text.find_first_of(",.", comma + 1) == std::string::npos &&
      text.find('.') == std::string::npos) {
    text[comma] = '.';
  }
  // A plus sign is skipped as the dialogue skips it; a sign after it is no number ("+-2").
  const bool plus = text.starts_with('+') && !text.starts_with("+-");
  double value = 0.0;
  const Parse parse = parsed(text.substr(plus ? 1 : 0), value);
  if (parse == Parse::beyond)
    return {0.0, refusal(entry, Kind::beyond_doubles, {std::string(typed)})};
  if (parse == Parse::none || std::isnan(value)) {
    return {0.0, refusal(entry, Kind::not_a_number, {std::string(typed)})};
  }
  return {value, std::nullopt};
}

std::optional<Refusal> refusal_of_bounds(const Description& entry, double value,
                                         std::string_view typed) {
  const bool low_enough =
      (entry.below ? value < entry.highest : value <= entry.highest) && std::isfinite(value);
  if (low_enough && (entry.above ? value > entry.lowest : value >= entry.lowest)) {
    return std::nullopt;
  }
  return refusal(entry, Kind::out_of_range, {std::string(typed), textio::shortest_text(value)});
}

Read<double> read_bounded(const Description& entry, std::string_view typed) {
  Read<double> read = read_number(entry, typed);
  if (!read.refusal) read.refusal = refusal_of_bounds(entry, read.value, typed);
  return read;
}

Read<std::vector<double>> read_numbers(const Description& entry,
                                       const std::vector<std::string>& given, bool bounded) {
  const std::vector<std::string> absent{std::string(entry.absent)};
  Read<std::vector<double>> read;
  for (std::string_view item : items_of(given.empty() ? absent : given, ';')) {
    // "1,5" is 1.5 to the dialogue but was a list of two to earlier versions of k-berg-table.
    if (item.find(',') != std::string_view::npos) {
      return {{}, refusal(entry, Kind::ambiguous_comma, {std::string(item)})};
    }
    const Read<double> number = bounded ? read_bounded(entry, item) : read_number(entry, item);
    if (number.refusal) return {{}, number.refusal};
    read.value.push_back(number.value);
  }
  return read;
}

Read<int> read_whole_number(const Description& entry, std::string_view typed) {
  int value = 0;
  const char* end = typed.data() + typed.size();
  const auto result = std::from_chars(typed.data(), end, value);
  if (typed.empty() || result.ec != std::errc() || result.ptr != end) {
    return {0, refusal(entry, Kind::not_a_number, {std::string(typed)})};
  }
  return {value, std::nullopt};
}

Read<std::vector<int>> read_harmonics(const std::vector<std::string>& given) {
  std::array<bool, berg::kHarmonics> chosen{};
  for (std::string_view item : items_of(given, ',')) {
    const std::size_t dash = item.find('-');
    const int first = harmonic_number(item.substr(0, dash));
    const int last =
        dash == std::string_view::npos ? first : harmonic_number(item.substr(dash + 1));
    if (first < 0 || last < first) {
      return {{}, refusal(kHarmonics, Kind::not_harmonics, {std::string(item)})};
    }
    std::fill(chosen.begin() + first, chosen.begin() + last + 1, true);
  }
  Read<std::vector<int>> read;
  for (int k = 0; k < berg::kHarmonics; ++k) {
    if (chosen[static_cast<std::size_t>(k)]) read.value.push_back(k);
  }
  return read;
}

Read<std::vector<quantity::Id>> read_shown(const std::vector<std::string>& given) {
  Read<std::vector<quantity::Id>> read;
  for (std::string_view name : items_of(given, ',')) {
    const std::optional<quantity::Id> id = quantity::named(name);
    if (!id) {
      return {{}, refusal(kShow, Kind::not_one_of, {std::string(name), quantity::names()})};
    }
    if (std::find(read.value.begin(), read.value.end(), *id) == read.value.end()) {
      read.value.push_back(*id);
    }
  }
  return read;
}

Read<regime::Goal> read_goal(std::string_view typed) {
  if (typed == "power") return {regime::Goal::power, std::nullopt};
  if (typed == "efficiency") return {regime::Goal::efficiency, std::nullopt};
  return {regime::Goal::power,
          refusal(kBest, Kind::not_one_of, {std::string(typed), "power, efficiency"})};
}

Refusal from_above_to(const sweep::Range& range) {
  return refusal(kFrom, Kind::from_above_to,
                 {textio::shortest_text(range.from), textio::shortest_text(range.to)});
}

Refusal step_too_small(const sweep::Range& range, double repeated) {
  return refusal(kStep, Kind::step_too_small,
                 {textio::shortest_text(range.step), textio::shortest_text(repeated)});
}

Refusal too_many_rows(const sweep::Range& range, std::int64_t most) {
  return refusal(kStep, Kind::too_many_rows,
                 {textio::shortest_text(range.step), std::to_string(most)});
}

Refusal g1_out_of_reach(double g1, double exponent) {
  const design::Reach reach = design::g1_reach(exponent);
  const auto coefficient = [](double value) {
    return textio::trimmed_field(value, textio::kModulusEdit);
  };
  return refusal(
      kAngleForG1, Kind::g1_out_of_reach,
      {textio::shortest_text(g1), textio::parameter_text(exponent), coefficient(reach.lowest),
       coefficient(reach.highest), textio::shortest_text(berg::kLowestAngle),
       textio::shortest_text(berg::kHighestAngle)});
}

}  // namespace entry_rules
