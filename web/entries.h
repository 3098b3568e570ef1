// What the page asks for: the entries of one of its forms, or of a link's fragment, as pairs
// of a name and the text typed, the names being k-berg-table's long options without dashes.
// Each reader takes one entry and, when it is wrong, keeps a refusal in Russian that names
// the entry and says what is wrong with it. An entry given is read as k-berg-table reads its
// option, an empty one too; the form leaves out the entries left empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace web {

// A refusal of one entry: the entry's name and the sentence the page shows beside it.
struct Refusal {
  std::string entry;
  std::string text;
};

// An entry that takes a number, and the numbers it accepts: from `lowest` to `highest`, or
// above `lowest` where `above` is set; an infinite bound is no bound.
struct NumberEntry {
  std::string_view name;   // as in the fragment: "angle", "exponent", "from"...
  std::string_view label;  // as the page labels it: "Угол отсечки"...
  double lowest;
  double highest;
  std::string_view given;  // the value of an absent entry; empty when one must be typed
  bool above = false;
};

class Entries {
 public:
  // `lines` holds one entry a line, "name=text"; a name may come more than once. A name the
  // page does not have is refused at once, as k-berg-table refuses an unknown option.
  explicit Entries(std::string_view lines);

  bool has(std::string_view name) const;
  // The text of an entry, "" when it is absent; the texts of a repeated entry are joined by ";".
  std::string text(std::string_view name) const;

  // The number of the entry, within the entry's bounds; `given` where the entry is absent.
  std::optional<double> number(const NumberEntry& entry);
  // The numbers of a list separated by ";", each within the entry's bounds; at most `most`.
  // A comma is refused: "1,5" is ambiguous.
  std::optional<std::vector<double>> numbers(const NumberEntry& entry, std::size_t most);
  // The harmonics of a list such as "0-3" or "1,3,5", each from 0 to 9, in increasing order,
  // each once; `given` where the entry is absent.
  std::optional<std::vector<int>> harmonics(std::vector<int> given);
  // The names of a list such as "alpha,g1" out of `known`, in the order given, each once.
  std::optional<std::vector<std::string>> names(std::string_view name, std::string_view label,
                                                const std::vector<std::string_view>& known);

  void refuse(std::string_view entry, std::string text);
  const std::vector<Refusal>& refusals() const { return refusals_; }

 private:
  std::optional<double> checked(const NumberEntry& entry, std::string_view typed);

  std::vector<std::pair<std::string, std::string>> pairs_;
  std::vector<Refusal> refusals_;
};

// The quoted text as the page shows it in a refusal: «90x».
std::string quoted(std::string_view text);

}  // namespace web
