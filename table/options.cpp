#include "table/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

#include "engine/berg.h"
#include "report/chart.h"
#include "report/headings.h"
#include "report/network_charts.h"
#include "table/plain_table.h"
#include "table/stage.h"
#include "textio/error.h"
#include "textio/fields.h"

namespace table {

namespace {

constexpr int kHighestHarmonic = berg::kHarmonics - 1;

using entry_rules::Description;
using refusals::Kind;

// The refusals in the language chosen, a line each.
std::string worded_lines(const std::vector<refusals::Refusal>& refusals) {
  std::string lines;
  for (const refusals::Refusal& refusal : refusals) {
    if (!lines.empty()) lines += '\n';
    lines += refusals::worded(refusal, refusals::Naming::option, messages::chosen());
  }
  return lines;
}

[[noreturn]] void refuse(const Description& entry, Kind kind,
                         std::vector<std::string> values = {}) {
  throw Refused({std::string(entry.name), kind, std::move(values)});
}

// An option is refused as the entry its long name without the dashes names.
[[noreturn]] void refuse(std::string_view option, Kind kind, std::vector<std::string> values = {}) {
  throw Refused({std::string(option.substr(2)), kind, std::move(values)});
}

template <typename Value>
Value read_or_refuse(entry_rules::Read<Value> read) {
  if (read.refusal) throw Refused(std::move(*read.refusal));
  return std::move(read.value);
}

double number(const Description& entry, const std::string& typed) {
  return read_or_refuse(entry_rules::read_number(entry, typed));
}

void check_range(const Description& entry, double value) {
  const std::string text = textio::shortest_text(value);
  if (auto refusal = entry_rules::refusal_of_bounds(entry, value, text)) throw Refused(*refusal);
}

std::vector<int> harmonics_from(int first, int last) {
  std::vector<int> harmonics;
  for (int k = first; k <= last; ++k) harmonics.push_back(k);
  return harmonics;
}

// The items of a list option's values, each value split at `separator`.
std::vector<std::string> items_of(const std::vector<std::string>& given, char separator) {
  std::vector<std::string> items;
  for (const std::string& value : given) {
    std::istringstream split(value + separator);
    for (std::string item; std::getline(split, item, separator);) items.push_back(item);
  }
  return items;
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
    refuse(entry_rules::kExponent, Kind::too_many_values, {std::to_string(rows::kMostRows)});
  }
  const std::int64_t count = sweep::count(angles, rows::kMostRows);
  if (const std::optional<double> repeated = sweep::first_repeated(angles, count)) {
    throw Refused(entry_rules::step_too_small(angles, *repeated));
  }
  if (count > rows::kMostRows) {
    throw Refused(entry_rules::too_many_rows(angles, rows::kMostRows));
  }
  if (count * exponents > rows::kMostRows) {
    refuse(entry_rules::kExponent, Kind::too_many_exponent_rows,
           {std::to_string(exponents), std::to_string(count), std::to_string(rows::kMostRows)});
  }
}

// The harmonics each view takes when --harmonics is not given: the table as many as fit, CSV
// all, --optimum 1 to 9, the chart its own.
void resolve_harmonics(Options& options, const Given& given) {
  std::optional<std::vector<int>> chosen;
  if (!given.harmonics.empty())
    chosen = read_or_refuse(entry_rules::read_harmonics(given.harmonics));
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
  if (given.has("--network")) return Answer::network;
  if (given.optimum) return Answer::optimum;
  if (given.has("--angle-for-g1")) return Answer::angle_for_g1;
  return Answer::rows;
}

// The option library takes the argument after an option for its value whatever it is: one that
// is itself an option means the value was left out (the next one's value then looks like an
// argument of none).
std::function<std::string(const std::string&)> not_an_option(const std::string& option) {
  return [entry = option.substr(2)](const std::string& value) -> std::string {
    if (value.starts_with("--")) throw Refused({entry, Kind::missing_value, {value}});
    return "";
  };
}

// The options that only a stage takes, --xi aside, which the table's efficiency takes too.
constexpr const char* kStageOptions[] = {
    "--supply",           "--power",       "--saturation",         "--slope",
    "--cutoff",           "--harmonic",    "--permeance",          "--max-dissipation",
    "--max-peak-current", "--max-voltage", "--max-direct-current", "--best"};

// The best regime chooses xi over the range's angles, and the most power needs no power asked;
// it draws no chart, and has no output network after it.
void check_best_given(const Given& given) {
  if (given.has("--network")) refuse(entry_rules::kBest, Kind::not_with, {"network"});
  const regime::Goal goal = read_or_refuse(entry_rules::read_goal(given.best));
  for (const char* option : {"--xi", "--step", "--svg"}) {
    if (given.has(option)) refuse(option, Kind::not_used, {"best"});
  }
  if (goal == regime::Goal::power && given.has("--power")) {
    refuse("--power", Kind::not_used, {"best power"});
  }
  if (goal == regime::Goal::efficiency && !given.has("--power"))
    refuse("--best", Kind::needs_power);
}

// The options of a stage that an output network alone takes too: its power, for its parts'
// voltages and currents, and the harmonic it is tuned to.
bool network_takes(std::string_view option) {
  return option == "--power" || option == "--harmonic";
}

// Which of the stage's options go together, and that --stage has what it needs.
void check_stage_given(const Given& given) {
  using namespace entry_rules;
  const bool network_alone = !given.stage && given.has("--network");
  for (const char* option : kStageOptions) {
    if (!given.stage && given.has(option) && !(network_alone && network_takes(option)))
      refuse(option, Kind::stage_only);
  }
  if (network_alone && given.optimum) refuse("--network", Kind::not_with, {"optimum"});
  if (network_alone && given.has("--angle-for-g1"))
    refuse("--network", Kind::not_with, {"angle-for-g1"});
  if (!given.stage) return;
  if (given.optimum) refuse(kStage, Kind::not_with, {std::string(kOptimum.name)});
  if (given.has("--angle-for-g1")) refuse(kStage, Kind::not_with, {std::string(kAngleForG1.name)});
  if (!given.has("--supply")) refuse(kStage, Kind::needs_supply);
  if (given.has("--best")) {
    check_best_given(given);
  } else {
    if (!given.has("--power")) refuse(kStage, Kind::needs_power);
    if (given.has("--xi") == given.has("--saturation")) refuse(kStage, Kind::one_of_two);
  }
  if (given.has("--slope") != given.has("--cutoff")) {
    refuse(given.has("--slope") ? kSlope : kCutoff, Kind::half_a_law);
  }
  if (given.has("--permeance") && !given.has("--slope")) refuse("--permeance", Kind::needs_law);
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
  std::array<Use, 5> by_answer;
};
constexpr Use kNever = Use::never, kChart = Use::for_the_chart, kAlways = Use::always;
constexpr OptionUse kOptionUses[] = {
    {"--from", {kAlways, kChart, kChart, kAlways, kAlways}},
    {"--to", {kAlways, kChart, kChart, kAlways, kAlways}},
    {"--step", {kAlways, kChart, kChart, kAlways, kAlways}},
    {"--harmonics", {kAlways, kAlways, kChart, kNever, kNever}},
    {"--show", {kAlways, kChart, kChart, kNever, kNever}},
    {"--phases", {kAlways, kNever, kNever, kNever, kNever}},
    {"--exact", {kAlways, kChart, kChart, kNever, kNever}},
    {"--xi", {Use::for_efficiency, kNever, kAlways, kAlways, kNever}},
};

// The entry that asks for each answer, in the order of Answer; the rows are asked for by none,
// and use each option they take.
constexpr const char* kAnswerEntries[] = {"", "optimum", "angle-for-g1", "stage", "network"};

bool shows_efficiency(const Given& given) {
  const std::vector<std::string> names = items_of(given.shown, ',');
  return std::find(names.begin(), names.end(), "eta") != names.end() ||
         std::find(names.begin(), names.end(), "etan") != names.end();
}

// An option the answer would ignore is a slip (--harmonics for --harmonic), not a wish.
void check_used(const Given& given) {
  const Answer answer = answer_of(given);
  const std::string name = kAnswerEntries[static_cast<std::size_t>(answer)];
  for (const OptionUse& option : kOptionUses) {
    if (!given.has(option.option)) continue;
    switch (option.by_answer[static_cast<std::size_t>(answer)]) {
      case Use::never:
        // The stage's own harmonic is the likely meaning.
        if (std::string_view(option.option) == "--harmonics" && answer == Answer::stage &&
            !given.has("--network"))
          refuse(option.option, Kind::harmonic_of_stage);
        refuse(option.option, Kind::not_used, {name});
      case Use::for_the_chart:
        if (!given.has("--svg")) refuse(option.option, Kind::chart_only, {name});
        break;
      case Use::for_efficiency:
        if (!shows_efficiency(given)) refuse(option.option, Kind::efficiency_only);
        break;
      case Use::always:
        break;
    }
  }
}

// A number that is read only where its option is given.
std::optional<double> given_number(const Given& given, const Description& entry,
                                   const std::string& typed) {
  if (!given.has("--" + std::string(entry.name))) return std::nullopt;
  return number(entry, typed);
}

void resolve_stage(Options& options, const Given& given) {
  using namespace entry_rules;
  stage::Inputs& inputs = options.stage;
  inputs.supply = number(kSupply, given.supply);
  if (given.has("--power")) inputs.power = number(kPower, given.power);
  inputs.harmonic = read_or_refuse(read_whole_number(kHarmonic, given.harmonic));
  inputs.xi = given_number(given, kXi, given.xi);
  inputs.saturation = given_number(given, kSaturation, given.saturation);
  if (given.has("--slope")) {
    inputs.device = stage::Device{number(kSlope, given.slope), number(kCutoff, given.cutoff),
                                  number(kPermeance, given.permeance)};
  }
  inputs.limits = {given_number(given, kMaxDissipation, given.max_dissipation),
                   given_number(given, kMaxPeakCurrent, given.max_peak_current),
                   given_number(given, kMaxVoltage, given.max_voltage),
                   given_number(given, kMaxDirectCurrent, given.max_direct_current)};
  if (given.has("--best")) options.best = read_or_refuse(read_goal(given.best));
}

void check_given_range(const Description& entry, const std::optional<double>& value) {
  if (value) check_range(entry, *value);
}

// The output network's entries, its stage (as resolved) where there is one, and the harmonic
// it is tuned to: the stage's, or for the network alone --harmonic.
void resolve_network(Options& options, const Given& given) {
  const entry_rules::Typed typed = [&given](std::string_view name) -> std::optional<std::string> {
    if (!given.has("--" + std::string(name))) return std::nullopt;
    if (name == entry_rules::kPower.name) return given.power;
    return given.network.find(name)->second;
  };
  entry_rules::NetworkRead read = entry_rules::read_network(typed, given.stage);
  if (!read.refusals.empty()) throw Refused(std::move(read.refusals.front()));
  if (!given.has("--network")) return;
  antenna::Inputs& chain = read.entries.chain;
  if (given.stage) chain.stage = options.stage;
  chain.wanted =
      given.stage
          ? options.stage.harmonic
          : read_or_refuse(entry_rules::read_whole_number(entry_rules::kHarmonic, given.harmonic));
  options.network = std::move(read.entries);
}

void check_stage(const Options& options) {
  using namespace entry_rules;
  const stage::Inputs& inputs = options.stage;
  check_range(kSupply, inputs.supply);
  if (options.best != regime::Goal::power) check_range(kPower, inputs.power);
  check_given_range(kSaturation, inputs.saturation);
  if (inputs.device) {
    check_range(kSlope, inputs.device->slope);
    check_range(kCutoff, inputs.device->cutoff);
    check_range(kPermeance, inputs.device->permeance);
  }
  check_range(kHarmonic, inputs.harmonic);
  check_given_range(kMaxDissipation, inputs.limits.dissipation);
  check_given_range(kMaxPeakCurrent, inputs.limits.peak_current);
  check_given_range(kMaxVoltage, inputs.limits.voltage);
  check_given_range(kMaxDirectCurrent, inputs.limits.direct_current);
}

// The option of an entry, with the entry's help.
template <typename Value>
CLI::Option* add_entry(CLI::App& app, const Description& entry, Value& value,
                       const char* type_name) {
  return app.add_option("--" + std::string(entry.name), value, entry_rules::help_of(entry))
      ->type_name(type_name);
}

// The flag of an entry, with the entry's help.
CLI::Option* add_switch(CLI::App& app, const Description& entry, bool& value) {
  return app.add_flag("--" + std::string(entry.name), value, entry_rules::help_of(entry));
}

// The options of a stage.
void add_stage_options(CLI::App& app, Given& given) {
  using namespace entry_rules;
  add_switch(app, kStage, given.stage);
  add_entry(app, kSupply, given.supply, "E");
  add_entry(app, kPower, given.power, "P");
  add_entry(app, kHarmonic, given.harmonic, "N");
  add_entry(app, kSaturation, given.saturation, "S_CR");
  add_entry(app, kSlope, given.slope, "S");
  add_entry(app, kCutoff, given.cutoff, "E'");
  add_entry(app, kPermeance, given.permeance, "D");
  add_entry(app, kMaxDissipation, given.max_dissipation, "P");
  add_entry(app, kMaxPeakCurrent, given.max_peak_current, "I");
  add_entry(app, kMaxVoltage, given.max_voltage, "U");
  add_entry(app, kMaxDirectCurrent, given.max_direct_current, "I");
  add_entry(app, kBest, given.best, "GOAL");
}

// The options of an output network.
void add_network_options(CLI::App& app, Given& given) {
  using namespace entry_rules;
  const std::pair<const Description*, const char*> entries[] = {
      {&kNetwork, "FORM"},   {&kResistance, "R"}, {&kFrequency, "F"},
      {&kLoad, "R2"},        {&kQ, "Q"},          {&kQDefinition, "sum|input"},
      {&kInductance, "L"},   {&kCoilQ, "Q0"},     {&kOutputCapacitance, "C"},
      {&kIntermediate, "R"}, {&kRho, "RHO"},      {&kLimit, "DB|RULE"}};
  for (const auto& [entry, type_name] : entries) {
    add_entry(app, *entry, given.network[std::string(entry->name)], type_name);
  }
}

// Each harmonic of --optimum and each exponent of --angle-for-g1 is a search of its own.
void check_searches(const Options& options) {
  const auto exponents = static_cast<std::int64_t>(options.exponents.size());
  const auto harmonics = static_cast<std::int64_t>(options.optimum_harmonics.size());
  const std::int64_t searches = options.answer == Answer::optimum        ? exponents * harmonics
                                : options.answer == Answer::angle_for_g1 ? exponents
                                                                         : 0;
  if (searches > rows::kMostSearches) {
    refuse(
        entry_rules::kExponent, Kind::too_many_searches,
        {std::to_string(exponents), std::to_string(searches), std::to_string(rows::kMostSearches)});
  }
}

// The option library's own words in the language chosen: the labels of --help, its group of
// options, the help of the help and version flags. In English they stay the library's. The
// names of values ("--show LIST") stay as they are: the library pads the column of options by
// bytes, which a name in Cyrillic would put out of line.
void speak_the_language_chosen(CLI::App& app) {
  using messages::N_;
  using messages::translated;
  // TRANSLATORS: the option library's labels in --help: "Usage: k-berg-table [OPTIONS]" and
  // "--optimum Excludes: --angle-for-g1".
  for (std::string_view label : {N_("Usage"), N_("OPTIONS"), N_("Excludes")}) {
    app.get_formatter()->label(std::string(label), std::string(translated(label)));
  }
  app.option_defaults()->group(std::string(translated("Options")));
  app.set_help_flag("-h,--help", std::string(translated("Print this help message and exit")));
  app.set_version_flag("--version", "k-berg-table " K_BERG_VERSION,
                       std::string(translated("Display program version information and exit")));
}

// The option named by an argument ("--from=5" names "from"), without its dashes.
std::string option_in(std::string_view argument) {
  return std::string(argument.substr(2, argument.find('=') - 2));
}

// Whether a flag's value reads as one ("true", "no", "0"...).
bool converts(const CLI::Option& flag) {
  try {
    flag.as<bool>();
    return true;
  } catch (const CLI::ConversionError&) {
    return false;
  }
}

template <typename Error>
bool is(const CLI::ParseError& error) {
  return dynamic_cast<const Error*>(&error) != nullptr;
}

// What the option library found wrong, by the kind of its error, as a refusal: an argument it
// did not expect, two answers at once, an option given twice or left without its value at the
// end (`last` is the last argument), a flag's value it cannot read.
refusals::Refusal refusal_of(const CLI::ParseError& error, const CLI::App& app,
                             std::string_view last) {
  const std::vector<std::string> extras = app.remaining();
  if (is<CLI::ExtrasError>(error) && !extras.empty()) {
    if (extras.front().starts_with("--"))
      return {option_in(extras.front()), Kind::unknown_name, {}};
    return {"", Kind::unexpected, {extras.front()}};
  }
  for (const CLI::Option* option : app.get_options()) {
    if (option->count() == 0) continue;
    const std::string name = option_in(option->get_name());
    const int most = option->get_expected_max();
    for (const CLI::Option* excluded : option->get_excludes()) {
      if (is<CLI::ExcludesError>(error) && excluded->count() > 0) {
        return {name, Kind::not_with, {option_in(excluded->get_name())}};
      }
    }
    if (is<CLI::ArgumentMismatch>(error) && most > 0 && option->count() > std::size_t(most)) {
      return {name, Kind::repeated, {}};
    }
    if (is<CLI::ConversionError>(error) && most == 0 && !converts(*option)) {
      return {name, Kind::not_a_flag_value, {option->results().front()}};
    }
  }
  if (is<CLI::ArgumentMismatch>(error) && last.starts_with("--")) {
    return {option_in(last), Kind::no_value, {}};
  }
  return {"", Kind::unreadable, {}};
}

}  // namespace

