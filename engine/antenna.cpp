#include "engine/antenna.h"

#include <algorithm>
#include <cmath>

namespace antenna {

namespace {

// Each harmonic at the antenna, the limit there and the check, where the row's network works.
void add_harmonics(Row& row, const Inputs& inputs, double peak_current) {
  const network::Design& design = *row.network;
  if (!network::works(design)) return;
  std::vector<double> currents;
  for (double alpha : row.alpha) currents.push_back(alpha * peak_current);
  row.harmonics = network::harmonics(design, currents, inputs.wanted);
  row.limit_db = inputs.rule ? network::limit_db(*inputs.rule, design.load_power, design.frequency)
                             : inputs.limit_db;
  if (row.limit_db) row.check = network::check(row.harmonics, inputs.wanted, *row.limit_db);
}

}  // namespace

network::Inputs with_defaults(network::Inputs inputs) {
  if (inputs.form == network::Form::pi_l && !inputs.intermediate)
    inputs.intermediate = std::max(std::sqrt(inputs.load * inputs.antenna), 2.0 * inputs.antenna);
  if (inputs.form == network::Form::tank && !inputs.impedance && inputs.q)
    inputs.impedance = inputs.load / *inputs.q;
  return inputs;
}

Block over_range(const Inputs& inputs, const sweep::Range& range, std::int64_t count,
                 double exponent) {
  Block block{exponent, {}};
  // The network alone is the same at every angle.
  std::optional<network::Design> alone;
  if (!inputs.stage) alone = network::design(with_defaults(inputs.network));
  for (std::int64_t i = 0; i < count; ++i) {
    const double angle = sweep::angle_at(range, i);
    Row row{angle, integral::coefficients(angle, exponent), {}, {}, {}, {}, {true, 0, 0.0}};
    // A coefficient below what the integral can tell from 0 is 0: its digits, and its level,
    // would be the integral's rounding, which differs between systems.
    for (double& alpha : row.alpha) {
      if (std::fabs(alpha) < stage::kLeastCoefficient) alpha = 0.0;
    }
    const double alpha_n = row.alpha[static_cast<std::size_t>(inputs.wanted)];
    if (inputs.stage) {
      row.stage = stage::design(*inputs.stage, angle, exponent, row.alpha[0], alpha_n);
    } else {
      row.stage.verdict =
          alpha_n >= stage::kLeastCoefficient ? stage::Verdict::works : stage::Verdict::no_harmonic;
    }
    if (stage::works(row.stage)) {
      network::Inputs network = inputs.network;
      if (inputs.stage) {
        network.load = row.stage.r_e;
        network.power = row.stage.p_n;
      }
      row.network = alone ? *alone : network::design(with_defaults(network));
      add_harmonics(row, inputs, inputs.stage ? row.stage.i_max : 1.0);
    }
    block.rows.push_back(std::move(row));
  }
  return block;
}

stage::Block stage_block(const Block& block) {
  stage::Block stages{block.exponent, {}};
  for (const Row& row : block.rows) stages.rows.push_back({row.angle, row.stage});
  return stages;
}

}  // namespace antenna
