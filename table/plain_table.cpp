#include "table/plain_table.h"

#include <algorithm>
#include <string_view>

#include "textio/channels.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace table {

namespace {

// Column widths; the decimals are those of the results screen.
constexpr int kAngleWidth = 8;
constexpr int kModulusWidth = 9;
constexpr int kPhaseWidth = 8;

// Columns on a terminal: UTF-8 continuation bytes take none, every other byte (all letters
// used here, Cyrillic and Greek too) takes one.
int display_width(std::string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char byte) { return (byte & 0xC0) != 0x80; }));
}

std::string right_aligned(std::string_view label, int width) {
  return textio::blanks(width - display_width(label)) + std::string(label);
}

std::string heading(const std::vector<int>& harmonics, bool phases) {
  std::string line = right_aligned("Угол", kAngleWidth);
  for (int k : harmonics) {
    line += right_aligned("α" + std::to_string(k), kModulusWidth);
    if (phases) line += right_aligned("φ" + std::to_string(k), kPhaseWidth);
  }
  return line;
}

std::string row_fields(const Row& row, const std::vector<int>& harmonics, bool phases) {
  std::string line = textio::fixed_field(row.angle, kAngleWidth, 3);
  for (int k : harmonics) {
    line += textio::fixed_field(row.values[k], kModulusWidth, 5);
    if (phases) line += textio::fixed_field(row.values[nml1::kHarmonics + k], kPhaseWidth, 1);
  }
  return line;
}

void write_block(textio::Records& out, const Block& block, const std::vector<int>& harmonics,
                 bool phases) {
  const std::string columns = heading(harmonics, phases);
  const std::string rule(static_cast<std::size_t>(display_width(columns)), '-');
  out.write_empty();
  out.text("Степень функции = " + textio::trimmed_field(block.exponent, 10, 3));
  out.formatted(rule);
  out.formatted(columns);
  out.formatted(rule);
  for (const Row& row : block.rows) out.formatted(row_fields(row, harmonics, phases));
}

}  // namespace

std::string plain_table(const std::vector<Block>& blocks, const std::vector<int>& harmonics,
                        bool phases) {
  textio::StringSink sink;
  textio::Records out(sink, false);
  out.text("Коэффициенты Берга");
  for (const Block& block : blocks) write_block(out, block, harmonics, phases);
  out.flush();
  return sink.text();
}

}  // namespace table
