// What the page asks for: the entries of one of its forms, or of a link's fragment, as pairs
// of a name and the text typed, the names being k-berg-table's long options without dashes.
// Each reader takes one entry as k-berg-table reads its option, through the same readers,
// an empty one too, and, when it is wrong, keeps the refusal that names the entry and says
// what is wrong with it. The form leaves out the entries left empty.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/quantity.h"
#include "report/entry_rules.h"
#include "report/refusals.h"

namespace web {

class Entries {
 public:
  // `lines` holds one entry a line, "name=text"; a name may come more than once. A name the
  // page does not have is refused at once, as k-berg-table refuses an unknown option.
  explicit Entries(std::string_view lines);

  bool has(std::string_view name) const;
  // The text of an entry, "" when it is absent; the texts of a repeated entry are joined by ";".
  std::string text(std::string_view name) const;

  // The number of the entry, within the entry's bounds; its absent text read where it is absent,
  // and where it has none, the entry refused as one to type.
  std::optional<double> number(const entry_rules::Description& entry);
  // The numbers of a list separated by ";", each within the entry's bounds; at most `most`.
  std::optional<std::vector<double>> numbers(const entry_rules::Description& entry,
                                             std::size_t most);
  // A whole number within the entry's bounds; its absent text read where it is absent.
  std::optional<int> whole_number(const entry_rules::Description& entry);
  // The harmonics of a list such as "0-3" or "1,3,5", in increasing order, each once; those of
  // `absent` where the entry is absent.
  std::optional<std::vector<int>> harmonics(std::string_view absent);
  // The quantities of "show", in the order given, each once; none where it is absent.
  std::optional<std::vector<quantity::Id>> shown();

  void refuse(refusals::Refusal refusal);
  const std::vector<refusals::Refusal>& refusals() const { return refusals_; }

 private:
  // The texts of each time the entry is given.
  std::vector<std::string> texts(std::string_view name) const;
  // The value read, or nothing where the text was refused.
  template <typename Value>
  std::optional<Value> kept(entry_rules::Read<Value> read);

  std::vector<std::pair<std::string, std::string>> pairs_;
  std::vector<refusals::Refusal> refusals_;
};

}  // namespace web
