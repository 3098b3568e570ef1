#include "report/printer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/signals.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace printer {

namespace {

constexpr char kFileName[] = "K-Berg.txt";
constexpr int kUnit = 120;
constexpr std::string_view kRule = "----------------------------------";
constexpr char kJournalName[] = "K-Berg.txt.saving";
constexpr std::string_view kJournalHeading = "k-berg: a save appends at ";
constexpr std::size_t kLongestJournal = 4096;
// A save killed outright stops its write where the system was copying it, at the end of a
// page of the file (the system copies a write page by page), or of a sector on a power loss:
// its part ends at a multiple of this many bytes of the file.
constexpr std::uint64_t kTearAlignment = 512;
constexpr std::chrono::seconds kNoticeAfter{1};

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

textio::Failure write_failure(const std::string& error) {
  return textio::Failure({kUnit, kFileName},
                         std::string("Cannot write to file '") + kFileName + "': " + error);
}

// Says once that the save waits for another saver or program to let the file go.
void tell_waiting(bool* told, textio::Records& screen) {
  if (*told) return;
  screen.text("Файл K-Berg.txt занят другой записью, ожидание ее завершения...");
  screen.flush();
  *told = true;
}

// Opens the file, waiting while another program holds a lease on it, and then for the lock
// against other savers: no block is dropped for them, and a long wait is told.
std::unique_ptr<platform::ReportFile> open_locked(platform::FileSystem& files,
                                                  textio::Records& screen) {
  std::unique_ptr<platform::ReportFile> file;
  std::string error;
  bool told = false;
  platform::WaitState state;
  while ((state = files.open_report(kFileName, kNoticeAfter, &file, &error)) ==
         platform::WaitState::busy) {
    tell_waiting(&told, screen);
  }
  if (state == platform::WaitState::failed) {
    throw textio::Failure({kUnit, ""},
                          std::string("Cannot open file '") + kFileName + "': " + error);
  }
  if (file->read_only()) {
    throw textio::Failure({kUnit, kFileName}, "Cannot write to file opened for READ");
  }
  while ((state = file->lock(kNoticeAfter, &error)) == platform::WaitState::busy) {
    tell_waiting(&told, screen);
  }
  if (state == platform::WaitState::failed) throw write_failure(error);
  return file;
}

// What a save notes before it appends: where its block starts, and the block itself, the
// evidence by which the next save tells what a killed save left from anything else; and, once
// a failed save could not cut back what it wrote, how many bytes that was.
struct Journal {
  std::uint64_t offset = 0;
  std::string block;
  std::optional<std::size_t> written;
};

std::string journal_text(const Journal& journal) {
  const std::string written =
      journal.written ? ", " + std::to_string(*journal.written) + " written" : "";
  return std::string(kJournalHeading) + std::to_string(journal.offset) + ", " +
         std::to_string(journal.block.size()) + " bytes" + written + ":\n" + journal.block;
}

// The journal a save left, if it left a whole one of the user's own: a save killed while it
// wrote the journal had not begun its block. Only the user can have written their own; a file
// of that name that is another user's, a link or no regular file could be anyone's, and is
// `found` as `other`.
std::optional<Journal> read_journal(platform::FileSystem& files, platform::Ownership* found) {
  std::string text, ignored;
  if (!files.read_own(kJournalName, kLongestJournal, &text, found, &ignored) ||
      *found != platform::Ownership::own || !text.starts_with(kJournalHeading)) {
    return std::nullopt;
  }
  const std::size_t line_end = text.find('\n');
  const std::string heading =
      text.substr(kJournalHeading.size(), line_end - kJournalHeading.size());
  unsigned long long offset = 0, length = 0, written = 0;
  int parsed = 0, parsed_written = 0;
  std::sscanf(heading.c_str(), "%llu, %llu bytes:%n", &offset, &length, &parsed);
  std::sscanf(heading.c_str(), "%llu, %llu bytes, %llu written:%n", &offset, &length, &written,
              &parsed_written);
  const bool whole = static_cast<std::size_t>(std::max(parsed, parsed_written)) == heading.size();
  if (line_end == std::string::npos || !whole || text.size() - line_end - 1 != length) {
    return std::nullopt;
  }
  const std::optional<std::size_t> count =
      parsed_written > 0 ? std::optional<std::size_t>(written) : std::nullopt;
  return Journal{offset, text.substr(line_end + 1), count};
}

// Cuts off what a killed or failed save left at the end of the file: the part of its block
// that its journal holds and the file still ends in, and nothing else. Returns the size the
// file then has. A file that refuses to be cut (one that may only be appended to) keeps it,
// and the new block follows; so does one that may not be read, whose end cannot be checked.
std::uint64_t cut_off_unfinished_block(const std::optional<Journal>& journal,
                                       platform::ReportFile& file, std::uint64_t size,
                                       textio::Records& screen) {
  if (!journal || journal->offset >= size || size - journal->offset >= journal->block.size())
    return size;
  const std::size_t torn = static_cast<std::size_t>(size - journal->offset);
  const bool where_a_save_stops =
      journal->written ? torn == *journal->written : size % kTearAlignment == 0;
  if (!where_a_save_stops) return size;
  const std::string bytes = " (байт: " + std::to_string(torn) + ")";
  if (!file.readable()) {
    screen.text(
        "Файл K-Berg.txt нельзя прочитать: возможный обрывок прерванной записи в его конце" +
        bytes + " не проверен и оставлен");
    return size;
  }
  std::string tail, error;
  if (!file.read(journal->offset, torn, &tail, &error)) throw write_failure(error);
  if (tail != std::string_view(journal->block).substr(0, torn)) return size;
  if (!file.cut_back(journal->offset, &error)) {
    screen.text("Обрывок прерванной записи в конце K-Berg.txt" + bytes + " удалить нельзя (" +
                error + "), новая запись добавлена после него");
    return size;
  }
  screen.text("Из файла K-Berg.txt удален обрывок прерванной записи" + bytes);
  return journal->offset;
}

// Appends the block. When the write or the flush fails after some of the block went in, the
// file is cut back to the size it had, so that a save is whole or absent; a cut-back that
// fails is reported as well, and the journal, where this save `noted` one, then says how much
// the next save is to cut. Otherwise the journal goes. The requests that end the process wait
// from the write until the file and the journal are left as a save leaves them.
void append_whole(platform::FileSystem& files, platform::ReportFile& file, Journal journal,
                  bool noted) {
  const platform::EndingSignalsHeld held;
  std::string error, ignored;
  std::size_t written = 0;
  const bool whole = file.append(journal.block, &written, &error) && file.sync(&error);
  std::string cut_back_error;
  if (!whole && written > 0 && !file.cut_back(journal.offset, &cut_back_error)) {
    error += "; cannot remove the " + std::to_string(written) + " bytes written: " + cut_back_error;
    journal.written = written;
    if (noted) files.write_own(kJournalName, journal_text(journal), &ignored);
    throw write_failure(error);
  }
  if (noted) files.remove(kJournalName, &ignored);
  if (!whole) throw write_failure(error);
}

// Notes where the block goes before it is appended; a journal that cannot be written leaves
// the block without that evidence, which is told.
bool note(platform::FileSystem& files, const Journal& journal, textio::Records& screen) {
  std::string error;
  if (files.write_own(kJournalName, journal_text(journal), &error)) return true;
  screen.text(std::string("Не удалось записать ") + kJournalName + " (" + error +
              "): обрывок, если запись прервут, не будет удален");
  return false;
}

// A regular file gets the block under the journal: the journal first, flushed, then the
// block, then the journal goes. A file of the journal's name that is not the user's own is
// neither believed nor written nor removed, and told.
void save_to_regular_file(platform::FileSystem& files, platform::ReportFile& file,
                          std::string_view bytes, textio::Records& screen) {
  std::uint64_t size = 0;
  std::string error;
  if (!file.size(&size, &error)) throw write_failure(error);
  platform::Ownership found = platform::Ownership::absent;
  const std::optional<Journal> left = read_journal(files, &found);
  const bool others = found == platform::Ownership::other;
  if (others) {
    screen.text(std::string("Файл ") + kJournalName +
                " не принадлежит вам или не является обычным файлом: он оставлен без внимания, "
                "и обрывок, если запись прервут, не будет удален");
  }
  const Journal journal{cut_off_unfinished_block(left, file, size, screen), std::string(bytes), {}};
  append_whole(files, file, journal, !others && note(files, journal, screen));
}

// A FIFO or a device hands the block on, and nothing of it can be taken back; the ending
// signals are not held, as the write may wait for ever for a reader that is behind.
void save_to_stream(platform::ReportFile& file, std::string_view bytes) {
  std::string error;
  std::size_t written = 0;
  if (!file.append(bytes, &written, &error) || !file.sync(&error)) throw write_failure(error);
}

}  // namespace

// The save is done once the block is whole and flushed. The file is then closed without a
// word: a close that failed could not take back a block already on stable storage, and with
// the descriptor gone, so is the lock, so that cutting it back could hit another saver's.
void output_printer(const berg::HarmonicTable& table, const double& exponent,
                    const double& cutoff_angle, platform::FileSystem& files,
                    textio::Records& screen) {
  const std::string bytes = block(berg::Result(cutoff_angle, exponent, table));
  std::unique_ptr<platform::ReportFile> file = open_locked(files, screen);
  if (file->regular()) {
    save_to_regular_file(files, *file, bytes, screen);
  } else {
    save_to_stream(*file, bytes);
  }
}

}  // namespace printer
