#include "report/headings.h"

#include <array>
#include <string_view>

#include "textio/messages.h"

namespace headings {

namespace {

struct Words {
  const char* heading;  // the harmonic's number follows, then `unit`
  const char* unit;
  const char* column;        // in CSV; the harmonic's number follows
  std::string_view meaning;  // in --help
};

// In the order of quantity::Id.
constexpr std::array<Words, 8> kWords = {{
    {"α", "", "alpha", messages::N_("αn with its sign (the default)")},
    {"γ", "", "gamma", messages::N_("γn = αn (1 - cos θ)^p")},
    {"g1", "", "g1", messages::N_("α1/α0")},
    {"η", "", "eta", messages::N_("the efficiency η = ξ g1 / 2")},
    {"α", ", дБ", "db", messages::N_("αn against α1 in dB, n >= 2")},
    {"cos θ", "", "cos_theta", messages::N_("cos θ")},
    {"g", "", "g", messages::N_("gn = αn/α0, n >= 1")},
    {"η", "", "eta", messages::N_("ηn = ξ gn / 2, n >= 1")},
}};

const Words& words_of(quantity::Id id) { return kWords[static_cast<std::size_t>(id)]; }

std::string number_of(const quantity::Column& column) {
  return quantity::of_harmonics(quantity::describe(column.id)) ? std::to_string(column.harmonic)
                                                               : "";
}

}  // namespace

std::string heading_of(const quantity::Column& column) {
  const Words& words = words_of(column.id);
  return words.heading + number_of(column) + words.unit;
}

std::string csv_name_of(const quantity::Column& column) {
  return words_of(column.id).column + number_of(column);
}

std::string label_of(quantity::Id id) {
  const Words& words = words_of(id);
  const bool of_harmonics = quantity::of_harmonics(quantity::describe(id));
  return std::string(words.heading) + (of_harmonics ? "n" : "") + words.unit;
}

std::string meaning_of(quantity::Id id) { return std::string(words_of(id).meaning); }

}  // namespace headings
