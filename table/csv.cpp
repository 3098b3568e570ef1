#include "table/csv.h"

#include "textio/channels.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace table {

namespace {

std::string header(const std::vector<int>& harmonics) {
  std::string line = "angle,exponent";
  for (int k : harmonics) line += ",a" + std::to_string(k);
  for (int k : harmonics) line += ",phi" + std::to_string(k);
  return line;
}

std::string row_line(const Row& row, double exponent, const std::vector<int>& harmonics) {
  std::string line = textio::trimmed_field(row.angle, textio::kParameterEdit);
  line += ',';
  line += textio::trimmed_field(exponent, textio::kParameterEdit);
  for (int k : harmonics) {
    line += ',';
    line += textio::trimmed_field(row.result.modulus(k), textio::kModulusEdit);
  }
  for (int k : harmonics) {
    line += ',';
    line += textio::trimmed_field(row.result.phase(k), textio::kPhaseEdit);
  }
  return line;
}

}  // namespace

std::string csv_table(const std::vector<Block>& blocks, const std::vector<int>& harmonics) {
  textio::StringSink sink;
  textio::Records out(sink, false);
  out.formatted(header(harmonics));
  for (const Block& block : blocks) {
    for (const Row& row : block.rows) out.formatted(row_line(row, block.exponent, harmonics));
  }
  out.flush();
  return sink.text();
}

}  // namespace table
