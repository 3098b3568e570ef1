#include "table/plain_table.h"

#include <algorithm>
#include <string_view>

#include "textio/channels.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace table {

namespace {

// The columns: as wide as the heading needs, with the decimals of the results screen.
constexpr textio::Edit kAngleColumn{8, textio::kParameterEdit.decimals};
constexpr textio::Edit kModulusColumn{9, textio::kModulusEdit.decimals};
constexpr textio::Edit kPhaseColumn{8, textio::kPhaseEdit.decimals};

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
  std::string line = right_aligned("Угол", kAngleColumn.width);
  for (int k : harmonics) {
    line += right_aligned("α" + std::to_string(k), kModulusColumn.width);
    if (phases) line += right_aligned("φ" + std::to_string(k), kPhaseColumn.width);
  }
  return line;
}

std::string row_fields(const Row& row, const std::vector<int>& harmonics, bool phases) {
  std::string line = textio::fixed_field(row.angle, kAngleColumn);
  for (int k : harmonics) {
    line += textio::fixed_field(row.result.modulus(k), kModulusColumn);
    if (phases) line += textio::fixed_field(row.result.phase(k), kPhaseColumn);
  }
  return line;
}

void write_block(textio::Records& out, const Block& block, const std::vector<int>& harmonics,
                 bool phases) {
  const std::string columns = heading(harmonics, phases);
  const std::string rule(static_cast<std::size_t>(display_width(columns)), '-');
  out.write_empty();
  out.text("Степень функции = " + textio::trimmed_field(block.exponent, textio::kParameterEdit));
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
