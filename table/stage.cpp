#include "table/stage.h"

#include <optional>
#include <string>

#include "engine/rows.h"
#include "report/csv.h"
#include "report/network_text.h"
#include "report/regime_text.h"
#include "report/stage_text.h"
#include "table/plain_table.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace table {

namespace {

void check_block(const Options& options, const stage::Block& block) {
  std::vector<refusals::Refusal> refused =
      regime_text::refusals_of_block(options.stage, options.angles, block);
  if (!refused.empty()) throw Refused(std::move(refused));
}

regime::Question question_of(const Options& options) {
  return {options.stage, *options.best, options.angles};
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

std::vector<antenna::Block> design_chains(const Options& options) {
  std::vector<antenna::Block> blocks;
  const std::int64_t count = sweep::count(options.angles, rows::kMostRows);
  for (double exponent : options.exponents) {
    blocks.push_back(antenna::over_range(options.network->chain, options.angles, count, exponent));
    std::vector<refusals::Refusal> refused =
        network_text::refusals_of_block(*options.network, options.angles, blocks.back());
    if (!refused.empty()) throw Refused(std::move(refused));
  }
  return blocks;
}

void write_chain_text(textio::Records& out, const Options& options,
                      const std::vector<antenna::Block>& blocks) {
  TextAnswer text(out);
  network_text::network_answer(text, *options.network, blocks, options.view.decimal_comma);
}

void write_chain_csv(textio::Records& out, const Options& options,
                     const std::vector<antenna::Block>& blocks) {
  for (const std::string& line :
       csv::chain_lines(options.network->chain, options.network->megahertz, blocks)) {
    out.formatted(csv::in_form(line, options.view.decimal_comma));
  }
}

}  // namespace table

namespace table {

std::vector<regime_text::BestBlock> best_regimes(const Options& options) {
  regime_text::BestRegimes found =
      regime_text::best_regimes(question_of(options), options.exponents);
  if (!found.refusals.empty()) throw Refused(std::move(found.refusals));
  return found.blocks;
}

void write_best_text(textio::Records& out, const Options& options,
                     const std::vector<regime_text::BestBlock>& blocks) {
  TextAnswer text(out);
  regime_text::best_answer(text, question_of(options), blocks, options.view.decimal_comma);
}

void write_best_csv(textio::Records& out, const Options& options,
                    const std::vector<regime_text::BestBlock>& blocks) {
  const bool comma = options.view.decimal_comma;
  out.formatted(csv::in_form(csv::best_header(options.stage), comma));
  for (const regime_text::BestBlock& block : blocks) {
    out.formatted(csv::in_form(csv::best_line(options.stage, block.exponent, block.best), comma));
  }
}

}  // namespace table
