// Fw.d and Iw editing of any value in any width. Each field is compared with one built by
// exact integer arithmetic: the magnitude m * 2^e of the double times 10^d, divided by 2^-e
// with an exact half going to the even integer, is the only correctly rounded digit string.
// The field must be exactly w characters, asterisks only when those digits, the point, the
// decimals and the sign need more than w columns, and the sign is the value's own.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/check.h"
#include "fuzz/natural.h"
#include "textio/fields.h"

namespace {

std::string padded(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

// The magnitude rounded to `decimals` places, as a string of digits without the point.
std::string rounded_digits(double magnitude, int decimals) {
  int exponent = 0;
  double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction * 2^exponent
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));  // exact: 53 bits
  exponent -= 53;
  Natural scaled(mantissa);
  for (int i = 0; i < decimals; ++i) scaled.multiply(10);
  if (exponent >= 0)
    scaled.shift_left(exponent);
  else
    scaled.shift_right_rounding(-exponent);
  return scaled.decimal();
}

std::string expected_fixed(double value, int width, int decimals) {
  if (std::isnan(value)) return padded("NaN", width);
  std::string sign = std::signbit(value) ? "-" : "";
  if (std::isinf(value))
    return padded(sign + (width > 7 + static_cast<int>(sign.size()) ? "Infinity" : "Inf"), width);

  std::string digits = rounded_digits(std::fabs(value), decimals);
  if (static_cast<int>(digits.size()) <= decimals)
    digits.insert(0, decimals + 1 - digits.size(), '0');
  std::string integer = digits.substr(0, digits.size() - decimals);
  if (integer == "0") integer.clear();
  std::string fraction = digits.substr(digits.size() - decimals);

  int room = width - static_cast<int>(integer.size() + 1 + decimals + sign.size());
  if (room < 0) return std::string(width, '*');
  bool zero = integer.empty() && room > 0;
  return std::string(room - (zero ? 1 : 0), ' ') + sign + (zero ? "0" : "") + integer + "." +
         fraction;
}

std::string expected_integer(std::int64_t value, int width) {
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  return padded((value < 0 ? "-" : "") + Natural(magnitude).decimal(), width);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  auto value = std::bit_cast<double>(provider.ConsumeIntegral<std::uint64_t>());
  int width = provider.ConsumeIntegralInRange(0, 400);
  int decimals = provider.ConsumeIntegralInRange(0, 60);
  auto integer = provider.ConsumeIntegral<std::int64_t>();

  char shown[80];
  std::snprintf(shown, sizeof shown, "F%d.%d of %a: ", width, decimals, value);
  std::string fixed = textio::fixed_field(value, width, decimals);
  require(static_cast<int>(fixed.size()) == width, shown + ("'" + fixed + "' has another width"));
  std::string expected = expected_fixed(value, width, decimals);
  require(fixed == expected, shown + ("'" + fixed + "', expected '" + expected + "'"));

  std::string field = textio::integer_field(integer, width);
  expected = expected_integer(integer, width);
  require(field == expected, "I" + std::to_string(width) + " of " + std::to_string(integer) +
                                 ": '" + field + "', expected '" + expected + "'");
  return 0;
}
