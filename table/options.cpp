#include "table/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

#include "engine/berg.h"
#include "report/chart.h"
#include "report/headings.h"
#include "table/plain_table.h"
#include "table/stage.h"
#include "textio/error.h"
#include "textio/fields.h"

namespace table {

namespace {

constexpr int kHighestHarmonic = berg::kHarmonics - 1;

[[noreturn]] void reject(std::string_view option, const std::string& reason) {
  throw textio::Error(std::string(option) + ": " + reason);
}

// A number as a user types it: with a decimal point, or with a decimal comma as the dialogue
// takes it ("90,5").
double number(std::string_view option, const std::string& typed) {
  std::string text = typed;
  const std::size_t comma = text.find(',');
  if (comma != std::string::npos && text.find_first_of(",.", comma + 1) == std::string::npos &&
      text.find('.') == std::string::npos) {
    text[comma] = '.';
  }
  // A plus sign is skipped as the dialogue skips it; a sign after it is no number ("+-2").
  const bool plus = text.starts_with('+') && !text.starts_with("+-");
  const char* begin = text.data() + (plus ? 1 : 0);
  const char* end = text.data() + text.size();
  double value = 0.0;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    reject(option, "'" + typed + "' is beyond the numbers this program can hold");
  }
  if (text.empty() || result.ec != std::errc() || result.ptr != end || std::isnan(value)) {
    reject(option, "'" + typed + "' is not a number");
  }
  return value;
}

// A whole number as typed, such as a harmonic's.
int whole_number(std::string_view option, const std::string& typed) {
  int value = 0;
  const char* end = typed.data() + typed.size();
  const auto result = std::from_chars(typed.data(), end, value);
  if (typed.empty() || result.ec != std::errc() || result.ptr != end) {
    reject(option, "'" + typed + "' is not a whole number");
  }
  return value;
}

// The items of a list option's values, each value split at `separator`: an empty item stays,
// to be refused as what it is.
std::vector<std::string> items_of(const std::vector<std::string>& given, char separator) {
  std::vector<std::string> items;
  for (const std::string& value : given) {
    std::istringstream split(value + separator);
    for (std::string item; std::getline(split, item, separator);) items.push_back(item);
  }
  return items;
}

// Each --exponent is one exponent, or several separated by ";". A comma is not read: "1,5"
// is 1.5 to the dialogue but was a list of two to earlier versions of this program.
std::vector<double> exponents_of(const std::vector<std::string>& given) {
  std::vector<double> exponents;
  for (const std::string& item : items_of(given, ';')) {
    if (item.find(',') != std::string::npos) {
      reject("--exponent", "'" + item +
                               "' is ambiguous: write a decimal point (1.5) for one exponent, "
                               "or repeat the option (--exponent 1 --exponent 5) for several");
    }
    exponents.push_back(number("--exponent", item));
  }
  return given.empty() ? std::vector<double>{1.0} : exponents;
}

void check_range(std::string_view option, double value, double lowest, double highest) {
  if (value >= lowest && value <= highest) return;
  reject(option, textio::shortest_text(value) + " is not from " + textio::shortest_text(lowest) +
                     " to " + textio::shortest_text(highest));
}

std::vector<int> harmonics_from(int first, int last) {
  std::vector<int> harmonics;
  for (int k = first; k <= last; ++k) harmonics.push_back(k);
  return harmonics;
}

// A harmonic number from 0 to 9 taking all of `text`, or -1.
int harmonic_number(std::string_view text) {
  int number = -1;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  const bool whole = result.ec == std::errc() && result.ptr == text.data() + text.size();
  return whole && number >= 0 && number <= kHighestHarmonic ? number : -1;
}

// Each item is a harmonic ("2") or a range of them ("0-3"); the result lists each chosen
// harmonic once, in increasing order.
std::vector<int> chosen_harmonics(const std::vector<std::string>& given) {
  std::array<bool, berg::kHarmonics> chosen{};
  for (const std::string& item : items_of(given, ',')) {
    const std::size_t dash = item.find('-');
    const int first = harmonic_number(std::string_view(item).substr(0, dash));
    const int last = dash == std::string::npos
                         ? first
                         : harmonic_number(std::string_view(item).substr(dash + 1));
    if (first < 0 || last < first) {
      reject("--harmonics",
             "'" + item + "' is neither a harmonic from 0 to 9 nor a range like 0-3");
    }
    for (int k = first; k <= last; ++k) chosen[k] = true;
  }
  std::vector<int> harmonics;
  for (int k = 0; k <= kHighestHarmonic; ++k) {
    if (chosen[k]) harmonics.push_back(k);
  }
  return harmonics;
}

std::vector<quantity::Id> shown_quantities(const std::vector<std::string>& names) {
  std::vector<quantity::Id> shown;
  for (const std::string& name : items_of(names, ',')) {
    const std::optional<quantity::Id> id = quantity::named(name);
    if (!id) reject("--show", "'" + name + "' is not one of " + quantity::names());
    if (std::find(shown.begin(), shown.end(), *id) == shown.end()) shown.push_back(*id);
  }
  return shown;
}

// The help of --show: each quantity and what it is.
std::string show_help() {
  std::string help = "What each row shows, any of:\n";
  for (const quantity::Description& quantity : quantity::all()) {
    const std::string name = quantity.name;
    help +=
        "  " + name + std::string(7 - name.size(), ' ') + headings::meaning_of(quantity.id) + "\n";
  }
  return help +
         "CSV adds their columns to its usual ones; the\n"
         "chart draws γ when gamma is shown without alpha";
}

// The items of a list option as the user gave them.
std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text.append(text.empty() ? "" : ",").append(item);
  return text;
}

