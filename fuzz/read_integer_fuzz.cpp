// vvod::read_integer over any stream of bytes, read until the end. Every call must make
// progress, so the loop ends: each line with something on it gives exactly one entry, there
// is none after the last, and the input stays ended. A failed check aborts, which libFuzzer
// records as a crash together with the input.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "textio/channels.h"
#include "textio/vvod.h"

static std::size_t lines_with_something(std::string_view text) {
  std::size_t lines = 0;
  while (!text.empty()) {
    std::size_t end = std::min(text.find('\n'), text.size());
    if (text.substr(0, end).find_first_not_of(" \t\r") != std::string_view::npos) ++lines;
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  textio::StringSource source(text);
  textio::Input input(source);
  const std::size_t lines = lines_with_something(text);
  for (std::size_t call = 0; call < lines + 2; ++call)
    if ((vvod::read_integer(input).kind == vvod::IntegerRead::end) != (call >= lines)) std::abort();
  return 0;
}
