// Why an entry was refused, as a value that both front ends make alike, and its words: the
// same sentence on both, English or its translation, after the entry named as each front end
// names it.
#pragma once

#include <string>
#include <vector>

#include "textio/messages.h"

namespace refusals {

// The kind of fault, and the values each kind carries, in this order: "shortest" is the
// shortest text that reads back as a value, "typed" the text as the user typed it.
enum class Kind {
  unknown_name,            // {}
  missing_value,           // {the option that stands where the value should}
  not_a_number,            // {typed}: no number, or nothing typed
  beyond_doubles,          // {typed}
  ambiguous_comma,         // {typed item}: "1,5" in a list of exponents
  out_of_range,            // {typed, shortest}: the bounds are the entry's own
  not_harmonics,           // {typed item}
  not_one_of,              // {typed item, the names known, joined by ", "}
  too_many_values,         // {most}
  from_above_to,           // {shortest from, shortest to}
  too_many_rows,           // {shortest step, most rows}
  too_many_exponent_rows,  // {exponents, angles, most rows}
  step_too_small,          // {shortest step, the angle near which two are equal}
  one_of_two,              // {}: xi or the critical regime's slope, not both, not neither
  half_a_law,              // {}: the device's slope without its cut-off, or the other way round
  too_large_for_stage,     // {shortest value, angle, exponent}: the stage's values overflow
  too_small_for_stage,     // {shortest value, angle, exponent}
  no_harmonic,             // {angle, exponent, n}
  too_much_power,          // {shortest power, angle, exponent, most power}
  no_angle_works,          // {from, to, exponent}, words: why at each angle
  g1_out_of_reach,         // {shortest g1, exponent, lowest g1, highest g1, lowest angle,
                           //  highest angle}
  no_maxima,               // {typed harmonics}: none from 1 up, where the first maxima are sought
  curves_unread,           // {}: the page's halves of a table gave curves that do not read back
  stage_only,              // {}: an entry of a stage given for another answer
  not_with,                // {the entry of the other answer}: two answers asked for at once
  needs_supply,            // {}: a stage without its supply voltage
  needs_power,             // {}: a stage without its output power
  not_used,                // {the entry of the answer}: an entry the answer would ignore
  harmonic_of_stage,       // {}: the harmonics of a table given for a stage, which takes one
  chart_only,              // {the entry of the answer}: given without a chart to use it for
  efficiency_only,         // {}: xi given to a table that shows no efficiency
  phases_without_alpha,    // {typed}: the quantities shown leave out what the phases stand by
  too_many_searches,       // {exponents, searches, most searches}
  no_file_name,            // {}
  curves_of_several,       // {exponents, most exponents, most exponents of one harmonic}
  curves_of_one,           // {exponents, most exponents}
  // The device's limits and the best regime; a unit is a word of its own.
  needs_law,             // {}: the permeance without the device's law
  limit_at_angle,        // {shortest rating, angle, exponent, what the stage needs}, words: unit
  most_power_within,     // {most power, from, to, exponent, angle}, words: what holds it there;
                         // no angle gives the power asked
  least_for_power,       // {shortest power, the least that gives it}, words: unit
  unbounded_power,       // {}: --best power with nothing that bounds it
  unbounded_efficiency,  // {twice the supply}
  voltage_at_supply,     // {shortest rating, shortest supply}
  no_harmonic_in_range,  // {from, to, exponent, n}
  // The output network's entries, and why the network asked for cannot be made.
  network_only,            // {}: an entry of the network given without --network
  needed,                  // {what needs it, as an option without dashes}
  q_or_inductance,         // {}: a pi's loaded Q or its coil, not both, not neither
  not_a_limit,             // {typed, the rules' names joined by ", "}
  limit_needed,            // {megahertz}: no rule applies at the frequency
  rule_out_of_band,        // {typed rule, megahertz}
  q_too_low,               // {typed, least Q (refused), R1, R2, the network's name}
  coil_too_lossy,          // {typed, least Q0 (refused)}
  inductance_unusable,     // {typed, least (refused), most, R1, R2, megahertz}: in µH
  capacitance_too_large,   // {typed, most (refused)}: in pF
  equal_resistances,       // {the network's name, R}: an L network between equal resistances
  intermediate_too_low,    // {typed, R2}
  tank_too_low,            // {R1, Q rho}
  network_beyond_numbers,  // {}: a part's value or reactance beyond the doubles
  empty,                   // {}: an entry the page's form needs, left empty
  // What the option library finds wrong with k-berg-table's command line:
  unexpected,        // {typed}: an argument that is neither an option nor its value
  no_value,          // {}: an option that takes a value, without one
  repeated,          // {}: an option that takes one value, given more than once
  not_a_flag_value,  // {typed}: a flag given a value it does not take
  unreadable,        // {}: any other fault
};

// Words a sentence tells in its own language, where they change with the refusal: an English
// text marked for translation, its places {0}, {1}... filled by its own values.
struct Words {
  std::string_view english;
  std::vector<std::string> values = {};

  bool operator==(const Words&) const = default;
};

// A refusal of one entry: its name (a long option without dashes, as the page names it too;
// empty where the fault is of no entry), the kind of fault, and the values involved; the words
// that its sentence's place {words} lists, where it has one.
struct Refusal {
  std::string entry;
  Kind kind;
  std::vector<std::string> values;
  std::vector<Words> words = {};

  bool operator==(const Refusal&) const = default;
};

// How a front end names the entry before the sentence: k-berg-table by its option, the page by
// the label of its field.
enum class Naming { option, label };

// The refusal told in `language`: "--from: 200 is not from 4.9 to 180.1" by k-berg-table in
// English, "Начальный угол: 200 — нужно число от 4.9 до 180.1" by the page.
std::string worded(const Refusal& refusal, Naming naming, messages::Language language);

}  // namespace refusals