bool shows(const std::vector<quantity::Id>& shown, quantity::Id id) {
  return std::find(shown.begin(), shown.end(), id) != shown.end();
}

// The angles must rise from one row to the next.
void check_rows(const Options& options) {
  const sweep::Range& angles = options.angles;
  const auto exponents = static_cast<std::int64_t>(options.exponents.size());
  if (exponents > rows::kMostRows) {
    reject("--exponent", "the list has more than " + std::to_string(rows::kMostRows) + " values");
  }
  const std::int64_t count = sweep::count(angles, rows::kMostRows);
  if (const std::optional<double> repeated = sweep::first_repeated(angles, count)) {
    reject("--step", textio::shortest_text(angles.step) +
                         " is too small: neighbouring angles near " +
                         textio::shortest_text(*repeated) + " are equal");
  }
  if (count > rows::kMostRows) {
    reject("--step", textio::shortest_text(angles.step) + " makes more than " +
                         std::to_string(rows::kMostRows) + " rows");
  }
  if (count * exponents > rows::kMostRows) {
    reject("--exponent", std::to_string(exponents) + " exponents of " + std::to_string(count) +
                             " angles each make more than " + std::to_string(rows::kMostRows) +
                             " rows");
  }
}

// The harmonics each view takes when --harmonics is not given: the table as many as fit, CSV
// all, --optimum 1 to 9, the chart its own.
void resolve_harmonics(Options& options, const Given& given) {
  std::optional<std::vector<int>> chosen;
  if (!given.harmonics.empty()) chosen = chosen_harmonics(given.harmonics);
  options.view.harmonics = chosen        ? *chosen
                           : options.csv ? harmonics_from(0, kHighestHarmonic)
                                         : fitting_harmonics(options.view);
  options.chart = answer_charts::berg_choice(chosen, options.view.shown);
  const std::vector<int> candidates = chosen ? *chosen : harmonics_from(1, kHighestHarmonic);
  std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(options.optimum_harmonics),
               [](int k) { return k >= 1; });
}

Answer answer_of(const Given& given) {
  if (given.stage) return Answer::stage;
  if (given.optimum) return Answer::optimum;
  if (given.has("--angle-for-g1")) return Answer::angle_for_g1;
  return Answer::rows;
}

// The option library takes the argument after an option for its value whatever it is: one that
// is itself an option means the value was left out (the next one's value then looks like an
// argument of none).
std::string not_an_option(const std::string& value) {
  return value.starts_with("--") ? "lacks its value: '" + value + "' is an option" : "";
}

// The options that only a stage takes, --xi aside, which the table's efficiency takes too.
constexpr const char* kStageOptions[] = {"--supply", "--power",  "--saturation",
                                         "--slope",  "--cutoff", "--harmonic"};

