#include "textio/vvod.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "textio/failure.h"

namespace vvod {

namespace {

constexpr std::int64_t kLargestRepeat = 200000000;
// Digit strings of any length are read into a magnitude held at this cap, well above every
// accepted value, so that a long string of digits is out of range and never overflows.
constexpr std::int64_t kMagnitudeCap = 10000000000;

constexpr std::string_view kWrongEntry = " Введен неверный символ, введите повторно...";

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_sign(int c) { return c == '+' || c == '-'; }
bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool is_line_end(int c) { return c == '\r' || c == '\n'; }
// A separator ends an item; one with nothing before it is a null entry.
bool is_separator(int c) { return c == ',' || c == '/' || c == ';'; }

// The magnitude of digits read so far with one more digit, held at the cap.
std::int64_t with_digit(std::int64_t magnitude, int digit) {
  return std::min(magnitude * 10 + (digit - '0'), kMagnitudeCap);
}

// A repeat count r in "r*value" is from 1 to kLargestRepeat.
bool is_repeat_count(std::int64_t count) { return count > 0 && count <= kLargestRepeat; }

// ---- Real numbers, read from a line buffer ----

bool ends_real(std::string_view text, std::size_t at) {
  if (at >= text.size()) return true;
  return is_blank(text[at]) || is_separator(text[at]);
}

std::size_t skip_digits(std::string_view text, std::size_t at) {
  while (at < text.size() && is_digit(text[at])) ++at;
  return at;
}

bool starts_with_word(std::string_view text, std::string_view lower_case_word) {
  if (text.size() < lower_case_word.size()) return false;
  return std::equal(lower_case_word.begin(), lower_case_word.end(), text.begin(),
                    [](char word, char typed) { return word == (typed | 0x20); });
}

// "inf", "infinity", "nan" or "nan(text)", in any letter case, after the sign.
RealEntry read_word(std::string_view text, bool negative) {
  constexpr RealEntry kBad{RealRead::bad_character, 0.0};
  std::size_t length = 0;
  double value = std::numeric_limits<double>::infinity();
  if (starts_with_word(text, "infinity")) {
    length = 8;
  } else if (starts_with_word(text, "inf")) {
    length = 3;
  } else if (starts_with_word(text, "nan")) {
    length = 3;
    value = std::numeric_limits<double>::quiet_NaN();
    if (text.size() > 3 && text[3] == '(') {
      std::size_t close = text.find(')', 4);
      if (close == std::string_view::npos) return kBad;
      length = close + 1;
    }
  }
  if (length == 0 || !ends_real(text, length)) return kBad;
  return {RealRead::value, negative ? -value : value};
}

// Digits with at most one point, then an optional exponent: a letter E, D or Q with an
// optional sign, or a sign alone, followed by digits.
RealEntry read_digits(std::string_view text, bool negative) {
  constexpr RealEntry kBad{RealRead::bad_character, 0.0};
  std::size_t at = skip_digits(text, 0);
  bool point = at < text.size() && text[at] == '.';
  if (point) at = skip_digits(text, at + 1);
  bool any_digit = at > (point ? 1u : 0u);
  std::string number(text.substr(0, at));

  bool negative_exponent = false;
  if (!ends_real(text, at)) {
    char marker = text[at] | 0x20;
    if (marker == 'e' || marker == 'd' || marker == 'q')
      ++at;
    else if (!is_sign(text[at]))
      return kBad;
    negative_exponent = at < text.size() && text[at] == '-';
    if (at < text.size() && is_sign(text[at])) ++at;
    std::size_t exponent_end = skip_digits(text, at);
    if (exponent_end == at || !ends_real(text, exponent_end)) return kBad;
    number += negative_exponent ? "e-" : "e";
    number.append(text.substr(at, exponent_end - at));
  }
  if (!any_digit) return {point ? RealRead::no_digits : RealRead::bad_character, 0.0};

  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // At most 20 characters of digits: only the exponent can leave the range, and its sign
    // tells which way.
    value = negative_exponent ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return {RealRead::value, negative ? -value : value};
}

RealEntry read_value(std::string_view text) {
  bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && is_sign(text[0])) text.remove_prefix(1);
  if (!text.empty() && (text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z') {
    return read_word(text, negative);
  }
  return read_digits(text, negative);
}

// The line as the real entry sees it: its first 20 characters, padded with blanks. The line
// ends at LF, or at a CR just before LF or the end of input.
std::string read_line_buffer(textio::Input& input) {
  std::string buffer;
  for (int c = input.get(); c != textio::Input::kEnd && c != '\n'; c = input.get()) {
    bool line_end = c == '\r' && (input.peek() == '\n' || input.peek() == textio::Input::kEnd);
    if (!line_end && buffer.size() < kLineBuffer) buffer += static_cast<char>(c);
  }
  buffer.resize(kLineBuffer, ' ');
  return buffer;
}

// ---- Integers, read from the input stream ----

bool ends_integer(int c) {
  return is_blank(c) || is_line_end(c) || is_separator(c) || c == textio::Input::kEnd;
}

void skip_rest_of_line(textio::Input& input) {
  for (int c = input.get(); c != '\n' && c != textio::Input::kEnd; c = input.get()) {
  }
}

struct SignedDigits {
  bool signed_ = false;
  bool negative = false;
  int digits = 0;
  std::int64_t magnitude = 0;
};

SignedDigits read_signed_digits(textio::Input& input) {
  SignedDigits number;
  if (is_sign(input.peek())) {
    number.signed_ = true;
    number.negative = input.get() == '-';
  }
  while (is_digit(input.peek())) {
    number.magnitude = with_digit(number.magnitude, input.get());
    ++number.digits;
  }
  return number;
}

IntegerEntry finish_line(textio::Input& input, IntegerRead kind, std::int32_t value = 0) {
  skip_rest_of_line(input);
  return {kind, value};
}

}  // namespace

RealEntry read_real(std::string_view buffer) {
  std::size_t start = buffer.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {RealRead::blank, 0.0};
  if (ends_real(buffer, start)) return {RealRead::null_entry, 0.0};

  std::size_t count_end = skip_digits(buffer, start);
  if (count_end > start && count_end < buffer.size() && buffer[count_end] == '*') {
    std::string_view count = buffer.substr(start, count_end - start);
    std::int64_t repeat = 0;
    for (char digit : count) repeat = with_digit(repeat, digit);
    if (!is_repeat_count(repeat)) return {RealRead::bad_character, 0.0};
    start = count_end + 1;
    if (ends_real(buffer, start)) return {RealRead::null_entry, 0.0};
  }
  return read_value(buffer.substr(start));
}

double chislo(textio::Input& input) {
  if (input.peek() == textio::Input::kEnd)
    throw textio::Failure(textio::standard_input_unit(), "End of file");
  std::string buffer = read_line_buffer(input);
  std::size_t comma = buffer.find(',');
  if (comma != std::string::npos) buffer[comma] = '.';

  RealEntry entry = read_real(buffer);
  switch (entry.kind) {
    case RealRead::value:
      return entry.value;
    case RealRead::null_entry:
      return std::numeric_limits<double>::quiet_NaN();
    case RealRead::blank:
      throw textio::Failure(textio::no_unit(), "End of file");
    case RealRead::bad_character:
      throw textio::Failure(textio::no_unit(), "Bad real number in item 1 of list input");
    case RealRead::no_digits:
      throw textio::Failure(textio::no_unit(), "Error during floating point read");
  }
  return entry.value;
}

IntegerEntry read_integer(textio::Input& input) {
  int c = input.peek();
  while (is_blank(c) || is_line_end(c)) {
    input.get();
    c = input.peek();
  }
  if (c == textio::Input::kEnd) return {IntegerRead::end, 0};
  if (is_separator(c)) return finish_line(input, IntegerRead::null_entry);

  SignedDigits number = read_signed_digits(input);
  if (input.peek() == '*' && !number.signed_ && number.digits > 0) {
    input.get();
    if (!is_repeat_count(number.magnitude)) {
      return finish_line(input, IntegerRead::wrong);
    }
    if (ends_integer(input.peek())) return finish_line(input, IntegerRead::null_entry);
    number = read_signed_digits(input);
  }
  if (number.digits == 0 || !ends_integer(input.peek())) {
    return finish_line(input, IntegerRead::wrong);
  }
  std::int64_t value = number.negative ? -number.magnitude : number.magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return finish_line(input, IntegerRead::wrong);
  }
  return finish_line(input, IntegerRead::value, static_cast<std::int32_t>(value));
}

std::int32_t chislointeger(textio::Input& input, textio::Records& output) {
  for (;;) {
    IntegerEntry entry = read_integer(input);
    switch (entry.kind) {
      case IntegerRead::value:
        return entry.value;
      case IntegerRead::null_entry:
        break;
      case IntegerRead::wrong:
        output.text(kWrongEntry);
        break;
      case IntegerRead::end:
        throw textio::Failure(textio::standard_input_unit(), "End of file");
    }
  }
}

}  // namespace vvod
