// What each entry k-berg-table and the page take is, once for both: its name, its help, its
// label, its bounds, what it stands for where it is absent, and how its text is read. Each
// reader takes the text as typed and gives the value or a refusal; k-berg-table and the page
// read through the same ones, so that they take and refuse the same texts.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/antenna.h"
#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/regime.h"
#include "engine/sweep.h"
#include "report/refusals.h"
#include "textio/messages.h"

namespace entry_rules {

// How an entry's text is read.
enum class Grammar {
  number,        // with a decimal point or a decimal comma: "90.5", "90,5"
  numbers,       // numbers separated by ";", where a comma is ambiguous: "1;1.5"
  whole_number,  // digits alone: not "2.0", not "+2"
  harmonics,     // harmonics from 0 to 9 and ranges of them separated by ",": "0-3,5"
  names,         // quantities' names separated by ",": "alpha,g1"
  name,          // one of the entry's names: "pi", "power"; for --limit a number too
  flag,          // present or absent, its text unread
  file_name,     // taken as typed
};

constexpr double kNoBound = std::numeric_limits<double>::infinity();

struct Description {
  std::string_view name;  // the long option without dashes, the page's name for it too
  // The help of --help, with {lowest}, {highest}, {default} and {quantities} standing for
  // the bounds, the default and the list of quantities; empty for an entry of the page alone.
  std::string_view help = "";
  std::string_view label = "";  // as the page's refusals name it
  std::string_view unit = "";   // as the page writes it; empty for a pure number
  Grammar grammar = Grammar::number;
  double lowest = -kNoBound;  // an infinite bound is no bound; a finite number is asked for
  double highest = kNoBound;
  bool above = false;  // `lowest` itself is refused
  bool below = false;  // `highest` itself is refused
  // The text an absent entry stands for; empty where one must be typed, or where what it
  // stands for depends on the answer asked for (the harmonics shown).
  std::string_view absent = "";
  // The page's form names it thus, with {lowest}, {highest} and {unit} as in the help; empty
  // for an entry no form has a field for.
  std::string_view form = "";
};

inline constexpr Description kAngle{.name = "angle",
                                    .label = "Угол отсечки",
                                    .unit = "°",
                                    .lowest = berg::kLowestAngle,
                                    .highest = berg::kHighestAngle,
                                    // As the dialogue asks for it.
                                    .form = "Угол отсечки, (5-180)"};
inline constexpr Description kFrom{
    .name = "from",
    .help = messages::N_("First cut-off angle θ, degrees, {lowest} to {highest} [{default}]"),
    .label = "Начальный угол",
    .unit = "°",
    .lowest = berg::kLowestAngle,
    .highest = berg::kHighestAngle,
    .absent = "5",
    .form = "Углы от"};
inline constexpr Description kTo{
    .name = "to",
    .help = messages::N_("Last cut-off angle θ at most, {lowest} to {highest} [{default}]"),
    .label = "Конечный угол",
    .unit = "°",
    .lowest = berg::kLowestAngle,
    .highest = berg::kHighestAngle,
    .absent = "180",
    .form = "до"};
inline constexpr Description kStep{
    .name = "step",
    .help = messages::N_("Step between angles, degrees, above {lowest} [{default}]"),
    .label = "Шаг",
    .unit = "°",
    .lowest = 0.0,
    .above = true,
    .absent = "5",
    .form = "с шагом"};
inline constexpr Description kExponent{
    .name = "exponent",
    .help = messages::N_("Exponent of the pulse function, {lowest} to {highest};\n"
                         "repeat the option (or separate exponents by ;)\n"
                         "for one block of rows each [{default}]"),
    .label = "Степень функции",
    .grammar = Grammar::numbers,
    .lowest = berg::kLowestExponent,
    .highest = berg::kHighestExponent,
    .absent = "1",
    .form = "Степени функции, через ;"};
inline constexpr Description kHarmonics{
    .name = "harmonics",
    .help = messages::N_("Harmonics to show, such as 0-3 or 1,2,3 [in the\n"
                         "table as many of 0-9 as fit in 79 columns; 0-9\n"
                         "in CSV, 0-3 on the chart, 1-9 with --optimum]"),
    .label = "Гармоники",
    .grammar = Grammar::harmonics,
    .lowest = 0.0,
    .highest = berg::kHarmonics - 1,
    .form = "Гармоники, как 0-3 или 1,3,5"};
inline constexpr Description kShow{
    .name = "show",
    .help = messages::N_("What each row shows, any of:\n{quantities}"
                         "CSV adds their columns to its usual ones; the\n"
                         "chart draws γ when gamma is shown without alpha"),
    .label = "Показать",
    .grammar = Grammar::names,
    .form = "Показать"};
inline constexpr Description kXi{.name = "xi",
                                 .help = messages::N_("Voltage utilisation ξ of η and of a stage,\n"
                                                      "{lowest} < ξ <= {highest} [{default}]"),
                                 .label = "ξ",
                                 .lowest = 0.0,
                                 .highest = 1.0,
                                 .above = true,
                                 .absent = "1",
                                 .form = "ξ для КПД η"};
inline constexpr Description kExact{
    .name = "exact",
    .help = messages::N_("Rows, CSV and chart from the true Berg integral\n"
                         "instead of the dialogue's 4096 samples"),
    .label = "По интегралу Берга",
    .grammar = Grammar::flag,
    .form = "по интегралу Берга, а не по 4096 отсчетам"};
inline constexpr Description kAngleForG1{
    .name = "angle-for-g1",
    .help = messages::N_("Instead of the rows: for each exponent the angle\n"
                         "at which g1 = α1/α0 equals G, and η there"),
    .label = "g1",
    .form = "g1 = α1/α0"};
inline constexpr Description kDecimalComma{
    .name = "decimal-comma",
    .help = messages::N_("Numbers with a decimal comma, and CSV fields\n"
                         "separated by ;, as a Russian-locale spreadsheet\nopens them"),
    .label = "Десятичная запятая",
    .grammar = Grammar::flag};
inline constexpr Description kSupply{.name = "supply",
                                     .help = messages::N_("Supply voltage E of the stage, volts"),
                                     .label = "E",
                                     .unit = "В",
                                     .lowest = 0.0,
                                     .above = true,
                                     .form = "Напряжение питания E, {unit}"};
inline constexpr Description kPower{.name = "power",
                                    .help = messages::N_("Output power at the harmonic, watts"),
                                    .label = "P",
                                    .unit = "Вт",
                                    .lowest = 0.0,
                                    .above = true,
                                    .form = "Мощность Pn, {unit}"};
inline constexpr Description kHarmonic{
    .name = "harmonic",
    .help = messages::N_("The stage's harmonic n: 1 for an amplifier, 2 to 9\n"
                         "for a frequency multiplier [{default}]"),
    .label = "Гармоника n",
    .grammar = Grammar::whole_number,
    .lowest = 1.0,
    .highest = berg::kHarmonics - 1,
    .absent = "1",
    .form = "Гармоника n: {lowest} — усилитель, 2-{highest} — умножитель"};
inline constexpr Description kSaturation{
    .name = "saturation",
    .help = messages::N_("Slope of the saturation line, A/V: the stage in\n"
                         "the critical regime (instead of --xi)"),
    .label = "Sкр",
    .unit = "А/В",
    .lowest = 0.0,
    .above = true,
    .form = "или Sкр, {unit}: критический режим"};
inline constexpr Description kSlope{
    .name = "slope",
    .help = messages::N_("Slope S of the device's law i = S (u - E')^p, A/V^p"),
    .label = "S",
    .unit = "А/В^p",
    .lowest = 0.0,
    .above = true,
    .form = "Прибор i = S (u - E')^p: S, {unit}"};
inline constexpr Description kCutoff{
    .name = "cutoff",
    .help = messages::N_("Cut-off voltage E' of that law, volts: with\n"
                         "--slope, the drive and the bias"),
    .label = "E'",
    .unit = "В",
    .form = "и E', {unit}"};

// A tube's law, and what the device bears: the limits a stage keeps, and the best regime.
inline constexpr Description kPermeance{
    .name = "permeance",
    .help = messages::N_("Permeance D = 1/mu of a tube: the law becomes\n"
                         "i = S (u_g + D u_a - E')^p, {lowest} <= D < {highest} [{default}]"),
    .label = "D",
    .lowest = 0.0,
    .highest = 1.0,
    .below = true,
    .absent = "0",
    .form = "и проницаемость D = 1/μ"};
inline constexpr Description kMaxDissipation{
    .name = "max-dissipation",
    .help = messages::N_("The device's largest dissipation, watts: a row\n"
                         "beyond a limit marks the value, --best keeps it"),
    .label = "Pрас доп",
    .unit = "Вт",
    .lowest = 0.0,
    .above = true,
    .form = "Допустимые: Pрас, {unit}"};
inline constexpr Description kMaxPeakCurrent{
    .name = "max-peak-current",
    .help = messages::N_("The device's largest peak current, amperes, as\n--max-dissipation"),
    .label = "Iмакс доп",
    .unit = "А",
    .lowest = 0.0,
    .above = true,
    .form = "Iмакс, {unit}"};
inline constexpr Description kMaxVoltage{
    .name = "max-voltage",
    .help = messages::N_("The largest peak voltage on the device, volts,\nas --max-dissipation"),
    .label = "Uмакс доп",
    .unit = "В",
    .lowest = 0.0,
    .above = true,
    .form = "Uмакс, {unit}"};
inline constexpr Description kMaxDirectCurrent{
    .name = "max-direct-current",
    .help = messages::N_("The device's largest direct current, amperes,\nas --max-dissipation"),
    .label = "I0 доп",
    .unit = "А",
    .lowest = 0.0,
    .above = true,
    .form = "I0, {unit}"};
inline constexpr Description kBest{
    .name = "best",
    .help = messages::N_("power or efficiency: instead of each angle, for\n"
                         "each exponent the regime (angle to 0.01 degree,\n"
                         "xi) of the most power, or of the highest\n"
                         "efficiency at --power, within the limits and the\n"
                         "saturation line"),
    .label = "Лучший режим",
    .grammar = Grammar::name,
    .form = "Лучший режим"};
// The entries of k-berg-table alone: no form of the page has them, and it refuses their names
// (its views stand for --optimum and --stage).
inline constexpr Description kOptimum{
    .name = "optimum",
    .help = messages::N_("Instead of the rows: for each exponent and\n"
                         "harmonic n >= 1 the angle of the first maximum\n"
                         "of αn and that maximum, and the same for γn"),
    .label = "Лучшие углы",
    .grammar = Grammar::flag};
inline constexpr Description kCsv{
    .name = "csv",
    .help = messages::N_("Comma-separated values, always with the moduli\n"
                         "and the phases"),
    .label = "CSV",
    .grammar = Grammar::flag};
inline constexpr Description kPhases{
    .name = "phases",
    .help = messages::N_("The phase beside the modulus |αn| in the table"),
    .label = "Фазы",
    .grammar = Grammar::flag};
inline constexpr Description kSvg{
    .name = "svg",
    .help = messages::N_("Also draw the Berg chart as SVG into FILE; with\n"
                         "FILE -, on standard output instead of the table"),
    .label = "Диаграмма SVG",
    .grammar = Grammar::file_name};
inline constexpr Description kStage{
    .name = "stage",
    .help = messages::N_("Instead of the rows: the whole stage at each angle,\n"
                         "from --supply, --power and --xi or --saturation,\n"
                         "or with --best at the best angle"),
    .label = "Каскад",
    .grammar = Grammar::flag};

// The output network, after a stage or alone.
inline constexpr Description kNetwork{
    .name = "network",
    .help = messages::N_("The output network after --stage, or alone with\n"
                         "--resistance: pi, pi-l (a pi, then an L), l (the\n"
                         "low-pass L), l-high (the high-pass L) or tank (a\n"
                         "parallel tank, the device on a tap)"),
    .label = "Цепь",
    .grammar = Grammar::name,
    .form = "Выходная цепь: pi, pi-l, l, l-high, tank"};
inline constexpr Description kResistance{
    .name = "resistance",
    .help = messages::N_("The network alone: the R_e it presents, ohms"),
    .label = "Rэ",
    .unit = "Ом",
    .lowest = 0.0,
    .above = true,
    .form = "Сопротивление Rэ, {unit}"};
inline constexpr Description kFrequency{
    .name = "frequency",
    .help = messages::N_("Working frequency f of the network, MHz"),
    .label = "f",
    .unit = "МГц",
    .lowest = 0.0,
    .above = true,
    .form = "Частота f, {unit}"};
inline constexpr Description kLoad{
    .name = "load",
    .help = messages::N_("The load (the antenna) R2, ohms [{default}]"),
    .label = "Rн",
    .unit = "Ом",
    .lowest = 0.0,
    .above = true,
    .absent = "50",
    .form = "Нагрузка (антенна) Rн, {unit}"};
inline constexpr Description kQ{.name = "q",
                                .help = messages::N_("Loaded Q of a pi, a pi-l or a tank"),
                                .label = "Q",
                                .lowest = 0.0,
                                .above = true,
                                .form = "Нагруженная добротность Q"};
inline constexpr Description kQDefinition{
    .name = "q-definition",
    .help = messages::N_("What --q of a pi is: sum, Q1 + Q2 of its two L\n"
                         "sections (handbooks since the mid-1990s), or\n"
                         "input, R_e/X_C1 (older handbooks) [{default}]"),
    .label = "Определение Q",
    .grammar = Grammar::name,
    .absent = "sum",
    .form = "Q как sum (Q1 + Q2) или input (Rэ/XC1)"};
inline constexpr Description kInductance{
    .name = "inductance",
    .help = messages::N_("The coil of a pi or a pi-l, µH, instead of --q"),
    .label = "L",
    .unit = "мкГн",
    .lowest = 0.0,
    .above = true,
    .form = "или катушка L, {unit}"};
inline constexpr Description kCoilQ{
    .name = "coil-q",
    .help = messages::N_("Unloaded Q0 of the coil [none: a lossless coil]"),
    .label = "Q0",
    .lowest = 0.0,
    .above = true,
    .form = "Собственная добротность катушки Q0"};
inline constexpr Description kOutputCapacitance{
    .name = "output-capacitance",
    .help = messages::N_("The device's output capacitance, pF, taken out\n"
                         "of the network's capacitor across the device"),
    .label = "Cвых",
    .unit = "пФ",
    .lowest = 0.0,
    .above = true,
    .form = "Выходная емкость прибора, {unit}"};
inline constexpr Description kIntermediate{
    .name = "intermediate",
    .help = messages::N_("A pi-l's resistance between its pi and its L,\n"
                         "ohms, above --load [√(R_e R2), at least 2 R2]"),
    .label = "Rпр",
    .unit = "Ом",
    .lowest = 0.0,
    .above = true,
    .form = "Промежуточное сопротивление П-L, {unit}"};
inline constexpr Description kRho{.name = "rho",
                                  .help = messages::N_("A tank's characteristic impedance ρ, ohms\n"
                                                       "[R_e/Q: the device across the whole coil]"),
                                  .label = "ρ",
                                  .unit = "Ом",
                                  .lowest = 0.0,
                                  .above = true,
                                  .form = "Характеристическое сопротивление контура ρ, {unit}"};
inline constexpr Description kLimit{
    .name = "limit",
    .help = messages::N_("Limit on every other harmonic, dB below the\n"
                         "wanted one, or a rule: below-30-mhz (43 dB),\n"
                         "sm329 (43 + 10 lg P dB, P the watts into the\n"
                         "load, at most 50 dB) or 30-225-mhz (60 dB)\n"
                         "[the rule of the frequency's band]"),
    .label = "Норма",
    .unit = "дБ",
    .grammar = Grammar::name,
    .lowest = 0.0,
    .form = "Норма на гармоники, {unit}, или below-30-mhz, sm329, 30-225-mhz"};

// Every entry the page takes, for a name looked up.
inline constexpr const Description* kAll[] = {&kAngle,
                                              &kFrom,
                                              &kTo,
                                              &kStep,
                                              &kExponent,
                                              &kHarmonics,
                                              &kShow,
                                              &kXi,
                                              &kExact,
                                              &kAngleForG1,
                                              &kDecimalComma,
                                              &kSupply,
                                              &kPower,
                                              &kHarmonic,
                                              &kSaturation,
                                              &kSlope,
                                              &kCutoff,
                                              &kPermeance,
                                              &kMaxDissipation,
                                              &kMaxPeakCurrent,
                                              &kMaxVoltage,
                                              &kMaxDirectCurrent,
                                              &kBest,
                                              &kNetwork,
                                              &kResistance,
                                              &kFrequency,
                                              &kLoad,
                                              &kQ,
                                              &kQDefinition,
                                              &kInductance,
                                              &kCoilQ,
                                              &kOutputCapacitance,
                                              &kIntermediate,
                                              &kRho,
                                              &kLimit};

// The names of --network in the order of network::Form, of --q-definition in the order of
// network::Definition, and of --limit's rules in the order of network::Rule.
inline constexpr std::string_view kNetworkNames[] = {"pi", "l", "l-high", "pi-l", "tank"};
inline constexpr std::string_view kDefinitionNames[] = {"input", "sum"};
inline constexpr std::string_view kRuleNames[] = {"below-30-mhz", "sm329", "30-225-mhz"};

// The entry of that name; nothing where there is none.
const Description* named(std::string_view name);

// The help of --help in the language chosen, its bounds and default filled in.
std::string help_of(const Description& entry);
// The form's name for it, its bounds and unit filled in.
std::string form_label_of(const Description& entry);

// The value read, or why the text was refused.
template <typename Value>
struct Read {
  Value value{};
  std::optional<refusals::Refusal> refusal;
};

// A number as typed, without its bounds: a decimal point or a decimal comma, an optional sign
// and exponent; an infinity as "inf", which its bounds refuse; no blanks.
Read<double> read_number(const Description& entry, std::string_view typed);
// A refusal of `value` (typed as `typed`) where it is beyond the entry's bounds: an entry with
// no bound still asks for a finite number.
std::optional<refusals::Refusal> refusal_of_bounds(const Description& entry, double value,
                                                   std::string_view typed);
// Both of these.
Read<double> read_bounded(const Description& entry, std::string_view typed);
// The numbers of each text given, separated by ";"; the entry's absent text where none is.
// Each within the entry's bounds where `bounded` is set.
Read<std::vector<double>> read_numbers(const Description& entry,
                                       const std::vector<std::string>& given, bool bounded = false);
// A whole number, without its bounds.
Read<int> read_whole_number(const Description& entry, std::string_view typed);
// The harmonics of each text given, each once, in increasing order.
Read<std::vector<int>> read_harmonics(const std::vector<std::string>& given);
// The quantities of each text given, each once, in the order given.
Read<std::vector<quantity::Id>> read_shown(const std::vector<std::string>& given);
// What the best regime makes the most of: "power" or "efficiency".
Read<regime::Goal> read_goal(std::string_view typed);

// The text of each entry given, by name; nothing for an entry not given.
using Typed = std::function<std::optional<std::string>(std::string_view name)>;

// What the entries of an output network give: the chain from the device to the antenna, the
// network's inputs in the engine's units (hertz, henries, farads) and the limit; its stage and
// its wanted harmonic are for the caller to set.
struct NetworkEntries {
  antenna::Inputs chain;
  // The numbers as typed in their units, for the words of a refusal.
  double megahertz = 0.0, microhenries = 0.0, picofarads = 0.0;
};

// Each entry of an output network read, with the defaults of those absent, and every refusal
// of them: after a stage (`stage`), which gives the load and the power; else the network
// alone, which needs --resistance, and whose power is --power where it is given. Without
// --network, each of its entries given is refused.
struct NetworkRead {
  NetworkEntries entries;
  std::vector<refusals::Refusal> refusals;
};
NetworkRead read_network(const Typed& typed, bool stage);

// The refusals of a range of angles: its first angle above its last; a step too small to tell
// the angles near `repeated` apart, or that makes more than `most` rows.
refusals::Refusal from_above_to(const sweep::Range& range);
refusals::Refusal step_too_small(const sweep::Range& range, double repeated);
refusals::Refusal too_many_rows(const sweep::Range& range, std::int64_t most);

// The refusal of a wanted g1 that `exponent` cannot reach between the lowest and the highest
// angle.
refusals::Refusal g1_out_of_reach(double g1, double exponent);

}  // namespace entry_rules
