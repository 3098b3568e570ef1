// A stage's answer, which k-berg-table prints and the page shows alike: what the stage is,
// what it was designed from, its tables, which values break a limit of the device, and why
// rows are empty.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/stage.h"
#include "engine/sweep.h"
#include "report/answer.h"
#include "report/entry_rules.h"
#include "report/refusals.h"

namespace stage_text {

// How the answers name what bounds a stage: the entry that gives it, the symbol of the value it
// bounds as the tables head its column (the line's is Sкр), and its unit in English, marked for
// translation.
struct LimitWords {
  const entry_rules::Description& entry;
  std::string_view symbol;
  std::string_view english_unit;
};
const LimitWords& words_of(stage::Limit limit);

// "Каскад усилителя мощности", or of a frequency multiplier on harmonic n.
std::string kind_line(int harmonic);
// The device's law where it is given, the slope with its unit, A/V^p; the limits given,
// "Допустимые: Pрас ≤ 10 Вт, Iмакс ≤ 2 А". Numbers with a decimal point.
std::vector<std::string> device_lines(const stage::Inputs& inputs);

// The lines of kind_line, the supply, the power and xi or the critical regime, and those of
// device_lines.
std::vector<std::string> heading_lines(const stage::Inputs& inputs);

// The most power an angle gives, cut down (never rounded up) to five significant digits, so
// that asking for the number shown works.
std::string most_power_text(double watts);

// The least value that would do, rounded up (never down) to five significant digits, so that
// asking for the number shown does.
std::string least_text(double value);

// An angle as a note names it: "24.5", to the thousandth the rows show.
std::string angle_text(double angle);

// Why no stage can be made at the row's angle, as refusals of the entries at fault: the input
// whose values are beyond the doubles, the harmonic, the power, or each limit broken.
std::vector<refusals::Refusal> refusals_of_row(const stage::Inputs& inputs, const stage::Row& row,
                                               double exponent);

// Where no angle of a block works, why at each, as the words of its refusal: "alpha3 is not
// above 0", "the critical regime gives less than 2 W", "it breaks --max-voltage".
std::vector<refusals::Words> why_none(const stage::Inputs& inputs, const stage::Block& block);

// A table of a block, with a row per angle and, after the angle, the value of each column;
// a row at which no stage can be made is its angle alone, and a value beyond a limit of the
// device is marked with "*".
void write_main_table(answer::Renderer& out, const std::string& caption, const stage::Block& block,
                      bool decimal_comma);
void write_drive_table(answer::Renderer& out, const stage::Block& block, bool decimal_comma);

// The note under the rows of a stage with its output network, which are empty where the stage
// breaks a limit of the device too, as no network is designed for it there: "Пустые строки:
// α3 не больше 0 при 90–180°; выше допустимого Pрас при 30–45°; I0 при 40°"; empty where no
// row is.
std::string empty_chain_rows_note(const stage::Inputs& inputs, const stage::Block& block);

// A block's tables, captioned with its exponent (the main one, and the drive's with the
// device's law), and the notes under them: why rows are empty, which values break a limit.
void block_tables(answer::Renderer& out, const stage::Inputs& inputs, const stage::Block& block,
                  bool decimal_comma);

// The stage's answer: the lines of heading_lines, then for each block a table with one row per
// angle: xi, the load, the peak and direct currents, the powers, the efficiency, the peak
// voltage, and, with the device's law, a second table of the drive. Under a block's tables a
// note names the cause of its empty rows at their angles (alpha_n not above 0, or the critical
// regime) and another the limits its marked values break, at their angles. Numbers carry four
// significant digits at least.
void stage_answer(answer::Renderer& out, const stage::Inputs& inputs,
                  const std::vector<stage::Block>& blocks, bool decimal_comma);

}  // namespace stage_text
