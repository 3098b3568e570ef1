#include "table/options.h"

#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <cmath>
#include <sstream>
#include <string_view>

#include "engine/berg.h"
#include "textio/failure.h"

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

void check_range(std::string_view option, double value, double lowest, double highest) {
  if (value >= lowest && value <= highest) return;
  reject(option, number_text(value) + " is not from " + number_text(lowest) + " to " +
                     number_text(highest));
}

std::vector<int> harmonics_up_to(int last) {
  std::vector<int> harmonics;
  for (int k = 0; k <= last; ++k) harmonics.push_back(k);
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
  const auto blocks = static_cast<std::int64_t>(options.exponents.size());
  if (angle_count(angles, kMostRows) * blocks > kMostRows) {
    reject("--step",
           number_text(angles.step) + " makes more than " + std::to_string(kMostRows) + " rows");
  }
  if (svg_given && options.svg_file.empty()) reject("--svg", "the file name is empty");
}

}  // namespace

Command parse_command_line(int argc, const char* const* argv) {
  Command command;
  Options& options = command.options;
  std::vector<std::string> harmonics;
  CLI::App app{
      "Berg coefficients of the cut-off cosine pulse over a range of cut-off angles: "
      "a table, CSV or a chart.",
      "k-berg-table"};
  app.set_version_flag("--version", "k-berg-table " K_BERG_VERSION);
  app.add_option("--exponent", options.exponents,
                 "Exponent of the pulse function, 0.93 to 5.01; repeat it or give a list (1,2) "
                 "for one block of rows each [1]")
      ->delimiter(',')
      ->type_name("P");
  app.add_option("--from", options.angles.from, "First cut-off angle, degrees, 4.9 to 180.1")
      ->type_name("A")
      ->capture_default_str();
  app.add_option("--to", options.angles.to, "Last cut-off angle at most, degrees, 4.9 to 180.1")
      ->type_name("B")
      ->capture_default_str();
  app.add_option("--step", options.angles.step, "Step between angles, degrees, above 0")
      ->type_name("S")
      ->capture_default_str();
  app.add_flag("--csv", options.csv, "Comma-separated values, always with the phases");
  app.add_flag("--phases", options.phases, "The phase beside each coefficient in the table");
  CLI::Option* harmonics_option =
      app.add_option("--harmonics", harmonics,
                     "Harmonics to show, such as 0-3 or 1,2,3 [0-9 in the table, 0-3 on the chart]")
          ->delimiter(',')
          ->type_name("LIST");
  CLI::Option* svg_option =
      app.add_option("--svg", options.svg_file, "Also draw the Berg chart as SVG into FILE")
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
  const bool harmonics_given = harmonics_option->count() > 0;
  options.table_harmonics =
      harmonics_given ? chosen_harmonics(harmonics) : harmonics_up_to(kHighestHarmonic);
  options.chart_harmonics =
      harmonics_given ? options.table_harmonics : harmonics_up_to(kLastChartHarmonicByDefault);
  check(options, svg_option->count() > 0);
  return command;
}

}  // namespace table
