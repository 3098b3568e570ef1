#include "textio/fields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace textio {

namespace {

// Right-aligned, or `width` asterisks when the text does not fit, as Fortran fields are.
std::string fitted(std::string_view text, int width) {
  if (static_cast<int>(text.size()) > width)
    return std::string(static_cast<std::size_t>(width), '*');
  return blanks(width - static_cast<int>(text.size())) + std::string(text);
}

std::string special_field(double value, int width) {
  if (std::isnan(value)) return fitted("NaN", width);
  std::string sign = std::signbit(value) ? "-" : "";
  bool room_for_word = width > 7 + static_cast<int>(sign.size());
  return fitted(sign + (room_for_word ? "Infinity" : "Inf"), width);
}

// The magnitude rounded to `decimals` places, as "digits.decimals" with "0" for an empty
// integer part. The standard library rounds from the exact binary value, ties to even.
std::string rounded_magnitude(double magnitude, int decimals) {
  // 309 integer digits at most for a double, the point and the decimals.
  std::string digits(312 + static_cast<std::size_t>(decimals), '\0');
  auto result = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude,
                              std::chars_format::fixed, decimals);
  digits.resize(static_cast<std::size_t>(result.ptr - digits.data()));
  return digits;
}

// Fw.d; `signed_zero` keeps the "-" of a negative value that rounds to zero, as the results
// screen and the report file have always printed it.
std::string edited(double value, Edit edit, bool signed_zero) {
  const int width = edit.width;
  if (!std::isfinite(value)) return special_field(value, width);

  std::string digits = rounded_magnitude(std::fabs(value), edit.decimals);
  std::size_t point = digits.find('.');
  if (point == std::string::npos) {  // no decimals: the point ends the field
    point = digits.size();
    digits += '.';
  }
  // A lone zero before the point is not an integer digit; it comes back only if there is room.
  std::string_view integer_part(digits.data(), digits[0] == '0' ? 0 : point);
  std::string_view fraction(digits.data() + point, digits.size() - point);

  const bool rounds_to_zero = digits.find_first_not_of("0.") == std::string::npos;
  bool negative = std::signbit(value) && (signed_zero || !rounds_to_zero);
  int room = width - static_cast<int>(integer_part.size() + fraction.size()) - (negative ? 1 : 0);
  bool leading_zero = integer_part.empty() && room > 0;
  if (leading_zero) --room;
  if (room < 0) return std::string(static_cast<std::size_t>(width), '*');

  std::string field = blanks(room);
  if (negative) field += '-';
  if (leading_zero) field += '0';
  field += integer_part;
  field += fraction;
  return field;
}

// Below a hundredth five decimals would show fewer than four digits; from a million up the
// fixed form would no longer fit a column of nine, and would grow without bound (to 311
// characters) where its power of ten keeps its width.
constexpr double kLeastFixed = 0.01;
constexpr double kMostFixed = 1e6;
// The longest fixed form: "-1000000.0", what rounds up to a million.
constexpr int kWidestFixed = 10;

// Four significant digits and a power of ten, without a "+" or leading zeros: "4.287e-6",
// "1.900e12", so that a value of any size fits a column of nine, or one or two more.
std::string exponent_form(double value) {
  std::array<char, 32> text;
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value,
                                     std::chars_format::scientific, 3);
  const std::string_view digits(text.data(), written.ptr);
  const std::size_t e = digits.find('e');
  const std::size_t power_start = digits[e + 1] == '+' ? e + 2 : e + 1;
  int power = 0;
  std::from_chars(digits.data() + power_start, written.ptr, power);
  return std::string(digits.substr(0, e + 1)) + std::to_string(power);
}

// One decimal at least (a whole number would end in a bare point), four significant digits
// at least and five decimals at most.
std::string fixed_form(double value) {
  const double magnitude = std::fabs(value);
  const int digits_before = static_cast<int>(std::floor(std::log10(magnitude)));
  const int decimals = std::clamp(3 - digits_before, 1, 5);
  return trimmed_field(value, {kWidestFixed, decimals});
}

