#include "web/entries.h"

#include <algorithm>
#include <iterator>

namespace web {

namespace {

// The names the page uses besides its entries: the views that k-berg-table takes as flags,
// and "half" of a table computed in two halves.
constexpr std::string_view kOtherNames[] = {"half", entry_rules::kOptimum.name,
                                            entry_rules::kStage.name};

bool known(std::string_view name) {
  return entry_rules::named(name) != nullptr ||
         std::find(std::begin(kOtherNames), std::end(kOtherNames), name) != std::end(kOtherNames);
}

}  // namespace

Entries::Entries(std::string_view lines) {
  if (lines.empty()) return;
  for (std::size_t start = 0;;) {
    const std::size_t end = lines.find('\n', start);
    const std::string_view line = lines.substr(start, end - start);
    const std::size_t equals = line.find('=');
    const std::string name(line.substr(0, equals));
    pairs_.emplace_back(name, equals == std::string_view::npos ? "" : line.substr(equals + 1));
    if (!known(name)) refuse({name, refusals::Kind::unknown_name, {}});
    if (end == std::string_view::npos) return;
    start = end + 1;
  }
}

bool Entries::has(std::string_view name) const {
  return std::any_of(pairs_.begin(), pairs_.end(),
                     [name](const auto& pair) { return pair.first == name; });
}

std::vector<std::string> Entries::texts(std::string_view name) const {
  std::vector<std::string> texts;
  for (const auto& [key, value] : pairs_) {
    if (key == name) texts.push_back(value);
  }
  return texts;
}

std::string Entries::text(std::string_view name) const {
  std::string text;
  for (const std::string& each : texts(name)) text.append(text.empty() ? "" : ";").append(each);
  return text;
}

void Entries::refuse(refusals::Refusal refusal) { refusals_.push_back(std::move(refusal)); }

template <typename Value>
std::optional<Value> Entries::kept(entry_rules::Read<Value> read) {
  if (!read.refusal) return std::move(read.value);
  refuse(std::move(*read.refusal));
  return std::nullopt;
}

std::optional<double> Entries::number(const entry_rules::Description& entry) {
  // The form leaves an empty entry out: one that stands for no value must be typed.
  if (!has(entry.name) && entry.absent.empty()) {
    refuse({std::string(entry.name), refusals::Kind::empty, {}});
    return std::nullopt;
  }
  const std::string typed = has(entry.name) ? text(entry.name) : std::string(entry.absent);
  return kept(entry_rules::read_bounded(entry, typed));
}

std::optional<std::vector<double>> Entries::numbers(const entry_rules::Description& entry,
                                                    std::size_t most) {
  std::optional<std::vector<double>> values =
      kept(entry_rules::read_numbers(entry, texts(entry.name), true));
  if (values && values->size() > most) {
    refuse({std::string(entry.name), refusals::Kind::too_many_values, {std::to_string(most)}});
    return std::nullopt;
  }
  return values;
}

std::optional<int> Entries::whole_number(const entry_rules::Description& entry) {
  const std::string typed = has(entry.name) ? text(entry.name) : std::string(entry.absent);
  entry_rules::Read<int> read = entry_rules::read_whole_number(entry, typed);
  if (!read.refusal) read.refusal = entry_rules::refusal_of_bounds(entry, read.value, typed);
  return kept(std::move(read));
}

std::optional<std::vector<int>> Entries::harmonics(std::string_view absent) {
  const std::string_view name = entry_rules::kHarmonics.name;
  return kept(
      entry_rules::read_harmonics(has(name) ? texts(name) : std::vector{std::string(absent)}));
}

std::optional<std::vector<quantity::Id>> Entries::shown() {
  return kept(entry_rules::read_shown(texts(entry_rules::kShow.name)));
}

}  // namespace web
