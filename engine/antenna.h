// From the stage to the antenna: at each angle of a range, the stage (where there is one), the
// output network that presents its R_e to the device (or a resistance given for the network
// alone), each harmonic of the pulse at the antenna, and the check against the limit.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/integral.h"
#include "engine/network.h"
#include "engine/stage.h"
#include "engine/sweep.h"

namespace antenna {

struct Inputs {
  // With a stage, `load` and `power` are the stage's R_e and output power at each angle;
  // with_defaults fills in what is not given.
  network::Inputs network;
  std::optional<stage::Inputs> stage;  // none for the network alone
  int wanted = 1;  // the harmonic the network is tuned to: the stage's, where there is one
  // The limit on every other harmonic: a rule's, or `limit_db` where there is no rule.
  std::optional<network::Rule> rule;
  double limit_db = 0.0;
};

struct Row {
  double angle;
  integral::Coefficients alpha;  // 0 where below stage::kLeastCoefficient
  // The stage there; for the network alone only its verdict, whether the pulse gives the
  // wanted harmonic (no_harmonic where alpha_n is not above 0).
  stage::Design stage;
  std::optional<network::Design> network;    // none where the verdict is not `works`
  std::vector<network::Harmonic> harmonics;  // where the network works
  std::optional<double> limit_db;            // none where the rule does not apply there
  network::Check check{true, 0, 0.0};        // where there is a limit
};

struct Block {
  double exponent;
  std::vector<Row> rows;
};

// `inputs` with the defaults of what is not given: a pi-l's intermediate resistance, the
// geometric mean sqrt(R1 R2) of its ends but at least 2 R2, so that its L has a Q of 1 at
// least, and a tank's rho, R1 / Q, the device across the whole coil.
network::Inputs with_defaults(network::Inputs inputs);

// The chain at each of the first `count` angles of `range` for a pulse of `exponent`, on the
// true Berg integral's coefficients; the harmonics' currents are alpha_n I_max, for the network
// alone alpha_n (their levels are the same at any peak current).
Block over_range(const Inputs& inputs, const sweep::Range& range, std::int64_t count,
                 double exponent);

// The rows' stages as a stage's block.
stage::Block stage_block(const Block& block);

}  // namespace antenna
