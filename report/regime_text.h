// The best regime's answer, and what a range lacks where none of its angles gives the power
// asked, which k-berg-table prints and the page shows alike: the stage at each exponent's best
// angle with the limits that bind it, or the refusals that say what the range can give and
// what would give the power.
#pragma once

#include <string>
#include <vector>

#include "engine/regime.h"
#include "engine/stage.h"
#include "engine/sweep.h"
#include "report/answer.h"
#include "report/refusals.h"

namespace regime_text {

// Why a block of a stage's range is refused, if it is: a row whose values are beyond the doubles
// (the input at fault), the one angle of the range where no stage can be made (the harmonic,
// the power, or each limit broken), or a range where none can be made. For the last, after
// the line that says why: in the critical regime, the most the range gives within the limits
// (in the best regime, at a hundredth of a degree) and at which angle, and where that is less
// than the power, the least S_cr and the least supply that would give it; for each limit
// given, the least rating that would let a row work, the rest unchanged.
std::vector<refusals::Refusal> refusals_of_block(const stage::Inputs& inputs,
                                                 const sweep::Range& range,
                                                 const stage::Block& block);

// The best regime of each exponent.
struct BestBlock {
  double exponent;
  regime::Best best;
};

// The best regimes of a question for `exponents`, or the refusals of the first that has none:
// the question's own (nothing bounds what is sought, no harmonic in the range), or, where no
// angle gives the power asked, the most the range gives and what would give it.
struct BestRegimes {
  std::vector<BestBlock> blocks;
  std::vector<refusals::Refusal> refusals;
};
BestRegimes best_regimes(const regime::Question& question, const std::vector<double>& exponents);

// The best regime's answer: what the stage is and what is sought, then for each exponent the
// stage's tables with the one row of its best angle, and a note with the power (for the most
// power) and the limits that bind it there.
void best_answer(answer::Renderer& out, const regime::Question& question,
                 const std::vector<BestBlock>& blocks, bool decimal_comma);

}  // namespace regime_text
