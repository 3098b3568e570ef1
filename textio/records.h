// The record layer: every line the programs write, on the console, in the report file and in
// the tables, is one of four kinds of record, each but the prompt ending in CR LF.
#pragma once

#include <string>
#include <string_view>

#include "textio/channels.h"

namespace textio {

// Records are held until they are handed on to the sink: at once with `write_through`,
// otherwise when 8192 bytes are pending or on flush. Nothing is handed on when the object
// goes: its owner flushes, so that a failed write is never lost in a destructor.
class Records {
 public:
  // `clear_sequence` is what empties the screen behind the sink; empty where there is no
  // screen to clear, as for a pipe, a file or a string.
  Records(ByteSink& sink, bool write_through, std::string_view clear_sequence = {})
      : sink_(sink), write_through_(write_through), clear_sequence_(clear_sequence) {}
  Records(const Records&) = delete;
  Records& operator=(const Records&) = delete;

  // Writes an empty record: CR LF alone.
  void write_empty();
  // A list-directed text record: one blank, the text verbatim, CR LF.
  void text(std::string_view text);
  // A formatted record: the fields already edited and joined, then CR LF.
  void formatted(std::string_view fields);
  // The text with no record end, pushed out at once so that it stands on screen while the
  // user types.
  void prompt(std::string_view text);
  // Hands on everything pending, then the clear sequence in the same write, so that the
  // screen is emptied after all that came before and before all that follows.
  void clear_screen();
  void flush();

 private:
  void end_record();

  ByteSink& sink_;
  bool write_through_;
  std::string clear_sequence_;
  std::string pending_;
};

}  // namespace textio
