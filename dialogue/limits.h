// The ranges of the cut-off angle and the exponent that both programs accept: a little wider
// than the 5 to 180 degrees and 1 to 5 that the dialogue's prompts state.
#pragma once

namespace dialogue {

constexpr double kLowestAngle = 4.9;
constexpr double kHighestAngle = 180.1;
constexpr double kLowestExponent = 0.93;
constexpr double kHighestExponent = 5.01;

}  // namespace dialogue
