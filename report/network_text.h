// The answer of a stage with its output network, or of the network alone, which k-berg-table
// prints and the page shows alike: what the network is, its parts, each harmonic at the
// antenna against the limit, and why rows are empty or the whole answer is refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/antenna.h"
#include "engine/network.h"
#include "engine/sweep.h"
#include "report/answer.h"
#include "report/entry_rules.h"
#include "report/refusals.h"

namespace network_text {

// The network as the answer names it: "П-контур", "Г-цепь ФНЧ"...
std::string form_name(network::Form form);

// The parts of a network of `form` as its columns show them: each part's name (its kind's
// letter, numbered where the network has more than one of that kind) in the order of the
// parts from the device to the load, an L network's capacitor first whichever side it is on.
std::vector<std::string> column_names(network::Form form);
// The name of the part `i` of `design`, as its column names it.
std::string part_name(const network::Design& design, std::size_t i);
// The part of `design` that the column of that name shows.
const network::Part& part_named(const network::Design& design, const std::string& name);

// A part's value in its unit: a capacitor in pF, a coil in µH, or in nH below 1 µH;
// "102.1 пФ", four significant digits at least.
std::string value_text(const network::Part& part);

// The limit's words at a limit of `limit_db`: "43.0 дБ", for a rule that follows the power
// with the rule itself.
std::string limit_text(const antenna::Inputs& chain, double limit_db);

// Why a block is refused, if it is (none where it is not): as a stage's block is, with what
// would give a stage where none can be made (regime_text), or for the network alone, the one
// angle without the wanted harmonic or a range with none; then a network beyond the doubles
// at any angle, the network of the one angle, or a range at none of whose angles a network can
// be made (the first one's refusal).
std::vector<refusals::Refusal> refusals_of_block(const entry_rules::NetworkEntries& entries,
                                                 const sweep::Range& range,
                                                 const antenna::Block& block);

// The answer: the stage's title lines where there is a stage, the network's (its form and
// ends, what it was designed from, the limit); for the network alone its parts. Then for each
// block: at one angle the whole design (the stage's tables, the parts with their voltages and
// currents, each harmonic at the load against the limit, and whether the limit is met); over a
// range a row per angle with the stage's R_e and the parts, the worst harmonic, its margin and
// whether the limit is met, with a note under the rows that are empty.
void network_answer(answer::Renderer& out, const entry_rules::NetworkEntries& entries,
                    const std::vector<antenna::Block>& blocks, bool decimal_comma);

}  // namespace network_text
