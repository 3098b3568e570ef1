#include "report/printer.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/failure.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace printer {

namespace {

constexpr char kFileName[] = "K-Berg.txt";
constexpr int kUnit = 120;
constexpr std::string_view kRule = "----------------------------------";

std::string block(const berg::Result& result) {
  textio::StringSink sink;
  textio::Records records(sink, false);
  records.write_empty();
  records.write_empty();
  records.formatted(textio::parameter_fields(" Угол отсечки\t\t= ", result.angle()));
  records.formatted(textio::parameter_fields(" Степень функции\t= ", result.exponent()));
  records.text(kRule);
  records.text("   № гарм.  \t |Коэфф.|\tФаза");
  records.write_empty();
  for (int k = 0; k < berg::kHarmonics; ++k) {
    records.formatted(textio::harmonic_row_fields(k, result.modulus(k), result.phase(k)));
  }
  records.text(kRule);
  records.flush();
  return sink.text();
}

textio::Failure write_failure(const std::string& error) {
  return textio::Failure({kUnit, kFileName},
                         std::string("Cannot write to file '") + kFileName + "': " + error);
}

// Appends the block under the file's lock, so that no other saver writes in between. When the
// write or the flush fails after some of the block went in, the file is cut back to the size
// it had, so that a save is whole or absent; a cut-back that fails is reported as well.
void append_whole(platform::ReportFile& file, std::string_view bytes) {
  std::string error;
  std::uint64_t size_before = 0;
  if (!file.lock(&error) || !file.size(&size_before, &error)) throw write_failure(error);
  std::size_t written = 0;
  if (file.append(bytes, &written, &error) && file.sync(&error)) {
    if (!file.close(&error)) throw write_failure(error);
    return;
  }
  std::string cut_back_error;
  if (written > 0 && !file.cut_back(size_before, &cut_back_error)) {
    error += "; cannot remove the " + std::to_string(written) + " bytes written: " + cut_back_error;
  }
  throw write_failure(error);
}

}  // namespace

void output_printer(const berg::HarmonicTable& table, const double& exponent,
                    const double& cutoff_angle, platform::FileSystem& files) {
  const std::string bytes = block(berg::Result(cutoff_angle, exponent, table));
  std::string error;
  std::unique_ptr<platform::ReportFile> file = files.open_report(kFileName, &error);
  if (file == nullptr) {
    throw textio::Failure({kUnit, ""},
                          std::string("Cannot open file '") + kFileName + "': " + error);
  }
  if (file->read_only()) {
    throw textio::Failure({kUnit, kFileName}, "Cannot write to file opened for READ");
  }
  append_whole(*file, bytes);
}

}  // namespace printer
