#include "web/entries.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "textio/fields.h"

namespace web {

namespace {

constexpr int kHighestHarmonic = 9;

// Every name the page's forms and links use: k-berg-table's long options that the page has,
// the calculation's "angle", and "half" of a table computed in two halves.
constexpr std::string_view kNames[] = {
    "angle",   "exponent",   "from",  "to",     "step",         "harmonics",    "show",
    "xi",      "exact",      "half",  "stage",  "supply",       "power",        "harmonic",
    "optimum", "saturation", "slope", "cutoff", "angle-for-g1", "decimal-comma"};

// The items of a list, each as typed: an empty item stays, to be refused as what it is, as
// k-berg-table refuses it.
std::vector<std::string_view> items_of(std::string_view list, char separator) {
  std::vector<std::string_view> items;
  for (std::size_t start = 0;;) {
    const std::size_t end = list.find(separator, start);
    items.push_back(list.substr(start, end - start));
    if (end == std::string_view::npos) return items;
    start = end + 1;
  }
}

bool looks_like_number(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789.+-eE") == std::string_view::npos &&
         text.find_first_of("0123456789") != std::string_view::npos;
}

// A harmonic from 0 to 9 taking all of `text`, or -1.
int harmonic_number(std::string_view text) {
  int number = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  const bool whole = result.ec == std::errc() && result.ptr == text.data() + text.size();
  return whole && number >= 0 && number <= kHighestHarmonic ? number : -1;
}

bool within(const NumberEntry& entry, double value) {
  return (entry.above ? value > entry.lowest : value >= entry.lowest) && value <= entry.highest;
}

// The numbers an entry accepts, in words: "от 4.9 до 180.1", "больше 0 и не больше 1".
std::string range_of(const NumberEntry& entry) {
  std::string range;
  if (std::isfinite(entry.lowest)) {
    range = (entry.above ? "больше " : "от ") + textio::shortest_text(entry.lowest);
  }
  if (std::isfinite(entry.highest)) {
    range += entry.above ? " и не больше " : " до ";
    range += textio::shortest_text(entry.highest);
  }
  return range;
}

// A number as typed: digits with a decimal point or a decimal comma, an optional sign and
// exponent ("1e-3"); nothing else, not even blanks, which k-berg-table refuses too. As k-berg-table
// reads it, a number that rounds to an infinity, or to 0 when it is not 0, is beyond the doubles.
struct Read {
  double value;
  bool beyond;
};

std::optional<Read> read_typed(std::string_view typed) {
  std::string text(typed);
  const std::size_t comma = text.find(',');
  if (comma != std::string::npos && text.find_first_of(",.", comma + 1) == std::string::npos &&
      text.find('.') == std::string::npos) {
    text[comma] = '.';
  }
  if (!looks_like_number(text)) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  const std::string_view digits = std::string_view(text).substr(0, text.find_first_of("eE"));
  const bool not_zero = digits.find_first_of("123456789") != std::string_view::npos;
  return Read{value, !std::isfinite(value) || (value == 0.0 && not_zero)};
}

}  // namespace

std::string quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

Entries::Entries(std::string_view lines) {
  if (lines.empty()) return;
  for (std::string_view line : items_of(lines, '\n')) {
    const std::size_t equals = line.find('=');
    const std::string_view name = line.substr(0, equals);
    pairs_.emplace_back(name, equals == std::string_view::npos ? "" : line.substr(equals + 1));
    if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) {
      refuse(name, quoted(name) + " — нет такого поля");
    }
  }
}

bool Entries::has(std::string_view name) const {
  return std::any_of(pairs_.begin(), pairs_.end(),
                     [name](const auto& pair) { return pair.first == name; });
}

std::string Entries::text(std::string_view name) const {
  std::string text;
  bool first = true;
  for (const auto& [key, value] : pairs_) {
    if (key != name) continue;
    text.append(first ? "" : ";").append(value);
    first = false;
  }
  return text;
}

