#include "report/entry_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>

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
    help +=
        "  " + name + std::string(7 - name.size(), ' ') + headings::meaning_of(quantity.id) + "\n";
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

}  // namespace

const Description* named(std::string_view name) {
  const auto found = std::find_if(std::begin(kAll), std::end(kAll),
                                  [name](const Description* entry) { return entry->name == name; });
  return found == std::end(kAll) ? nullptr : *found;
}

std::string help_of(const Description& entry) {
  std::string help(entry.help);
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
                 {textio::shortest_text(range.from), textio::shortest_text(range.to),
                  textio::parameter_text(range.from), textio::parameter_text(range.to)});
}

Refusal step_too_small(const sweep::Range& range, std::string_view typed_step, double repeated) {
  return refusal(kStep, Kind::step_too_small,
                 {std::string(typed_step), textio::shortest_text(range.step),
                  textio::shortest_text(repeated)});
}

Refusal too_many_rows(const sweep::Range& range, std::string_view typed_step, std::int64_t most) {
  return refusal(
      kStep, Kind::too_many_rows,
      {std::string(typed_step), textio::shortest_text(range.step), std::to_string(most)});
}

Refusal g1_out_of_reach(double g1, double exponent) {
  const design::Reach reach = design::g1_reach(exponent);
  const auto coefficient = [](double value) {
    return textio::trimmed_field(value, textio::kModulusEdit);
  };
  return refusal(
      kAngleForG1, Kind::g1_out_of_reach,
      {textio::shortest_text(g1), coefficient(g1), textio::parameter_text(exponent),
       coefficient(reach.lowest), coefficient(reach.highest),
       textio::shortest_text(berg::kLowestAngle), textio::shortest_text(berg::kHighestAngle)});
}

}  // namespace entry_rules
