// Editing of numbers into fixed-width fields of formatted records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace textio {

// A fixed-point field: the value in `width` columns with `decimals` decimals (Fw.d).
struct Edit {
  int width;
  int decimals;
};

// How the results screen and the report file edit each kind of value. Every other view (the
// tables, CSV, the chart) shows the same decimals.
constexpr Edit kParameterEdit{10, 3};  // the cut-off angle and the exponent
constexpr Edit kModulusEdit{9, 5};     // a coefficient
constexpr Edit kPhaseEdit{7, 1};       // a phase in degrees

// Iw: the integer right-aligned in `width` columns, "-" before a negative one, never a plus
// sign; `width` asterisks when it does not fit.
std::string integer_field(std::int64_t value, int width);

// Fw.d: the value rounded correctly from its exact binary value to `decimals` places (exact
// ties to the even digit), right-aligned in `width` columns. A magnitude below 1 gets a 0
// before the point only where there is room for it; the sign is the value's own, so that
// negative zero prints with "-". `width` asterisks when it does not fit. Not-a-number is
// "NaN"; an infinity is "Infinity" or, in a narrow field, "Inf", with "-" when negative.
std::string fixed_field(double value, Edit edit);

// Fw.d as k-berg-table's rows and the page show a value: fixed_field(value, edit), except
// that what rounds to zero is a zero without a sign, whatever the value's sign.
std::string row_field(double value, Edit edit);

// The field row_field(value, edit) without its leading blanks: the same digits, for output
// where columns are separated otherwise, such as CSV.
std::string trimmed_field(double value, Edit edit);

// A value of any size (kilovolts, microamperes) right-aligned in `width` columns, with four
// significant digits at least: from a hundredth to a million in fixed form with one decimal at
// least (a whole number would end in a bare point) and five at most, "12.54", "0.01234",
// "441045.0"; below and above that with a power of ten, "4.287e-6", "4.410e12". Only zero
// is a plain zero, "0.000"; not-a-number and infinities are words, as in fixed_field. A blank
// always comes first: a value too long for the field is not cut but widens it, so that two
// values never run together.
std::string significant_field(double value, int width);

// A value shown in units of 10^`unit_power` (-12 for picofarads, 0 for volts) with four
// significant digits at least and every whole unit: "102.1", "5.570", "0.5123", "12346";
// "-" before a negative one; below a thousandth of the unit and from a million up with four
// digits and a power of ten, "4.287e-6", so that the text stays short. The digits are those
// of the value's exact binary value rounded once, ties to even, as fixed_field rounds; only
// zero is "0".
std::string digits_in_units(double value, int unit_power);

// `count` blanks; none where `count` is below 1.
std::string blanks(int count);

// The columns `text` takes on a terminal: UTF-8 continuation bytes take none, every other
// byte (all letters used here, Cyrillic and Greek too) takes one.
int display_width(std::string_view text);

// `text` after as many blanks as bring it to `width` columns.
std::string right_aligned(std::string_view text, int width);

// The shortest text that reads back as the same number, as a message names a value.
std::string shortest_text(double value);

// `numbers` with each decimal point a comma where `comma` is set, as a Russian-locale reader
// and spreadsheet expect them. Only for text made of numbers, blanks and separators.
std::string with_decimal_mark(std::string numbers, bool comma);

// An angle or an exponent as the views show it outside a fixed column: F10.3 without its
// leading blanks.
std::string parameter_text(double value);

// The program's two formats: a label followed by the value as F10.3, and a row of the
// harmonic table, 5 blanks, k as I3, 7 blanks, the modulus as F9.5, 4 blanks, the phase as
// F7.1 (35 characters).
std::string parameter_fields(std::string_view label, double value);
std::string harmonic_row_fields(int harmonic, double modulus, double phase);

}  // namespace textio