void Entries::refuse(std::string_view entry, std::string text) {
  refusals_.push_back({std::string(entry), std::move(text)});
}

std::optional<double> Entries::checked(const NumberEntry& entry, std::string_view typed) {
  const std::string label(entry.label);
  std::string range = range_of(entry);
  if (!range.empty()) range.insert(0, " ");
  if (typed.empty()) {
    refuse(entry.name, label + ": введите число" + range);
    return std::nullopt;
  }
  const std::optional<Read> number = read_typed(typed);
  if (!number) {
    refuse(entry.name, label + ": " + quoted(typed) + " — не число");
  } else if (number->beyond) {
    refuse(entry.name,
           label + ": " + quoted(typed) + " — за пределами чисел, которые может хранить программа");
  } else if (!within(entry, number->value)) {
    refuse(entry.name, label + ": " + quoted(typed) + " — нужно число" + range);
  } else {
    return number->value;
  }
  return std::nullopt;
}

std::optional<double> Entries::number(const NumberEntry& entry) {
  const std::string typed = has(entry.name) ? text(entry.name) : std::string(entry.given);
  return checked(entry, typed);
}

std::optional<std::vector<double>> Entries::numbers(const NumberEntry& entry, std::size_t most) {
  const std::string typed = has(entry.name) ? text(entry.name) : std::string(entry.given);
  std::vector<double> values;
  bool all_read = true;
  for (std::string_view item : items_of(typed, ';')) {
    // "1,5" was a list of two to earlier versions of k-berg-table, which refuses it as it does.
    if (item.find(',') != std::string_view::npos) {
      refuse(entry.name, std::string(entry.label) + ": " + quoted(item) +
                             " — неоднозначно: одно число пишите с точкой (1.5), несколько — "
                             "через ;");
      all_read = false;
      continue;
    }
    const std::optional<double> value = checked(entry, item);
    if (value) values.push_back(*value);
    all_read = all_read && value;
  }
  if (values.size() > most) {
    refuse(entry.name,
           std::string(entry.label) + ": не больше " + std::to_string(most) + " значений");
    return std::nullopt;
  }
  if (!all_read) return std::nullopt;
  return values;
}

std::optional<std::vector<int>> Entries::harmonics(std::vector<int> given) {
  if (!has("harmonics")) return given;
  const std::string typed = text("harmonics");
  std::array<bool, kHighestHarmonic + 1> chosen{};
  for (std::string_view item : items_of(typed, ',')) {
    const std::size_t dash = item.find('-');
    const int first = harmonic_number(item.substr(0, dash));
    const int last =
        dash == std::string_view::npos ? first : harmonic_number(item.substr(dash + 1));
    if (first < 0 || last < first) {
      refuse("harmonics",
             "Гармоники: " + quoted(item) + " — не номер от 0 до 9 и не диапазон вида 0-3");
      return std::nullopt;
    }
    std::fill(chosen.begin() + first, chosen.begin() + last + 1, true);
  }
  std::vector<int> harmonics;
  for (int k = 0; k <= kHighestHarmonic; ++k) {
    if (chosen[static_cast<std::size_t>(k)]) harmonics.push_back(k);
  }
  return harmonics;
}

std::optional<std::vector<std::string>> Entries::names(std::string_view name,
                                                       std::string_view label,
                                                       const std::vector<std::string_view>& known) {
  std::vector<std::string> chosen;
  if (!has(name)) return chosen;
  const std::string typed = text(name);
  for (std::string_view item : items_of(typed, ',')) {
    if (std::find(known.begin(), known.end(), item) == known.end()) {
      std::string list;
      for (std::string_view each : known) list.append(list.empty() ? "" : ", ").append(each);
      refuse(name, std::string(label) + ": " + quoted(item) + " — не одно из: " + list);
      return std::nullopt;
    }
    if (std::find(chosen.begin(), chosen.end(), item) == chosen.end()) chosen.emplace_back(item);
  }
  return chosen;
}

}  // namespace web