// Which of the stage's options go together, and that --stage has what it needs.
void check_stage_given(const Given& given) {
  for (const char* option : kStageOptions) {
    if (!given.stage && given.has(option)) reject(option, "is for --stage only");
  }
  if (!given.stage) return;
  if (given.optimum) reject("--stage", "cannot be given with --optimum");
  if (given.has("--angle-for-g1")) reject("--stage", "cannot be given with --angle-for-g1");
  if (!given.has("--supply")) reject("--stage", "needs the supply voltage, --supply E");
  if (!given.has("--power")) reject("--stage", "needs the output power, --power P");
  if (given.has("--xi") == given.has("--saturation")) {
    reject("--stage",
           "needs either the voltage utilisation --xi X or the saturation slope --saturation S, "
           "one of the two");
  }
  if (given.has("--slope") != given.has("--cutoff")) {
    reject(given.has("--slope") ? "--slope" : "--cutoff",
           "needs the other half of the device's law, --slope S --cutoff E'");
  }
}

// How an answer uses an option that not every answer uses.
enum class Use {
  never,
  for_the_chart,   // with --svg: the chart of --optimum and --angle-for-g1 draws the rows
  for_efficiency,  // for eta and etan in --show
  always,
};

// Each such option and its use by each answer, in the order of Answer.
struct OptionUse {
  const char* option;
  std::array<Use, 4> by_answer;
};
constexpr Use kNever = Use::never, kChart = Use::for_the_chart, kAlways = Use::always;
constexpr OptionUse kOptionUses[] = {
    {"--from", {kAlways, kChart, kChart, kAlways}},
    {"--to", {kAlways, kChart, kChart, kAlways}},
    {"--step", {kAlways, kChart, kChart, kAlways}},
    {"--harmonics", {kAlways, kAlways, kChart, kNever}},
    {"--show", {kAlways, kChart, kChart, kNever}},
    {"--phases", {kAlways, kNever, kNever, kNever}},
    {"--exact", {kAlways, kChart, kChart, kNever}},
    {"--xi", {Use::for_efficiency, kNever, kAlways, kAlways}},
};

std::string answer_name(Answer answer) {
  switch (answer) {
    case Answer::rows:
      break;
    case Answer::optimum:
      return "--optimum";
    case Answer::angle_for_g1:
      return "--angle-for-g1";
    case Answer::stage:
      return "--stage";
  }
  return "the table";
}

bool shows_efficiency(const Given& given) {
  const std::vector<std::string> names = items_of(given.shown, ',');
  return std::find(names.begin(), names.end(), "eta") != names.end() ||
         std::find(names.begin(), names.end(), "etan") != names.end();
}

// The option meant where `option` is not used, if it is a likely slip.
std::string hint_for(std::string_view option, Answer answer) {
  return option == "--harmonics" && answer == Answer::stage ? ": its harmonic is --harmonic N" : "";
}

// An option the answer would ignore is a slip (--harmonics for --harmonic), not a wish.
void check_used(const Given& given) {
  const Answer answer = answer_of(given);
  const std::string name = answer_name(answer);
  for (const OptionUse& option : kOptionUses) {
    if (!given.has(option.option)) continue;
    switch (option.by_answer[static_cast<std::size_t>(answer)]) {
      case Use::never:
        reject(option.option, "is not used by " + name + hint_for(option.option, answer));
      case Use::for_the_chart:
        if (!given.has("--svg"))
          reject(option.option, "is used by " + name + " only for its chart, with --svg");
        break;
      case Use::for_efficiency:
        if (!shows_efficiency(given))
          reject(option.option, "is used by " + name + " only for eta and etan in --show");
        break;
      case Use::always:
        break;
    }
  }
}

void resolve_stage(stage::Inputs& inputs, const Given& given) {
  inputs.supply = number("--supply", given.supply);
  inputs.power = number("--power", given.power);
  if (given.has("--harmonic")) inputs.harmonic = whole_number("--harmonic", given.harmonic);
  if (given.has("--xi")) inputs.xi = number("--xi", given.xi);
  if (given.has("--saturation")) inputs.saturation = number("--saturation", given.saturation);
  if (given.has("--slope")) {
    inputs.device = stage::Device{number("--slope", given.slope), number("--cutoff", given.cutoff)};
  }
}

void check_positive(std::string_view option, double value) {
  if (!(value > 0.0 && std::isfinite(value))) {
    reject(option, textio::shortest_text(value) + " is not a finite number above 0");
  }
}