Refused::Refused(std::vector<refusals::Refusal> refusals)
    : textio::Error(worded_lines(refusals)), refusals_(std::move(refusals)) {}

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
  options.exponents =
      read_or_refuse(entry_rules::read_numbers(entry_rules::kExponent, given.exponents));
  options.angles = {number(entry_rules::kFrom, given.from), number(entry_rules::kTo, given.to),
                    number(entry_rules::kStep, given.step)};
  options.view.xi = number(entry_rules::kXi, given.xi);
  options.view.phases = given.phases;
  options.view.decimal_comma = given.decimal_comma;
  if (options.answer == Answer::angle_for_g1) {
    options.target_g1 = number(entry_rules::kAngleForG1, given.target_g1);
  }
  options.view.shown = read_or_refuse(entry_rules::read_shown(given.shown));
  resolve_harmonics(options, given);
  options.svg_file = given.svg_file;
  if (given.stage) resolve_stage(options, given);
  resolve_network(options, given);
  return options;
}

void check(const Options& options, const Given& given) {
  for (double exponent : options.exponents) {
    check_range(entry_rules::kExponent, exponent);
  }
  const sweep::Range& angles = options.angles;
  check_range(entry_rules::kFrom, angles.from);
  check_range(entry_rules::kTo, angles.to);
  check_range(entry_rules::kStep, angles.step);
  if (angles.from > angles.to) {
    throw Refused(entry_rules::from_above_to(angles));
  }
  check_range(entry_rules::kXi, options.view.xi);
  if (options.view.phases && !options.view.shown.empty() &&
      !shows(options.view.shown, quantity::Id::alpha)) {
    refuse(entry_rules::kShow, Kind::phases_without_alpha, {joined(given.shown)});
  }
  if (options.answer == Answer::optimum && options.optimum_harmonics.empty()) {
    refuse(entry_rules::kHarmonics, Kind::no_maxima, {joined(given.harmonics)});
  }
  if (options.answer == Answer::angle_for_g1)
    check_range(entry_rules::kAngleForG1, options.target_g1);
  if (options.answer == Answer::stage) check_stage(options);
  if (options.answer == Answer::network)
    check_range(entry_rules::kHarmonic, options.network->chain.wanted);
  check_rows(options);
  check_searches(options);
  if (given.has("--svg") && options.svg_file.empty()) {
    refuse(entry_rules::kSvg, Kind::no_file_name);
  }
  if (!options.svg_file.empty()) {
    const std::size_t series = options.network                   ? network_charts::kLevelSeries
                               : options.answer == Answer::stage ? answer_charts::kStageSeries
                                                                 : options.chart.harmonics.size();
    const std::optional<refusals::Refusal> refusal =
        chart::too_many_curves(options.exponents.size(), series);
    if (refusal) throw Refused(*refusal);
  }
}

