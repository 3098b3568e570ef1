// The best regime of a stage within what bounds it, and what would make a power possible
// where none of the range's angles gives it.
//
// A regime is a cut-off angle and a voltage utilisation xi; the peak current follows from the
// power, P = 1/2 xi E alpha_n I_max. What bounds it: the saturation line, I_max <= S_cr E (1 -
// xi), and the device's ratings: I_max, I_0 = alpha_0 I_max, the dissipation P_0 - P = E I_max
// (alpha_0 - 1/2 alpha_n xi) and the peak voltage E (1 + xi); and 0 < xi <= 1 always. A regime
// may lie below the saturation line: the best one there sits on a rating instead.
//
// At one angle the best xi is known in closed form: for the most power, the power is the least
// of 1/2 E alpha_n xi times each bound on I_max, of which the line's is concave in xi and
// every other one rises with xi, so the best xi is 1/2, the highest xi allowed, or where the
// line meets another bound; for the highest efficiency at a power, eta = alpha_n xi / (2
// alpha_0) rises with xi, so xi is the highest that the line and the voltage allow, where the
// currents and the dissipation, which want xi high enough, allow it. Over the angles the
// search takes the Berg integral's coefficients (integral::coefficients) at every hundredth of
// a degree that it visits: every half degree of the range, then around each that is no worse
// than its neighbours, in tenths, in two hundredths and in hundredths.
#pragma once

#include <optional>
#include <variant>

#include "engine/stage.h"
#include "engine/sweep.h"

namespace regime {

// What the best regime makes the most of: the power at harmonic n, or the efficiency at the
// power asked.
enum class Goal { power, efficiency };

// What is asked: the stage's supply, harmonic, saturation line if any, ratings and device (for
// the drive), and for the efficiency the power; xi is not given, the search chooses it. The
// range's `from` and `to` bound the angles; its step is not used.
struct Question {
  stage::Inputs inputs;
  Goal goal = Goal::power;
  sweep::Range range = {};
};

// Why a question, or a stage's inputs, cannot be answered.
enum class Cause {
  not_positive,            // the rating or the saturation line `limit` is not a positive number
  permeance_out_of_range,  // the device's permeance is not from 0 to below 1
  unbounded,               // nothing bounds what is sought: for the power no saturation line
                           // and no rating of a current or of the dissipation; for the
                           // efficiency no saturation line and no peak-voltage rating below 2 E
  voltage_at_supply,       // the peak-voltage rating is not above the supply, `least`: no
                           // swing keeps it
  no_harmonic,             // alpha_n is not above 0 at any angle of the range
};

struct Refusal {
  Cause cause;
  stage::Limit limit = stage::Limit::voltage;  // for not_positive
  double least = 0.0;                          // for voltage_at_supply: what it must be above
};

// The best regime of one exponent: at the best of the angles the search visits (the range's
// ends and hundredths of a degree between), the stage with its xi and power, and the limits
// it sits on (to 1e-9). The design is that of stage::design given that xi: it works, unless
// the inputs put a value beyond the doubles.
struct Best {
  double angle;
  stage::Design design;
  stage::LimitSet binding;
};

// Where no angle of the range gives the power asked: the most one gives within every limit,
// at which angle and what stops it there, and each change of one input alone that would give
// the power: the least S_cr (where a line is given), the least supply above the one given, the
// least of each rating given; nothing where that change alone cannot. Each is where the power
// is just had: the value named gives it, a billionth less does not (a front end that shows it
// rounds it up).
struct Shortfall {
  double most_power;
  double angle;
  stage::LimitSet binding;
  std::optional<double> saturation;
  std::optional<double> supply;
  stage::Limits ratings;
};

// Why the inputs of a stage, or of a question, cannot be taken: a rating or the line not a
// positive number, a permeance out of its range. Nothing where they can.
std::optional<Refusal> refusal_of_inputs(const stage::Inputs& inputs);

// Why a question is refused as a whole, before any angle is looked at: as refusal_of_inputs,
// then nothing that bounds what is sought, then a peak-voltage rating not above the supply.
std::optional<Refusal> refusal(const Question& question);

// For a pulse of `exponent`: the best regime over the range; for the efficiency, where no
// angle gives the power, the shortfall; a refusal (no_harmonic where alpha_n is not above 0 in
// the whole range).
std::variant<Best, Shortfall, Refusal> best(const Question& question, double exponent);

// The shortfall of a power that the range does not give, in the best regime (xi chosen within
// the line, as best() chooses it; a stage's xi, if given, is not used). The critical regime of
// a stage sits on the line with xi >= 1/2, which a peak-voltage rating below 1.5 E can forbid
// where a regime below the line would give the power: then the most power is at least the
// power asked, and the least line and ratings no more than those given. Refused as best()
// would refuse the power.
std::variant<Shortfall, Refusal> shortfall(const stage::Inputs& inputs, const sweep::Range& range,
                                           double exponent);

}  // namespace regime
