#include "table/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <sstream>
#include <string_view>

#include "engine/berg.h"
#include "table/chart.h"
#include "table/plain_table.h"
#include "textio/error.h"

namespace table {

namespace {

constexpr int kHighestHarmonic = berg::kHarmonics - 1;
constexpr int kLastChartHarmonicByDefault = 3;

[[noreturn]] void reject(std::string_view option, const std::string& reason) {
  throw textio::Error(std::string(option) + ": " + reason);
}

// The shortest text that reads back as the same number.
std::string number_text(double value) {
  std::array<char, 32> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
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
  const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
  const char* end = text.data() + text.size();
  double value = 0.0;
  const auto result = std::from_chars(begin, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    reject(option, "'" + typed + "' is beyond the numbers this program can hold");
  }
  if (text.empty() || result.ec != std::errc() || result.ptr != end) {
    reject(option, "'" + typed + "' is not a number");
  }
  return value;
}

// Each --exponent is one exponent, or several separated by ";". A comma is not read: "1,5"
// is 1.5 to the dialogue but was a list of two to earlier versions of this program.
std::vector<double> exponents_of(const std::vector<std::string>& given) {
  std::vector<double> exponents;
  for (const std::string& option : given) {
    std::istringstream items(option + ";");
    for (std::string item; std::getline(items, item, ';');) {
      if (item.find(',') != std::string::npos) {
        reject("--exponent", "'" + item +
                                 "' is ambiguous: write a decimal point (1.5) for one exponent, "
                                 "or repeat the option (--exponent 1 --exponent 5) for several");
      }
      exponents.push_back(number("--exponent", item));
    }
  }
  return given.empty() ? std::vector<double>{1.0} : exponents;
}

void check_range(std::string_view option, double value, double lowest, double highest) {
  if (value >= lowest && value <= highest) return;
  reject(option, number_text(value) + " is not from " + number_text(lowest) + " to " +
                     number_text(highest));
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
std::vector<int> chosen_harmonics(const std::vector<std::string>& items) {
  std::array<bool, berg::kHarmonics> chosen{};
  for (const std::string& item : items) {
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

std::vector<Quantity> shown_quantities(const std::vector<std::string>& names) {
  static constexpr std::pair<const char*, Quantity> kNames[] = {
      {"alpha", Quantity::alpha}, {"gamma", Quantity::gamma}, {"g1", Quantity::g1},
      {"eta", Quantity::eta},     {"db", Quantity::db},       {"cos", Quantity::cos}};
  std::vector<Quantity> shown;
  for (const std::string& name : names) {
    const auto* found = std::find_if(std::begin(kNames), std::end(kNames),
                                     [&name](const auto& known) { return name == known.first; });
    if (found == std::end(kNames)) {
      reject("--show", "'" + name + "' is not one of alpha, gamma, g1, eta, db, cos");
    }
    if (std::find(shown.begin(), shown.end(), found->second) == shown.end()) {
      shown.push_back(found->second);
    }
  }
  return shown;
}

// The items of a list option as the user gave them.
std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text.append(text.empty() ? "" : ",").append(item);
  return text;
}

bool shows(const std::vector<Quantity>& shown, Quantity quantity) {
  return std::find(shown.begin(), shown.end(), quantity) != shown.end();
}

// The angles must rise from one row to the next: a step too small to tell neighbours apart
// would repeat a row.
void check_rows(const Options& options) {
  const AngleRange& angles = options.angles;
  const auto exponents = static_cast<std::int64_t>(options.exponents.size());
  if (exponents > kMostRows) {
    reject("--exponent", "the list has more than " + std::to_string(kMostRows) + " values");
  }
  const std::int64_t count = angle_count(angles, kMostRows);
  for (std::int64_t i = 1; i < count; ++i) {
    if (angle_at(angles, i) <= angle_at(angles, i - 1)) {
      reject("--step", number_text(angles.step) + " is too small: neighbouring angles near " +
                           number_text(angle_at(angles, i)) + " are equal");
    }
  }
  if (count > kMostRows) {
    reject("--step",
           number_text(angles.step) + " makes more than " + std::to_string(kMostRows) + " rows");
  }
  if (count * exponents > kMostRows) {
    reject("--exponent", std::to_string(exponents) + " exponents of " + std::to_string(count) +
                             " angles each make more than " + std::to_string(kMostRows) + " rows");
  }
}

void check(const Options& options, bool svg_given) {
  for (double exponent : options.exponents) {
    check_range("--exponent", exponent, berg::kLowestExponent, berg::kHighestExponent);
  }
  const AngleRange& angles = options.angles;
  check_range("--from", angles.from, berg::kLowestAngle, berg::kHighestAngle);
  check_range("--to", angles.to, berg::kLowestAngle, berg::kHighestAngle);
  if (!(angles.step > 0.0 && std::isfinite(angles.step))) {
    reject("--step", number_text(angles.step) + " is not a finite number above 0");
  }
  if (angles.from > angles.to) {
    reject("--from", number_text(angles.from) + " is above --to " + number_text(angles.to));
  }
  if (!(options.view.xi > 0.0 && options.view.xi <= 1.0)) {
    reject("--xi", number_text(options.view.xi) + " is not above 0 and at most 1");
  }
  check_rows(options);
  if (svg_given && options.svg_file.empty()) reject("--svg", "the file name is empty");
  if (!options.svg_file.empty()) {
    const std::string refusal = too_many_curves(options.exponents.size(), options.chart_harmonics);
    if (!refusal.empty()) reject("--svg", refusal);
  }
}

// What the texts of the options say, each in the sense the program gives it.
struct Given {
  std::vector<std::string> exponents;
  std::string from = "5", to = "180", step = "5", xi = "1", target_g1;
  std::vector<std::string> harmonics, shown;
};

void resolve(Options& options, const Given& given, bool harmonics_given) {
  options.exponents = exponents_of(given.exponents);
  options.angles = {number("--from", given.from), number("--to", given.to),
                    number("--step", given.step)};
  options.view.xi = number("--xi", given.xi);
  if (options.answer == Answer::angle_for_g1) {
    options.target_g1 = number("--angle-for-g1", given.target_g1);
  }
  options.view.shown = shown_quantities(given.shown);
  if (options.view.phases && !options.view.shown.empty() &&
      !shows(options.view.shown, Quantity::alpha)) {
    reject("--show",
           "'" + joined(given.shown) + "' leaves out alpha, beside which --phases puts the phases");
  }
  const std::vector<int> chosen = chosen_harmonics(given.harmonics);
  if (harmonics_given) {
    options.view.harmonics = chosen;
  } else if (options.csv) {
    options.view.harmonics = harmonics_from(0, kHighestHarmonic);
  } else {
    options.view.harmonics = fitting_harmonics(options.view);
  }
  options.chart_harmonics =
      harmonics_given ? chosen : harmonics_from(0, kLastChartHarmonicByDefault);
  for (int k : harmonics_given ? chosen : harmonics_from(1, kHighestHarmonic)) {
    if (k >= 1) options.optimum_harmonics.push_back(k);
  }
  if (options.answer == Answer::optimum && options.optimum_harmonics.empty()) {
    reject("--harmonics",
           "'" + joined(given.harmonics) + "' has no harmonic from 1 to 9 for --optimum");
  }
  const std::vector<Quantity>& shown = options.view.shown;
  const auto gamma = std::find(shown.begin(), shown.end(), Quantity::gamma);
  options.chart_gamma =
      gamma != shown.end() && std::find(shown.begin(), gamma, Quantity::alpha) == gamma;
}

}  // namespace

Command parse_command_line(int argc, const char* const* argv) {
  Command command;
  Options& options = command.options;
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
      ->delimiter(',')
      ->type_name("LIST");
  app.add_option("--show", given.shown,
                 "What each row shows, any of:\n"
                 "  alpha  αn with its sign (the default)\n"
                 "  gamma  γn = αn (1 - cos θ)\n"
                 "  g1     α1/α0\n"
                 "  eta    the efficiency η = ξ g1 / 2\n"
                 "  db     αn against α1 in dB, n >= 2\n"
                 "  cos    cos θ\n"
                 "CSV adds their columns to its usual ones; the\n"
                 "chart draws γ when gamma comes before alpha")
      ->delimiter(',')
      ->type_name("LIST");
  app.add_option("--xi", given.xi, "Voltage utilisation ξ of η, 0 < ξ <= 1 [1]")->type_name("X");
  CLI::Option* optimum = app.add_flag("--optimum")
                             ->description(
                                 "Instead of the rows: for each exponent and\n"
                                 "harmonic n >= 1 the angle of the first maximum\n"
                                 "of αn and that maximum, and the same for γn");
  CLI::Option* target = app.add_option("--angle-for-g1", given.target_g1,
                                       "Instead of the rows: for each exponent the angle\n"
                                       "at which g1 = α1/α0 equals G, and η there")
                            ->type_name("G");
  optimum->excludes(target);
  app.add_flag("--csv", options.csv,
               "Comma-separated values, always with the moduli\nand the phases");
  app.add_flag("--phases", options.view.phases, "The phase beside each αn in the table");
  CLI::Option* svg = app.add_option("--svg", options.svg_file,
                                    "Also draw the Berg chart as SVG into FILE; with\n"
                                    "FILE -, on standard output instead of the table")
                         ->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& shown) {
    std::ostringstream text;
    app.exit(shown, text, text);
    return {false, text.str(), options};
  } catch (const CLI::ParseError& error) {
    throw textio::Error(error.what());
  }
  if (optimum->count() > 0) options.answer = Answer::optimum;
  if (target->count() > 0) options.answer = Answer::angle_for_g1;
  resolve(options, given, app.get_option("--harmonics")->count() > 0);
  check(options, svg->count() > 0);
  return command;
}

}  // namespace table
