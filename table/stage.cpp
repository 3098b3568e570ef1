#include "table/stage.h"

#include <algorithm>
#include <string>

#include "engine/rows.h"
#include "report/csv.h"
#include "report/stage_text.h"
#include "table/plain_table.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace table {

namespace {

using stage::Verdict;

std::string harmonic_text(int n) { return std::to_string(n); }

std::string where(double angle, double exponent) {
  return "at " + textio::shortest_text(angle) + " degrees and exponent " +
         textio::parameter_text(exponent);
}

const char* option_of(stage::Input input) {
  switch (input) {
    case stage::Input::supply:
      return "--supply";
    case stage::Input::power:
      return "--power";
    case stage::Input::xi:
      return "--xi";
    case stage::Input::saturation:
      return "--saturation";
    case stage::Input::slope:
      return "--slope";
    case stage::Input::cutoff:
      break;
  }
  return "--cutoff";
}

// Why a stage cannot be made at one angle, as a refusal names it.
std::string refusal(const Options& options, double angle, double exponent,
                    const stage::Design& design) {
  const std::string n = harmonic_text(options.stage.harmonic);
  if (design.verdict == Verdict::beyond_numbers) {
    const stage::Fault& fault = design.fault;
    return std::string(option_of(fault.input)) + ": " +
           textio::shortest_text(*stage::value_of(options.stage, fault.input)) +
           (fault.too_large ? " is too large" : " is too small") + ": the stage " +
           where(angle, exponent) + " has values beyond the numbers this program can hold";
  }
  if (design.verdict == Verdict::no_harmonic) {
    return "--harmonic: " + where(angle, exponent) + " alpha" + n +
           " is not above 0: the pulse gives no harmonic " + n + " to design for";
  }
  return "--power: " + textio::shortest_text(options.stage.power) +
         " W is more than the critical regime gives " + where(angle, exponent) + ": at most " +
         stage_text::most_power_text(design.most_power) + " W";
}

bool works(const stage::Row& row) { return stage::works(row.design); }

void check_block(const Options& options, const stage::Block& block) {
  for (const stage::Row& row : block.rows) {
    if (row.design.verdict == Verdict::beyond_numbers) {
      throw textio::Error(refusal(options, row.angle, block.exponent, row.design));
    }
  }
  if (block.rows.size() == 1 && !works(block.rows.front())) {
    throw textio::Error(
        refusal(options, block.rows.front().angle, block.exponent, block.rows.front().design));
  }
  if (std::none_of(block.rows.begin(), block.rows.end(), works)) {
    throw textio::Error("--stage: no angle from " + textio::shortest_text(options.angles.from) +
                        " to " + textio::shortest_text(options.angles.to) + " works " +
                        "at exponent " + textio::parameter_text(block.exponent) + ": alpha" +
                        harmonic_text(options.stage.harmonic) +
                        " is not above 0 or the power is beyond the critical regime at each");
  }
}

}  // namespace

std::vector<stage::Block> design_stages(const Options& options) {
  std::vector<stage::Block> blocks;
  for (double exponent : options.exponents) {
    blocks.push_back(stage::over_range(options.stage, options.angles,
                                       sweep::count(options.angles, rows::kMostRows), exponent));
    check_block(options, blocks.back());
  }
  return blocks;
}

void write_stage_text(textio::Records& out, const Options& options,
                      const std::vector<stage::Block>& blocks) {
  TextAnswer text(out);
  stage_text::stage_answer(text, options.stage, blocks, options.view.decimal_comma);
}

void write_stage_csv(textio::Records& out, const Options& options,
                     const std::vector<stage::Block>& blocks) {
  const bool comma = options.view.decimal_comma;
  out.formatted(csv::in_form(csv::stage_header(options.stage), comma));
  for (const stage::Block& block : blocks) {
    for (const stage::Row& row : block.rows) {
      out.formatted(csv::in_form(
          csv::stage_line(options.stage, row.angle, block.exponent, row.design), comma));
    }
  }
}

}  // namespace table
