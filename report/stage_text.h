// The words around a stage's tables, which k-berg-table prints and the page shows alike: what
// the stage is, what it was designed from, and why rows are empty.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/stage.h"
#include "engine/sweep.h"
#include "report/refusals.h"

namespace stage_text {

// "Каскад усилителя мощности", or of a frequency multiplier; the supply, the power and xi or
// the critical regime; the device's law where it is given. Numbers with a decimal point.
std::vector<std::string> heading_lines(const stage::Inputs& inputs);

// Why no stage can be made at an angle: "α1 не больше 0", or in the critical regime "... или
// критический режим не дает P1".
std::string why_no_stage(const stage::Inputs& inputs);
// Under a table with rows where no stage can be made: why they are empty.
std::string empty_rows_note(const stage::Inputs& inputs);

// The most power an angle gives, cut down (never rounded up) to five significant digits, so
// that asking for the number shown works.
std::string most_power_text(double watts);

// Why a block of the range is refused, if it is: a row whose values are beyond the doubles
// (the input at fault), the one angle of the range where no stage can be made (the harmonic or
// the power), or a range where none can be made (the stage as a whole).
std::optional<refusals::Refusal> refusal_of_block(const stage::Inputs& inputs,
                                                  const sweep::Range& range,
                                                  const stage::Block& block);

}  // namespace stage_text
