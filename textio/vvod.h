// Number entry from standard input: a real number for the two prompts of the calculation,
// an integer for the menu.
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/channels.h"
#include "textio/records.h"

namespace vvod {

// What one real entry read from a line buffer.
enum class RealRead {
  value,          // a number, an infinity or not-a-number
  null_entry,     // "/" or ";" first, or a repeat count with no value: no value at all
  blank,          // nothing but blanks and TABs
  bad_character,  // a character that cannot belong to a number
  no_digits,      // a number without any digit, such as "." or ".e5"
};

struct RealEntry {
  RealRead kind;
  double value;
};

// The number of characters of a line that a real entry looks at.
constexpr int kLineBuffer = 20;

// Reads one real number from the start of `buffer` (a line cut or padded to 20 characters,
// its first comma already made a full stop). The number ends at a blank, TAB, ",", "/", ";"
// or the end of the buffer; the rest is ignored. Values too large become infinities, values
// too small subnormals or zero.
RealEntry read_real(std::string_view buffer);

// Reads one line of standard input, cut or padded to 20 characters, turns its first comma
// into a full stop and returns the real number in it. A null entry returns not-a-number,
// which the callers' range checks reject, so the prompt is simply shown again. Anything else
// that is not a number, and the end of input, throw textio::Failure.
double chislo(textio::Input& input);

// What one integer entry read from standard input.
enum class IntegerRead { value, null_entry, wrong, end };

struct IntegerEntry {
  IntegerRead kind;
  std::int32_t value;
};

// Reads one integer value, skipping blanks, TABs, CRs and empty lines before it. Whatever
// follows the value on its line is discarded, whether the value was good or not.
IntegerEntry read_integer(textio::Input& input);

// Reads integers until one is good. A wrong entry (a bad character, a value out of range, a
// bad repeat count) is answered with a message record and read again without a new prompt;
// a null entry is skipped silently. The end of input throws textio::Failure.
std::int32_t chislointeger(textio::Input& input, textio::Records& output);

}  // namespace vvod