void check_stage(const stage::Inputs& inputs) {
  check_positive("--supply", inputs.supply);
  check_positive("--power", inputs.power);
  if (inputs.saturation) check_positive("--saturation", *inputs.saturation);
  if (inputs.device) check_positive("--slope", inputs.device->slope);
  if (inputs.device && !std::isfinite(inputs.device->cutoff)) {
    reject("--cutoff", textio::shortest_text(inputs.device->cutoff) + " is not a finite number");
  }
  if (inputs.harmonic < 1 || inputs.harmonic > kHighestHarmonic) {
    reject("--harmonic", std::to_string(inputs.harmonic) + " is not from 1 to 9");
  }
}

// The options of a stage.
void add_stage_options(CLI::App& app, Given& given) {
  app.add_flag("--stage", given.stage,
               "Instead of the rows: the whole stage at each angle,\n"
               "from --supply, --power and --xi or --saturation");
  app.add_option("--supply", given.supply, "Supply voltage E of the stage, volts")->type_name("E");
  app.add_option("--power", given.power, "Output power at the harmonic, watts")->type_name("P");
  app.add_option("--harmonic", given.harmonic,
                 "The stage's harmonic n: 1 for an amplifier, 2 to 9\n"
                 "for a frequency multiplier [1]")
      ->type_name("N");
  app.add_option("--saturation", given.saturation,
                 "Slope of the saturation line, A/V: the stage in\n"
                 "the critical regime (instead of --xi)")
      ->type_name("S_CR");
  app.add_option("--slope", given.slope, "Slope S of the device's law i = S (u - E')^p")
      ->type_name("S");
  app.add_option("--cutoff", given.cutoff,
                 "Cut-off voltage E' of that law, volts: with\n"
                 "--slope, the drive and the bias")
      ->type_name("E'");
}

// Each harmonic of --optimum and each exponent of --angle-for-g1 is a search of its own.
void check_searches(const Options& options) {
  const auto exponents = static_cast<std::int64_t>(options.exponents.size());
  const auto harmonics = static_cast<std::int64_t>(options.optimum_harmonics.size());
  const std::int64_t searches = options.answer == Answer::optimum        ? exponents * harmonics
                                : options.answer == Answer::angle_for_g1 ? exponents
                                                                         : 0;
  if (searches > rows::kMostSearches) {
    reject("--exponent", std::to_string(exponents) + " exponents make " + std::to_string(searches) +
                             " searches, more than " + std::to_string(rows::kMostSearches));
  }
}

}  // namespace

bool Given::has(std::string_view option) const {
  return std::find(named.begin(), named.end(), option) != named.end();
}

Options resolve(const Given& given) {
  check_stage_given(given);
  check_used(given);
  Options options;
  options.answer = answer_of(given);
  options.csv = given.csv;
  options.pass = given.exact ? rows::Pass::exact : rows::Pass::sampled;
  options.exponents = exponents_of(given.exponents);
  options.angles = {number("--from", given.from), number("--to", given.to),
                    number("--step", given.step)};
  options.view.xi = given.has("--xi") ? number("--xi", given.xi) : 1.0;
  options.view.phases = given.phases;
  options.view.decimal_comma = given.decimal_comma;
  if (options.answer == Answer::angle_for_g1) {
    options.target_g1 = number("--angle-for-g1", given.target_g1);
  }
  options.view.shown = shown_quantities(given.shown);
  resolve_harmonics(options, given);
  options.svg_file = given.svg_file;
  if (given.stage) resolve_stage(options.stage, given);
  return options;
}

void check(const Options& options, const Given& given) {
  for (double exponent : options.exponents) {
    check_range("--exponent", exponent, berg::kLowestExponent, berg::kHighestExponent);
  }
  const sweep::Range& angles = options.angles;
  check_range("--from", angles.from, berg::kLowestAngle, berg::kHighestAngle);
  check_range("--to", angles.to, berg::kLowestAngle, berg::kHighestAngle);
  if (!(angles.step > 0.0 && std::isfinite(angles.step))) {
    reject("--step", textio::shortest_text(angles.step) + " is not a finite number above 0");
  }
  if (angles.from > angles.to) {
    reject("--from", textio::shortest_text(angles.from) + " is above --to " +
                         textio::shortest_text(angles.to));
  }
  if (!(options.view.xi > 0.0 && options.view.xi <= 1.0)) {
    reject("--xi", textio::shortest_text(options.view.xi) + " is not above 0 and at most 1");
  }
  if (options.view.phases && !options.view.shown.empty() &&
      !shows(options.view.shown, quantity::Id::alpha)) {
    reject("--show",
           "'" + joined(given.shown) + "' leaves out alpha, beside which --phases puts the phases");
  }
  if (options.answer == Answer::optimum && options.optimum_harmonics.empty()) {
    reject("--harmonics",
           "'" + joined(given.harmonics) + "' has no harmonic from 1 to 9 for --optimum");
  }
  if (options.answer == Answer::stage) check_stage(options.stage);
  check_rows(options);
  check_searches(options);
  if (given.has("--svg") && options.svg_file.empty()) reject("--svg", "the file name is empty");
  if (!options.svg_file.empty()) {
    const std::string refusal = chart::too_many_curves(
        options.exponents.size(), options.answer == Answer::stage ? answer_charts::kStageSeries
                                                                  : options.chart.harmonics.size());
    if (!refusal.empty()) reject("--svg", refusal);
  }
}

