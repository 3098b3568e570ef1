// The record layer: every line the program writes, on the console and in the report file,
// is one of four kinds of record, each but the prompt ending in CR LF.
#pragma once

#include <string>
#include <string_view>

#include "textio/channels.h"

namespace textio {

class Records {
 public:
  // With `write_through`, output is handed on at every record end and prompt (a console or
  // a pipe); otherwise it is held until 8192 bytes are pending or it is flushed.
  Records(ByteSink& sink, bool write_through) : sink_(sink), write_through_(write_through) {}
  ~Records() { flush(); }
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
  void flush();

 private:
  void end_record();

  ByteSink& sink_;
  bool write_through_;
  std::string pending_;
};

}  // namespace textio
