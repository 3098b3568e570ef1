#include "report/refusals.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>
#include <string_view>

#include "report/entry_rules.h"
#include "textio/fields.h"

namespace refusals {

namespace {

using entry_rules::Description;
using entry_rules::Grammar;
using messages::N_;

// The sentence of each kind, in the order of Kind: {0}, {1}... stand for the values, {range}
// for the entry's bounds in words. Each translation keeps the places of its sentence.
constexpr std::string_view kSentences[] = {
    N_("is not an option"),
    N_("lacks its value: '{0}' is an option"),
    N_("'{0}' is not a number"),
    N_("'{0}' is beyond the numbers this program can hold"),
    N_("'{0}' is ambiguous: write a decimal point (1.5) for one exponent, or repeat the option "
       "(--exponent 1 --exponent 5) for several"),
    N_("{1} is not {range}"),
    N_("'{0}' is neither a harmonic from 0 to 9 nor a range like 0-3"),
    N_("'{0}' is not one of {1}"),
    N_("the list has more than {0} values"),
    N_("{0} is above --to {1}"),
    N_("{0} makes more than {1} rows"),
    N_("{0} exponents of {1} angles each make more than {2} rows"),
    N_("{0} is too small: neighbouring angles near {1} are equal"),
    N_("needs either the voltage utilisation --xi X or the saturation slope --saturation S, one "
       "of the two"),
    N_("needs the other half of the device's law, --slope S --cutoff E'"),
    N_("{0} is too large: the stage at {1} degrees and exponent {2} has values beyond the "
       "numbers this program can hold"),
    N_("{0} is too small: the stage at {1} degrees and exponent {2} has values beyond the "
       "numbers this program can hold"),
    N_("at {0} degrees and exponent {1} alpha{2} is not above 0: the pulse gives no harmonic {2} "
       "to design for"),
    N_("{0} W is more than the critical regime gives at {1} degrees and exponent {2}: at most "
       "{3} W"),
    N_("no angle from {0} to {1} works at exponent {2}: at each, {words}"),
    N_("g1 = {0} is out of reach at exponent {1}, where g1 runs from {2} to {3} between {4} and "
       "{5} degrees"),
    N_("'{0}' has no harmonic from 1 to 9 for --optimum"),
    N_("the values of the chart's curves do not read back"),
    N_("is for --stage only"),
    N_("cannot be given with --{0}"),
    N_("needs the supply voltage, --supply E"),
    N_("needs the output power, --power P"),
    N_("is not used by --{0}"),
    N_("is not used by --stage: its harmonic is --harmonic N"),
    N_("is used by --{0} only for its chart, with --svg"),
    N_("is used by the table only for eta and etan in --show"),
    N_("'{0}' leaves out alpha, beside which --phases puts the phases"),
    N_("{0} exponents make {1} searches, more than {2}"),
    N_("the file name is empty"),
    N_("{0} exponents with several harmonics cannot be told apart: draw at most {1}, or one "
       "harmonic (--harmonics N) for up to {2}"),
    N_("{0} exponents cannot be told apart on one chart: draw at most {1}"),
    N_("is part of the device's law: give --slope S --cutoff E' with it"),
    N_("{0} {words} is less than the stage needs at {1} degrees and exponent {2}: {3} {words}"),
    N_("at most {0} W from {1} to {2} degrees at exponent {3}, at {4} degrees, held by {words}"),
    N_("{0} W needs at least {1} {words}"),
    N_("nothing bounds the power: give --saturation, or --max-peak-current, --max-direct-current "
       "or --max-dissipation"),
    N_("nothing bounds the efficiency: give --saturation, or --max-voltage below twice the "
       "supply, {0} V"),
    N_("{0} V is not above the supply, {1} V: no voltage on the load keeps it"),
    N_("alpha{3} is not above 0 at any angle from {0} to {1} degrees at exponent {2}: the pulse "
       "gives no harmonic {3} to design for"),
    N_("is for --network only"),
    N_("is needed by --{0}"),
    N_("needs either the loaded Q --q Q or the coil --inductance L, one of the two"),
    N_("'{0}' is neither a number of dB nor one of {1}"),
    N_("no rule of those known applies at {0} MHz: give the limit in dB"),
    N_("'{0}' does not apply at {1} MHz"),
    N_("{0} is not above {1}, the least loaded Q of a {4} from {2} to {3} ohms"),
    N_("{0} is too low: the coil's loss would take all the power; it must be above {1}"),
    N_("{0} µH cannot match {3} to {4} ohms at {5} MHz: a coil above {1} and at most {2} µH can"),
    N_("{0} pF is not below the {1} pF the network has across the device"),
    N_("'{0}' cannot match {1} ohms to the same {1} ohms: pi can"),
    N_("{0} is not above the load, {1} ohms"),
    N_("a tank of this Q and rho presents at most {1} ohms, below {0}: raise --q or --rho"),
    N_("puts a part of the network beyond the numbers this program can hold"),
    N_("is empty: it takes {range}"),
    N_("'{0}' is neither an option nor the value of one"),
    N_("lacks its value"),
    N_("is given more than once"),
    N_("'{0}' is not a value this flag takes"),
    N_("the command line cannot be read"),
};

constexpr bool none_empty(std::span<const std::string_view> words) {
  return std::none_of(words.begin(), words.end(), [](std::string_view w) { return w.empty(); });
}

// A kind added without its sentence would read beyond them, or tell nothing.
static_assert(std::size(kSentences) == static_cast<std::size_t>(Kind::unreadable) + 1);
static_assert(none_empty(kSentences));

// An entry the refusal names that is no entry of the page (a name mistyped, --stage) is named
// as it is.
Description description_of(const Refusal& refusal) {
  const Description* entry = entry_rules::named(refusal.entry);
  return entry ? *entry : Description{.name = refusal.entry, .label = refusal.entry};
}

// The entry's bounds, as a refusal states them after "is not": "from 4.9 to 180.1", "above 0
// and at most 1", "at least 0 and below 1", "a finite number above 0", "a finite number".
std::string range_of(const Description& entry, messages::Language language) {
  const std::string_view words = !std::isfinite(entry.lowest)    ? N_("a finite number")
                                 : !std::isfinite(entry.highest) ? N_("a finite number above {0}")
                                 : entry.below                   ? N_("at least {0} and below {1}")
                                 : entry.above                   ? N_("above {0} and at most {1}")
                                                                 : N_("from {0} to {1}");
  return messages::filled(
      messages::translated(words, language),
      {textio::shortest_text(entry.lowest), textio::shortest_text(entry.highest)});
}

// Each place `place` in `text` replaced by `value`, which is not read again.
void replace_all(std::string& text, std::string_view place, const std::string& value) {
  for (std::size_t at = text.find(place); at != std::string::npos;
       at = text.find(place, at + value.size())) {
    text.replace(at, place.size(), value);
  }
}

std::string_view sentence_of(const Refusal& refusal, const Description& entry) {
  if (refusal.kind == Kind::not_a_number && entry.grammar == Grammar::whole_number) {
    return N_("'{0}' is not a whole number");
  }
  return kSentences[static_cast<std::size_t>(refusal.kind)];
}

// The refusal's words in `language`, each with its values: "a, b or c", or where they are what
// holds a regime "a and b and c".
std::string words_of(const Refusal& refusal, messages::Language language) {
  const bool all_hold = refusal.kind == Kind::most_power_within;
  const std::string_view last_joint =
      messages::translated(all_hold ? N_("{0} and {1}") : N_("{0} or {1}"), language);
  std::string text;
  for (std::size_t i = 0; i < refusal.words.size(); ++i) {
    const Words& words = refusal.words[i];
    std::string told =
        messages::filled(messages::translated(words.english, language), words.values);
    if (i == 0) {
      text = told;
    } else if (all_hold || i + 1 == refusal.words.size()) {
      text = messages::filled(last_joint, {text, told});
    } else {
      text.append(", ").append(told);
    }
  }
  return text;
}

}  // namespace

std::string worded(const Refusal& refusal, Naming naming, messages::Language language) {
  const Description entry = description_of(refusal);
  std::string words(messages::translated(sentence_of(refusal, entry), language));
  // The bounds and the words go in before the values, which are then filled in one pass as
  // they are.
  replace_all(words, "{range}", range_of(entry, language));
  replace_all(words, "{words}", words_of(refusal, language));
  std::string sentence = messages::filled(words, refusal.values);
  if (refusal.entry.empty()) return sentence;
  std::string named =
      naming == Naming::option ? std::string("--").append(refusal.entry) : std::string(entry.label);
  return named.append(": ").append(sentence);
}

}  // namespace refusals
