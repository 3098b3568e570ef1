// vvod::read_real on any 20 characters. What it reads is checked against an independent
// reading of the same text: the entry's grammar as regular expressions, the value by strtod,
// which rounds correctly, overflows to an infinity and underflows to a subnormal or zero.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "textio/vvod.h"

namespace {

using vvod::RealRead;

struct Reading {
  RealRead kind;
  double value = 0.0;
  bool certain = true;  // false where the grammar leaves the outcome open
};

// [\s\S] rather than ".", which would stop at a CR or LF inside the text.
const std::regex kRepeat(R"(([0-9]+)\*([\s\S]*))");
const std::regex kWord(R"([+-]?(inf|infinity|nan|nan\([^)]*\)))", std::regex::icase);
// "nan(" whose closing parenthesis lies past a separator: whether the text in parentheses may
// hold a separator is left open.
const std::regex kOpenNan(R"([+-]?nan\([^)]*)", std::regex::icase);
const std::regex kNumber(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)(([eEdDqQ][+-]?|[+-])[0-9]+)?)");
const std::regex kNoDigits(R"([+-]?\.(([eEdDqQ][+-]?|[+-])[0-9]+)?)");

// The number as strtod writes it: the exponent marker always "e".
double convert(std::string number) {
  std::size_t marker = number.find_first_of("eEdDqQ+-", 1);
  if (marker != std::string::npos) {
    if (number[marker] == '+' || number[marker] == '-')
      number.insert(marker, "e");
    else
      number[marker] = 'e';
  }
  return std::strtod(number.c_str(), nullptr);
}

Reading read_token(const std::string& token) {
  if (std::regex_match(token, kWord)) {
    std::size_t sign = token[0] == '+' || token[0] == '-' ? 1 : 0;
    if ((token[sign] | 0x20) == 'n') return {RealRead::value, NAN};
    return {RealRead::value, token[0] == '-' ? -INFINITY : INFINITY};
  }
  if (std::regex_match(token, kOpenNan)) return {RealRead::value, NAN, false};
  if (std::regex_match(token, kNumber)) return {RealRead::value, convert(token)};
  if (std::regex_match(token, kNoDigits)) return {RealRead::no_digits};
  return {RealRead::bad_character};
}

Reading expected_reading(std::string_view buffer) {
  std::size_t start = buffer.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {RealRead::blank};
  std::size_t end = buffer.find_first_of(" \t,/;", start);
  std::string token(buffer.substr(start, end - start));
  if (token.empty()) return {RealRead::null_entry};

  std::smatch repeat;
  if (std::regex_match(token, repeat, kRepeat)) {
    std::string count = repeat[1].str();
    count.erase(0, count.find_first_not_of('0'));
    if (count.empty() || count.size() > 9 || std::stol(count) > 200000000)
      return {RealRead::bad_character};
    token = repeat[2].str();
    if (token.empty()) return {RealRead::null_entry};
  }
  return read_token(token);
}

bool same_value(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string buffer(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 20));
  buffer.resize(20, ' ');

  vvod::RealEntry entry = vvod::read_real(buffer);
  Reading expected = expected_reading(buffer);
  std::string shown = "'" + escaped(buffer) + "'";
  if (!expected.certain) {
    require(entry.kind == RealRead::bad_character ||
                (entry.kind == RealRead::value && std::isnan(entry.value)),
            shown + ": an open nan( is neither bad nor not-a-number");
    return 0;
  }
  require(entry.kind == expected.kind,
          shown + ": kind " + std::to_string(static_cast<int>(entry.kind)) + ", expected " +
              std::to_string(static_cast<int>(expected.kind)));
  if (entry.kind == RealRead::value) {
    char values[96];
    std::snprintf(values, sizeof values, ": read %a, expected %a", entry.value, expected.value);
    require(same_value(entry.value, expected.value), shown + values);
  }
  return 0;
}
