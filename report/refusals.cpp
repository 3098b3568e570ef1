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

// The words of each kind, in the order of Kind: {0}, {1}... stand for the values, {label} and
// {unit} for the entry's label and unit, {range} for its bounds in words.
constexpr std::string_view kEnglish[] = {
    "is not an option",
    "lacks its value: '{0}' is an option",
    "'{0}' is not a number",
    "'{0}' is beyond the numbers this program can hold",
    "'{0}' is ambiguous: write a decimal point (1.5) for one exponent, or repeat the option "
    "(--exponent 1 --exponent 5) for several",
    "{1} is not {range}",
    "'{0}' is neither a harmonic from 0 to 9 nor a range like 0-3",
    "'{0}' is not one of {1}",
    "the list has more than {0} values",
    "{0} is above --to {1}",
    "{1} makes more than {2} rows",
    "{0} exponents of {1} angles each make more than {2} rows",
    "{1} is too small: neighbouring angles near {2} are equal",
    "needs either the voltage utilisation --xi X or the saturation slope --saturation S, one of "
    "the two",
    "needs the other half of the device's law, --slope S --cutoff E'",
    "{0} is too large: the stage at {1} degrees and exponent {2} has values beyond the numbers "
    "this program can hold",
    "{0} is too small: the stage at {1} degrees and exponent {2} has values beyond the numbers "
    "this program can hold",
    "at {0} degrees and exponent {1} alpha{2} is not above 0: the pulse gives no harmonic {2} to "
    "design for",
    "{0} W is more than the critical regime gives at {1} degrees and exponent {2}: at most {3} W",
    "no angle from {0} to {1} works at exponent {2}: {5}",
    "g1 = {0} is out of reach at exponent {2}, where g1 runs from {3} to {4} between {5} and {6} "
    "degrees",
    "'{0}' has no harmonic from 1 to 9 for --optimum",
    "the values of the chart's curves do not read back",
    "is for --stage only",
    "cannot be given with --{0}",
    "needs the supply voltage, --supply E",
    "needs the output power, --power P",
    "is not used by --{0}",
    "is not used by --stage: its harmonic is --harmonic N",
    "is used by --{0} only for its chart, with --svg",
    "is used by the table only for eta and etan in --show",
    "'{0}' leaves out alpha, beside which --phases puts the phases",
    "{0} exponents make {1} searches, more than {2}",
    "the file name is empty",
    "{0} exponents with several harmonics cannot be told apart: draw at most {1}, or one "
    "harmonic (--harmonics N) for up to {2}",
    "{0} exponents cannot be told apart on one chart: draw at most {1}",
    "is part of the device's law: give --slope S --cutoff E' with it",
    "{0} {4} is less than the stage needs at {1} degrees and exponent {2}: {3} {4}",
    "at most {0} W from {1} to {2} degrees at exponent {3}, at {4} degrees, held by {5}",
    "{0} W needs at least {1} {2}",
    "nothing bounds the power: give --saturation, or --max-peak-current, --max-direct-current "
    "or --max-dissipation",
    "nothing bounds the efficiency: give --saturation, or --max-voltage below twice the "
    "supply, {0} V",
    "{0} V is not above the supply, {1} V: no voltage on the load keeps it",
    "alpha{3} is not above 0 at any angle from {0} to {1} degrees at exponent {2}: the pulse "
    "gives no harmonic {3} to design for",
    "is for --network only",
    "is needed by --{0}",
    "needs either the loaded Q --q Q or the coil --inductance L, one of the two",
    "'{0}' is neither a number of dB nor one of {1}",
    "no rule of those known applies at {0} MHz: give the limit in dB",
    "'{0}' does not apply at {1} MHz",
    "{0} is not above {1}, the least loaded Q of a {4} from {2} to {3} ohms",
    "{0} is too low: the coil's loss would take all the power; it must be above {1}",
    "{0} µH cannot match {3} to {4} ohms at {5} MHz: a coil above {1} and at most {2} µH can",
    "{0} pF is not below the {1} pF the network has across the device",
    "'{0}' cannot match {1} ohms to the same {1} ohms: pi can",
    "{0} is not above the load, {1} ohms",
    "a tank of this Q and rho presents at most {1} ohms, below {0}: raise --q or --rho",
    "puts a part of the network beyond the numbers this program can hold",
};

