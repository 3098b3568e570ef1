// vvod::chislo over any stream of bytes, read until the end. Every call must take exactly one
// line, so that the reads end: the call after the last line, and only that one, finds the end
// of input. Every value accepted must be the value of the text typed, as the C library reads
// that text once its repeat count is dropped and its exponent is written with an "e". A failed
// check aborts, which libFuzzer records as a crash together with the input.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "textio/channels.h"
#include "textio/failure.h"
#include "textio/vvod.h"

namespace {

// The line as a real entry sees it: its first 20 characters, padded with blanks, its first
// comma a point. A CR just before LF or the end of input ends the line.
std::string line_buffer(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string buffer(line.substr(0, vvod::kLineBuffer));
  buffer.resize(vvod::kLineBuffer, ' ');
  const std::size_t comma = buffer.find(',');
  if (comma != std::string::npos) buffer[comma] = '.';
  return buffer;
}

// The value of an accepted entry as the C library reads its text.
double library_value(std::string_view buffer) {
  const std::size_t start = buffer.find_first_not_of(" \t");
  std::string_view token = buffer.substr(start, buffer.find_first_of(" \t,/;", start) - start);
  const std::size_t count_end = token.find_first_not_of("0123456789");
  if (count_end > 0 && count_end != std::string_view::npos && token[count_end] == '*')
    token.remove_prefix(count_end + 1);
  std::string text;
  for (std::size_t i = 0; i < token.size(); ++i) {
    const char c = token[i];
    const bool after_mantissa =
        i > 0 && ((token[i - 1] >= '0' && token[i - 1] <= '9') || token[i - 1] == '.');
    if ((c | 0x20) == 'd' || (c | 0x20) == 'q') {
      text += 'e';
      continue;
    }
    if ((c == '+' || c == '-') && after_mantissa) text += 'e';
    text += c;
  }
  return std::strtod(text.c_str(), nullptr);
}

bool same(double a, double b) {
  return std::isnan(a) ? std::isnan(b) : a == b && std::signbit(a) == std::signbit(b);
}

// Checks the value of each line and returns how many lines there are.
std::size_t check_values(std::string_view text) {
  std::size_t lines = 0;
  for (std::size_t at = 0; at < text.size(); ++lines) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string buffer = line_buffer(text.substr(at, end - at));
    const vvod::RealEntry entry = vvod::read_real(buffer);
    if (entry.kind == vvod::RealRead::value && !same(entry.value, library_value(buffer)))
      std::abort();
    at = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  textio::StringSource source(text);
  textio::Input input(source);
  const std::size_t lines = check_values(text);
  for (std::size_t call = 0; call <= lines; ++call) {
    bool ended = false;
    try {
      vvod::chislo(input);
    } catch (const textio::Failure& failure) {
      ended = failure.unit().number == textio::standard_input_unit().number;
    }
    if (ended != (call == lines)) std::abort();
  }
  return 0;
}