std::string significant_text(double value) {
  if (!std::isfinite(value)) return trimmed_field(value, {kWidestFixed, 0});
  if (value == 0.0) return "0.000";
  const double magnitude = std::fabs(value);
  if (magnitude < kLeastFixed || magnitude >= kMostFixed) return exponent_form(value);
  return fixed_form(value);
}

// The significant digits of `magnitude` rounded to `precision` + 1 of them, and the power of
// ten of the first.
struct Digits {
  std::string digits;
  int power;
};
Digits scientific_digits(double magnitude, int precision) {
  std::array<char, 32> text;
  const auto written = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                     std::chars_format::scientific, precision);
  const std::string_view all(text.data(), written.ptr);
  const std::size_t e = all.find('e');
  Digits out{std::string(all.substr(0, 1)).append(all.substr(2, e - 2)), 0};
  const std::size_t power_start = all[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(all.data() + power_start, written.ptr, out.power);
  return out;
}

}  // namespace

std::string digits_in_units(double value, int unit_power) {
  if (value == 0.0 || !std::isfinite(value)) return shortest_text(value);
  std::string text = std::signbit(value) ? "-" : "";
  Digits rounded = scientific_digits(std::fabs(value), 3);
  const int power = rounded.power - unit_power;
  if (power < -3 || power >= 6) {
    return text.append(rounded.digits.substr(0, 1))
        .append(".")
        .append(rounded.digits.substr(1))
        .append("e")
        .append(std::to_string(power));
  }
  // Four digits, or as many more as reach the units; a rounding up to the next power of ten
  // can ask for one more.
  int before = rounded.power - unit_power + 1;
  while (before > static_cast<int>(rounded.digits.size())) {
    rounded = scientific_digits(std::fabs(value), before - 1);
    before = rounded.power - unit_power + 1;
  }
  if (before <= 0) {
    return text.append("0.").append(static_cast<std::size_t>(-before), '0').append(rounded.digits);
  }
  text.append(rounded.digits.substr(0, static_cast<std::size_t>(before)));
  if (before < static_cast<int>(rounded.digits.size()))
    text.append(".").append(rounded.digits.substr(static_cast<std::size_t>(before)));
  return text;
}

std::string blanks(int count) {
  return std::string(static_cast<std::size_t>(std::max(count, 0)), ' ');
}

int display_width(std::string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

std::string right_aligned(std::string_view text, int width) {
  return blanks(width - display_width(text)) + std::string(text);
}

std::string shortest_text(double value) {
  std::array<char, 32> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string with_decimal_mark(std::string numbers, bool comma) {
  if (comma) std::replace(numbers.begin(), numbers.end(), '.', ',');
  return numbers;
}

std::string parameter_text(double value) { return trimmed_field(value, kParameterEdit); }

std::string integer_field(std::int64_t value, int width) {
  std::string text = std::to_string(value);
  return fitted(text, width);
}

std::string fixed_field(double value, Edit edit) { return edited(value, edit, true); }

std::string row_field(double value, Edit edit) { return edited(value, edit, false); }

std::string trimmed_field(double value, Edit edit) {
  const std::string field = row_field(value, edit);
  return field.substr(field.find_first_not_of(' '));
}

std::string significant_field(double value, int width) {
  const std::string text = significant_text(value);
  return blanks(std::max(1, width - static_cast<int>(text.size()))) + text;
}

std::string parameter_fields(std::string_view label, double value) {
  return std::string(label) + fixed_field(value, kParameterEdit);
}

std::string harmonic_row_fields(int harmonic, double modulus, double phase) {
  return blanks(5) + integer_field(harmonic, 3) + blanks(7) + fixed_field(modulus, kModulusEdit) +
         blanks(4) + fixed_field(phase, kPhaseEdit);
}

}  // namespace textio