constexpr std::string_view kRussian[] = {
    "«{0}» — нет такого поля",
    "{label}: нет значения",
    "{label}: «{0}» — не число",
    "{label}: «{0}» — за пределами чисел, которые может хранить программа",
    "{label}: «{0}» — неоднозначно: одно число пишите с точкой (1.5), несколько — через ;",
    "{label}: «{0}» — нужно число{range}",
    "{label}: «{0}» — не номер от 0 до 9 и не диапазон вида 0-3",
    "{label}: «{0}» — не одно из: {1}",
    "{label}: не больше {0} значений",
    "{label} {2} больше конечного {3}",
    "{label}: «{0}» — получится больше {2} строк",
    "{label}: {0} значений по {1} углов — больше {2} строк",
    "{label}: «{0}» — слишком мал: соседние углы около {2} совпадают",
    "Задайте одно из двух: ξ или Sкр (критический режим)",
    "Закон прибора: задайте и S, и E', или ни одного",
    "{label}: {0} — слишком велико: при θ = {1}° и степени функции {2} величины каскада выходят "
    "за пределы чисел, которые может хранить программа",
    "{label}: {0} — слишком мало: при θ = {1}° и степени функции {2} величины каскада выходят "
    "за пределы чисел, которые может хранить программа",
    "α{2} не больше 0 при θ = {0}° и степени функции {1}: гармоники {2} нет",
    "{label}: {0} {unit} — больше, чем дает критический режим при θ = {1}° и степени функции {2}: "
    "не больше {3} {unit}",
    "Ни при одном угле от {0} до {1}° при степени функции {2} каскад не получается: {4}",
    "g1 = {1} недостижимо при степени функции {2}: между {5} и {6}° g1 принимает значения от {3} "
    "до {4}",
    "{label}: «{0}» — нет ни одной от 1 до 9, у которой искать максимум",
    "Диаграмма: значения кривых не прочитаны",
    "{label}: только для расчета каскада (--stage)",
    "{label}: нельзя вместе с --{0}",
    "Задайте напряжение питания E",
    "Задайте выходную мощность P",
    "{label}: --{0} этого не использует",
    "{label}: --stage этого не использует — гармоника каскада задается как --harmonic N",
    "{label}: --{0} использует это только для диаграммы, с --svg",
    "{label}: таблица использует это только для η и ηn в --show",
    "{label}: «{0}» — без α, рядом с которой --phases ставит фазы",
    "{label}: {0} значений — это {1} поисков, больше {2}",
    "{label}: не задано имя файла",
    "{label}: кривые {0} значений с несколькими гармониками на диаграмме не различить — не больше "
    "{1}, а с одной гармоникой — до {2}",
    "{label}: кривые {0} значений на одной диаграмме не различить — не больше {1}",
    "{label}: только вместе с законом прибора — задайте S и E'",
    "{label}: {0} {unit} — меньше, чем нужно каскаду при θ = {1}° и степени функции {2}: "
    "{3} {unit}",
    "{label}: не больше {0} {unit} при углах от {1} до {2}° и степени функции {3} — при "
    "θ = {4}°, предел: {6}",
    "{label}: для {0} Вт нужно не меньше {1} {unit}",
    "{label}: мощность ничем не ограничена — задайте Sкр или допустимые Iмакс, I0 или Pрас",
    "{label}: КПД ничем не ограничен — задайте Sкр или допустимое Uмакс меньше 2E = {0} В",
    "{label}: {0} В — не выше напряжения питания {1} В: его не выдержит никакое напряжение на "
    "нагрузке",
    "α{3} не больше 0 ни при одном угле от {0} до {1}° при степени функции {2}: гармоники {3} "
    "нет",
    "{label}: только для выходной цепи",
    "{label}: введите число{range}",
    "Задайте одно из двух: Q или L",
    "{label}: «{0}» — не число дБ и не одно из: {1}",
    "{label}: на {0} МГц ни одно правило не действует — задайте норму в дБ",
    "{label}: «{0}» не действует на {1} МГц",
    "{label}: {0} — мало: {4} с {2} Ом на {3} Ом требует Q больше {1}",
    "{label}: {0} — мало: потери в катушке забрали бы всю мощность, нужно больше {1}",
    "{label}: {0} {unit} не согласует {3} Ом с {4} Ом на {5} МГц — подойдет катушка больше {1} "
    "и не больше {2} {unit}",
    "{label}: {0} {unit} — не меньше емкости цепи на выходе прибора, {1} {unit}",
    "{label}: «{0}» не согласует {1} Ом с теми же {1} Ом — подойдет pi",
    "{label}: {0} {unit} — нужно больше нагрузки, {1} {unit}",
    "{label}: контур с такими Q и ρ дает не больше {1} Ом, меньше {0} Ом — увеличьте Q или ρ",
    "{label}: при таких значениях величины цепи выходят за пределы чисел, которые может хранить "
    "программа",
};

