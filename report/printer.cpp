#include "report/printer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textio/failure.h"
#include "textio/fields.h"

namespace printer {

namespace {

constexpr char kFileName[] = "K-Berg.txt";
constexpr int kUnit = 120;
constexpr std::string_view kClosingRecord = " ----------------------------------\r\n";
constexpr std::string_view kRule = kClosingRecord.substr(1, kClosingRecord.size() - 3);
constexpr std::chrono::seconds kNoticeAfter{1};
// Where the shape of a block has a number field, and what such a field may hold.
constexpr char kAnyField = '\0';
constexpr std::string_view kFieldCharacters = " 0123456789.-*NaInfinity";

// The 18 records of a block, with its number fields already edited: the angle, the exponent
// and the ten rows of the table.
std::string block_records(std::string_view angle, std::string_view exponent,
                          const std::vector<std::string>& rows) {
  textio::StringSink sink;
  textio::Records records(sink, false);
  records.write_empty();
  records.write_empty();
  records.formatted(" Угол отсечки\t\t= " + std::string(angle));
  records.formatted(" Степень функции\t= " + std::string(exponent));
  records.text(kRule);
  records.text("   № гарм.  \t |Коэфф.|\tФаза");
  records.write_empty();
  for (const std::string& row : rows) records.formatted(row);
  records.text(kRule);
  records.flush();
  return sink.text();
}

std::string block(const berg::Result& result) {
  std::vector<std::string> rows;
  for (int k = 0; k < berg::kHarmonics; ++k) {
    rows.push_back(textio::harmonic_row_fields(k, result.modulus(k), result.phase(k)));
  }
  return block_records(textio::fixed_field(result.angle(), textio::kParameterEdit),
                       textio::fixed_field(result.exponent(), textio::kParameterEdit), rows);
}

// What every block looks like: its text, with kAnyField where a number field stands. A row
// of the table is fields and the blanks between them, all of it field characters.
const std::string& block_shape() {
  static const std::string shape = [] {
    const std::string parameter(textio::kParameterEdit.width, kAnyField);
    const std::string row(textio::harmonic_row_fields(0, 0.0, 0.0).size(), kAnyField);
    return block_records(parameter, parameter, std::vector<std::string>(berg::kHarmonics, row));
  }();
  return shape;
}

bool fits_shape(std::string_view bytes, std::string_view shape) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool fits = shape[i] == kAnyField
                          ? kFieldCharacters.find(bytes[i]) != std::string_view::npos
                          : bytes[i] == shape[i];
    if (!fits) return false;
  }
  return true;
}

// How many bytes at the end of `tail`, the last bytes of the file, are the unfinished block
// of a save that was killed, or 0. Such a part is shorter than a block and looks like its
// beginning, and it begins where the file begins (`from_start`) or right after the closing
// record of a whole block. A file that ends in a whole block has no such part: its last line
// end follows the rule, not a closing record. What others wrote after a whole block that
// looks like such a part, as a lone line end does, cannot be told from one and is cut too.
std::size_t unfinished_block(std::string_view tail, bool from_start) {
  const std::string& shape = block_shape();
  for (std::size_t length = std::min(tail.size(), shape.size() - 1); length > 0; --length) {
    const std::string_view before = tail.substr(0, tail.size() - length);
    const bool after_a_block = before.ends_with(kClosingRecord) || (before.empty() && from_start);
    if (after_a_block && fits_shape(tail.substr(before.size()), shape)) return length;
  }
  return 0;
}

textio::Failure write_failure(const std::string& error) {
  return textio::Failure({kUnit, kFileName},
                         std::string("Cannot write to file '") + kFileName + "': " + error);
}

// Waits for the other saver that holds the file, saying so once the wait grows long: no block
// is dropped for it.
void lock(platform::ReportFile& file, textio::Records& screen) {
  std::string error;
  platform::LockState state = file.lock(kNoticeAfter, &error);
  if (state == platform::LockState::busy) {
    screen.text("Файл K-Berg.txt занят другой записью, ожидание ее завершения...");
    screen.flush();
  }
  while (state == platform::LockState::busy) state = file.lock(kNoticeAfter, &error);
  if (state == platform::LockState::failed) throw write_failure(error);
}

// Cuts off the unfinished block the file ends in, if it does, saying so; returns the size
// the file then has.
std::uint64_t cut_off_unfinished_block(platform::ReportFile& file, std::uint64_t size,
                                       textio::Records& screen) {
  const std::size_t longest = block_shape().size() - 1 + kClosingRecord.size();
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, longest));
  std::string tail, error;
  if (!file.read(size - wanted, wanted, &tail, &error)) throw write_failure(error);
  const std::size_t unfinished = unfinished_block(tail, tail.size() == size);
  if (unfinished == 0) return size;
  if (!file.cut_back(size - unfinished, &error)) throw write_failure(error);
  screen.text("Из файла K-Berg.txt удален обрывок прерванной записи (байт: " +
              std::to_string(unfinished) + ")");
  return size - unfinished;
}

// Appends the block. When the write or the flush fails after some of the block went in, the
// file is cut back to the size it had, so that a save is whole or absent; a cut-back that
// fails is reported as well. The requests that end the process wait from the write until the
// flush or the cut-back is done, so that they never leave a part of the block.
void append_whole(platform::ReportFile& file, std::string_view bytes, std::uint64_t size_before) {
  const platform::EndingSignalsHeld held;
  std::string error;
  std::size_t written = 0;
  if (file.append(bytes, &written, &error) && file.sync(&error)) return;
  std::string cut_back_error;
  if (written > 0 && !file.cut_back(size_before, &cut_back_error)) {
    error += "; cannot remove the " + std::to_string(written) + " bytes written: " + cut_back_error;
  }
  throw write_failure(error);
}

}  // namespace

// The save is done once the block is whole and flushed. The file is then closed without a
// word: a close that failed could not take back a block already on stable storage, and with
// the descriptor gone, so is the lock, so that cutting it back could hit another saver's.
void output_printer(const berg::HarmonicTable& table, const double& exponent,
                    const double& cutoff_angle, platform::FileSystem& files,
                    textio::Records& screen) {
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
  lock(*file, screen);
  std::uint64_t size = 0;
  if (!file->size(&size, &error)) throw write_failure(error);
  append_whole(*file, bytes, cut_off_unfinished_block(*file, size, screen));
}

}  // namespace printer