Command parse_command_line(int argc, const char* const* argv) {
  Given given;
  CLI::App app{
      "Berg coefficients of the cut-off cosine pulse for a range of cut-off angles\n"
      "θ, where θ is half the conduction angle (many English sources quote the\n"
      "whole angle, 2θ): a table, CSV or a chart, the angle at which each harmonic\n"
      "is strongest, and the angle that gives a wanted g1. Numbers take a decimal\n"
      "point or a decimal comma (90,5).",
      "k-berg-table"};
  app.set_version_flag("--version", "k-berg-table " K_BERG_VERSION);
  app.add_option("--exponent", given.exponents,
                 "Exponent of the pulse function, 0.93 to 5.01;\n"
                 "repeat the option (or separate exponents by ;)\n"
                 "for one block of rows each [1]")
      ->type_name("P");
  app.add_option("--from", given.from, "First cut-off angle θ, degrees, 4.9 to 180.1 [5]")
      ->type_name("A");
  app.add_option("--to", given.to, "Last cut-off angle θ at most, 4.9 to 180.1 [180]")
      ->type_name("B");
  app.add_option("--step", given.step, "Step between angles, degrees, above 0 [5]")->type_name("S");
  app.add_option("--harmonics", given.harmonics,
                 "Harmonics to show, such as 0-3 or 1,2,3 [in the\n"
                 "table as many of 0-9 as fit in 79 columns; 0-9\n"
                 "in CSV, 0-3 on the chart, 1-9 with --optimum]")
      ->type_name("LIST");
  app.add_option("--show", given.shown, show_help())->type_name("LIST");
  app.add_option("--xi", given.xi, "Voltage utilisation ξ of η and of a stage,\n0 < ξ <= 1 [1]")
      ->type_name("X");
  CLI::Option* optimum = app.add_flag("--optimum", given.optimum)
                             ->description(
                                 "Instead of the rows: for each exponent and\n"
                                 "harmonic n >= 1 the angle of the first maximum\n"
                                 "of αn and that maximum, and the same for γn");
  CLI::Option* target = app.add_option("--angle-for-g1", given.target_g1,
                                       "Instead of the rows: for each exponent the angle\n"
                                       "at which g1 = α1/α0 equals G, and η there")
                            ->type_name("G");
  optimum->excludes(target);
  app.add_flag("--csv", given.csv,
               "Comma-separated values, always with the moduli\nand the phases");
  app.add_flag("--phases", given.phases, "The phase beside the modulus |αn| in the table");
  app.add_flag("--exact", given.exact,
               "Rows, CSV and chart from the true Berg integral\n"
               "instead of the dialogue's 4096 samples");
  app.add_flag("--decimal-comma", given.decimal_comma,
               "Numbers with a decimal comma, and CSV fields\nseparated by ;, as a Russian-locale "
               "spreadsheet\nopens them");
  app.add_option("--svg", given.svg_file,
                 "Also draw the Berg chart as SVG into FILE; with\n"
                 "FILE -, on standard output instead of the table")
      ->type_name("FILE");
  add_stage_options(app, given);
  for (CLI::Option* option : app.get_options()) {
    if (option->get_type_size_max() > 0) option->check(not_an_option);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& shown) {
    std::ostringstream text;
    app.exit(shown, text, text);
    return {false, text.str(), {}};
  } catch (const CLI::ParseError& error) {
    throw textio::Error(error.what());
  }
  for (const CLI::Option* option : app.get_options()) {
    if (option->count() > 0) given.named.push_back(option->get_name());
  }
  const Options options = resolve(given);
  check(options, given);
  return {true, "", options};
}

}  // namespace table
