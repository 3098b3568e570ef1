#include "report/printer.h"

#include <string>

#include "platform/platform.h"
#include "textio/failure.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace printer {

namespace {

constexpr char kFileName[] = "K-Berg.txt";
constexpr int kUnit = 120;
constexpr std::string_view kRule = "----------------------------------";

std::string block(const std::array<double, 20>& table, double exponent, double cutoff_angle) {
  textio::StringSink sink;
  textio::Records records(sink, false);
  records.write_empty();
  records.write_empty();
  records.formatted(textio::parameter_fields(" Угол отсечки\t\t= ", cutoff_angle));
  records.formatted(textio::parameter_fields(" Степень функции\t= ", exponent));
  records.text(kRule);
  records.text("   № гарм.  \t |Коэфф.|\tФаза");
  records.write_empty();
  for (int k = 0; k < 10; ++k) {
    records.formatted(textio::harmonic_row_fields(k, table[k], table[10 + k]));
  }
  records.text(kRule);
  records.flush();
  return sink.text();
}

}  // namespace

void output_printer(const std::array<double, 20>& table, const double& exponent,
                    const double& cutoff_angle) {
  const std::string bytes = block(table, exponent, cutoff_angle);
  const textio::Unit unit{kUnit, kFileName};
  platform::AppendFile file;
  std::string error;
  if (!platform::open_append(kFileName, &file, &error)) {
    throw textio::Failure({kUnit, ""},
                          std::string("Cannot open file '") + kFileName + "': " + error);
  }
  if (file.read_only) throw textio::Failure(unit, "Cannot write to file opened for READ");
  // The whole block goes in one write and is on disk before the save is confirmed.
  if (!platform::append(file, bytes, &error) || !platform::sync_and_close(file, &error)) {
    throw textio::Failure(unit, std::string("Cannot write to file '") + kFileName + "': " + error);
  }
}

}  // namespace printer
