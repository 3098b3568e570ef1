// vvod::read_integer over any stream of bytes, read until the end. Every call must make
// progress, so the loop ends; each line with something on it gives exactly one entry, and
// that entry is checked against an independent reading of the line.
#include <charconv>
#include <cstdint>
#include <limits>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "textio/channels.h"
#include "textio/vvod.h"

namespace {

using vvod::IntegerEntry;
using vvod::IntegerRead;

// [\s\S] rather than ".", which would stop at a CR or LF inside the text.
const std::regex kRepeat(R"(([0-9]+)\*([\s\S]*))");
const std::regex kInteger(R"([+-]?[0-9]+)");

bool in_int32(std::string_view digits, std::int32_t* value) {
  if (digits[0] == '+') digits.remove_prefix(1);
  auto result = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
  return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

// The entry a line with something on it gives: its first item, which ends at a blank, TAB,
// CR, ",", "/" or ";", perhaps with a repeat count, is a value, nothing or wrong.
IntegerEntry expected_entry(std::string_view line) {
  std::size_t start = line.find_first_not_of(" \t\r");
  std::size_t end = line.find_first_of(" \t\r,/;", start);
  std::string item(line.substr(start, end - start));
  if (item.empty()) return {IntegerRead::null_entry, 0};

  std::smatch repeat;
  if (std::regex_match(item, repeat, kRepeat)) {
    std::string count = repeat[1].str();
    count.erase(0, count.find_first_not_of('0'));
    if (count.empty() || count.size() > 9 || std::stol(count) > 200000000)
      return {IntegerRead::wrong, 0};
    item = repeat[2].str();
    if (item.empty()) return {IntegerRead::null_entry, 0};
  }
  std::int32_t value = 0;
  if (std::regex_match(item, kInteger) && in_int32(item, &value))
    return {IntegerRead::value, value};
  return {IntegerRead::wrong, 0};
}

std::vector<std::string_view> lines_with_something(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (line.find_first_not_of(" \t\r") != std::string_view::npos) lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

std::string describe(const IntegerEntry& entry) {
  return std::to_string(static_cast<int>(entry.kind)) + "/" + std::to_string(entry.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  textio::StringSource source(text);
  textio::Input input(source);
  std::vector<std::string_view> lines = lines_with_something(text);

  for (std::size_t call = 0;; ++call) {
    IntegerEntry entry = vvod::read_integer(input);
    if (call == lines.size()) {
      require(entry.kind == IntegerRead::end, "an entry after the last line: " + describe(entry));
      require(vvod::read_integer(input).kind == IntegerRead::end, "input came back after its end");
      return 0;
    }
    std::string line = escaped(lines[call]);
    require(entry.kind != IntegerRead::end, "the end came before line '" + line + "'");
    IntegerEntry expected = expected_entry(lines[call]);
    require(entry.kind == expected.kind && entry.value == expected.value,
            "line '" + line + "' gave " + describe(entry) + ", expected " + describe(expected));
  }
}
