// The command line of k-berg-table: parsed into the texts given, resolved into a plain
// description of the run with every default filled in, and checked.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/quantity.h"
#include "engine/regime.h"
#include "engine/rows.h"
#include "engine/stage.h"
#include "report/answer_charts.h"
#include "report/entry_rules.h"
#include "report/refusals.h"
#include "textio/error.h"
#include "textio/messages.h"

namespace table {

// What the run answers: the rows of the range, the best angle of each harmonic, the angle at
// which g1 takes a given value, a whole stage at each angle of the range (with its output
// network where one is asked for), or an output network alone.
enum class Answer { rows, optimum, angle_for_g1, stage, network };

struct Options {
  std::vector<double> exponents;
  sweep::Range angles;
  Answer answer = Answer::rows;
  double target_g1 = 0.0;  // the value asked for by --angle-for-g1
  bool csv = false;
  rows::Pass pass = rows::Pass::sampled;  // the rows from the samples, or exact with --exact
  quantity::View view;                    // what the table or the CSV shows of each row
  std::vector<int> optimum_harmonics;     // those of --optimum, 1 to 9, in increasing order
  answer_charts::BergChoice chart;        // the curves of the Berg chart
  std::string svg_file;              // empty when no chart is asked for; "-" for standard output
  stage::Inputs stage;               // what --stage designs for
  std::optional<regime::Goal> best;  // with --best: the stage at the best angle instead
  // With --network: the chain from the device to the antenna, its stage the one above.
  std::optional<entry_rules::NetworkEntries> network;
};

// The options as the user typed them, before any is read as a number or given its default.
struct Given {
  std::vector<std::string> exponents;
  std::string from{entry_rules::kFrom.absent}, to{entry_rules::kTo.absent},
      step{entry_rules::kStep.absent}, xi{entry_rules::kXi.absent}, target_g1, svg_file;
  std::string supply, power, saturation, slope, cutoff, harmonic{entry_rules::kHarmonic.absent};
  std::string max_dissipation, max_peak_current, max_voltage, max_direct_current, best,
      permeance{entry_rules::kPermeance.absent};
  std::vector<std::string> harmonics, shown;
  std::map<std::string, std::string, std::less<>> network;  // each network entry, by name
  bool optimum = false, csv = false, phases = false, decimal_comma = false, stage = false,
       exact = false;
  std::vector<std::string> named;  // the options given ("--from"), those with an empty value too

  bool has(std::string_view option) const;
};

// A refusal of an entry, raised to main, or several: the first says why, those after it (where
// no angle gives a stage) what would. what() tells them in the language chosen, a line each.
class Refused : public textio::Error {
 public:
  explicit Refused(refusals::Refusal refusal) : Refused(std::vector{std::move(refusal)}) {}
  explicit Refused(std::vector<refusals::Refusal> refusals);
  const refusals::Refusal& refusal() const { return refusals_.front(); }
  const std::vector<refusals::Refusal>& refusals() const { return refusals_; }

 private:
  std::vector<refusals::Refusal> refusals_;
};

// Either a run with its options, or a text to show instead (the help or the version).
struct Command {
  bool run = true;
  std::string text;
  Options options;
};

// The texts of the arguments (argv[0] is the program), or the help or version to show, in
// the language chosen. What the option library cannot read (an unknown option, a value left
// out at the end) raises in English a textio::Error in the library's own words, in another
// language a Refused; a value that is itself an option raises a Refused in any.
Command parse_command_line(int argc, const char* const* argv);

// The run the given texts describe, with the defaults of what was not given. A text that is not a
// number, or an option the answer does not take, raises a Refused naming the option.
Options resolve(const Given& given);

// Raises a Refused for any value out of its range, and for any choice that contradicts another.
void check(const Options& options, const Given& given);

}  // namespace table