constexpr bool none_empty(std::span<const std::string_view> words) {
  return std::none_of(words.begin(), words.end(), [](std::string_view w) { return w.empty(); });
}

// A kind added without its words in both catalogues would read beyond them, or tell nothing.
static_assert(std::size(kEnglish) == static_cast<std::size_t>(Kind::network_beyond_numbers) + 1 &&
              std::size(kRussian) == std::size(kEnglish));
static_assert(none_empty(kEnglish) && none_empty(kRussian));

// An entry the refusal names that is no entry (a name mistyped, --stage) is named as it is.
Description description_of(const Refusal& refusal) {
  const Description* entry = entry_rules::named(refusal.entry);
  return entry ? *entry : Description{.name = refusal.entry, .label = refusal.entry};
}

// The bounds as a refusal in English states them: "from 4.9 to 180.1", "above 0 and at most
// 1", "at least 0 and below 1", "a finite number above 0", "a finite number".
std::string english_range(const Description& entry) {
  const std::string lowest = textio::shortest_text(entry.lowest);
  const std::string highest = textio::shortest_text(entry.highest);
  if (!std::isfinite(entry.lowest)) return "a finite number";
  if (!std::isfinite(entry.highest)) return "a finite number above " + lowest;
  if (entry.below) return "at least " + lowest + " and below " + highest;
  return entry.above ? "above " + lowest + " and at most " + highest
                     : "from " + lowest + " to " + highest;
}

// The bounds as the page states them, after a blank: " от 4.9 до 180.1", " больше 0 и не
// больше 1", " не меньше 0 и меньше 1"; nothing where there are none.
std::string russian_range(const Description& entry) {
  std::string range;
  if (std::isfinite(entry.lowest)) {
    range = entry.above ? " больше " : entry.below ? " не меньше " : " от ";
    range += textio::shortest_text(entry.lowest);
  }
  if (std::isfinite(entry.highest)) {
    range += entry.below ? " и меньше " : entry.above ? " и не больше " : " до ";
    range += textio::shortest_text(entry.highest);
  }
  return range;
}

std::string_view english_words(const Refusal& refusal, const Description& entry) {
  if (refusal.kind == Kind::not_a_number && entry.grammar == Grammar::whole_number) {
    return "'{0}' is not a whole number";
  }
  return kEnglish[static_cast<std::size_t>(refusal.kind)];
}

std::string_view russian_words(const Refusal& refusal, const Description& entry) {
  const bool number = refusal.kind == Kind::not_a_number || refusal.kind == Kind::out_of_range;
  if (number && entry.grammar == Grammar::whole_number) {
    return "{label}: «{0}» — нужно целое число{range}";
  }
  if (refusal.kind == Kind::not_a_number && refusal.values.front().empty()) {
    return "{label}: введите число{range}";
  }
  return kRussian[static_cast<std::size_t>(refusal.kind)];
}

// `words` with each of its places filled.
std::string filled(std::string_view words, const std::vector<std::string>& values,
                   const Description& entry, const std::string& range) {
  std::string text;
  for (std::size_t at = 0; at < words.size();) {
    const std::size_t open = words.find('{', at);
    const std::size_t close = words.find('}', open);
    text += words.substr(at, open - at);
    if (open == std::string_view::npos) break;
    const std::string_view place = words.substr(open + 1, close - open - 1);
    if (place == "label") {
      text += entry.label;
    } else if (place == "unit") {
      text += entry.unit;
    } else if (place == "range") {
      text += range;
    } else {
      text += values.at(static_cast<std::size_t>(place.front() - '0'));
    }
    at = close + 1;
  }
  return text;
}

}  // namespace

std::string worded(const Refusal& refusal, Language language) {
  const Description entry = description_of(refusal);
  if (language == Language::english) {
    return "--" + refusal.entry + ": " +
           filled(english_words(refusal, entry), refusal.values, entry, english_range(entry));
  }
  return filled(russian_words(refusal, entry), refusal.values, entry, russian_range(entry));
}

}  // namespace refusals