Command parse_command_line(int argc, const char* const* argv) {
  Given given;
  CLI::App app{std::string(messages::translated(
                   "Berg coefficients of the cut-off cosine pulse for a range of cut-off angles\n"
                   "θ, where θ is half the conduction angle (many English sources quote the\n"
                   "whole angle, 2θ): a table, CSV or a chart, the angle at which each harmonic\n"
                   "is strongest, and the angle that gives a wanted g1. Numbers take a decimal\n"
                   "point or a decimal comma (90,5).")),
               "k-berg-table"};
  speak_the_language_chosen(app);
  add_entry(app, entry_rules::kExponent, given.exponents, "P");
  add_entry(app, entry_rules::kFrom, given.from, "A");
  add_entry(app, entry_rules::kTo, given.to, "B");
  add_entry(app, entry_rules::kStep, given.step, "S");
  add_entry(app, entry_rules::kHarmonics, given.harmonics, "LIST");
  add_entry(app, entry_rules::kShow, given.shown, "LIST");
  add_entry(app, entry_rules::kXi, given.xi, "X");
  CLI::Option* optimum = add_switch(app, entry_rules::kOptimum, given.optimum);
  CLI::Option* target = add_entry(app, entry_rules::kAngleForG1, given.target_g1, "G");
  optimum->excludes(target);
  add_switch(app, entry_rules::kCsv, given.csv);
  add_switch(app, entry_rules::kPhases, given.phases);
  add_switch(app, entry_rules::kExact, given.exact);
  add_switch(app, entry_rules::kDecimalComma, given.decimal_comma);
  add_entry(app, entry_rules::kSvg, given.svg_file, "FILE");
  add_stage_options(app, given);
  add_network_options(app, given);
  for (CLI::Option* option : app.get_options()) {
    if (option->get_type_size_max() > 0) option->check(not_an_option(option->get_name()));
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& shown) {
    std::ostringstream text;
    app.exit(shown, text, text);
    return {false, text.str(), {}};
  } catch (const CLI::ParseError& error) {
    if (messages::chosen() == messages::Language::english) throw textio::Error(error.what());
    throw Refused(refusal_of(error, app, argv[argc - 1]));
  }
  for (const CLI::Option* option : app.get_options()) {
    if (option->count() > 0) given.named.push_back(option->get_name());
  }
  const Options options = resolve(given);
  check(options, given);
  return {true, "", options};
}

}  // namespace table
