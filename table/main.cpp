// k-berg-table: the Berg coefficients over a range of cut-off angles, as a table, CSV or a
// chart, and the angles a stage designer looks for, on the same engine as the dialogue.
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/language.h"
#include "report/refusals.h"
#include "table/options.h"
#include "table/progress.h"
#include "table/run.h"
#include "textio/channels.h"
#include "textio/error.h"
#include "textio/failure.h"
#include "textio/messages.h"

namespace {

// The help and the version come with LF line ends; the program writes CR LF everywhere.
std::string with_record_ends(std::string_view text) {
  std::string records;
  for (char c : text) {
    if (c == '\n') records += '\r';
    records += c;
  }
  return records;
}

// The language of the messages, as the user chose it: the locale's variables of the
// environment, read by their names alone, and on Windows the interface's language.
messages::Language users_language() {
  return messages::language_of({platform::environment("LANGUAGE"), platform::environment("LC_ALL"),
                                platform::environment("LC_MESSAGES"), platform::environment("LANG"),
                                platform::interface_language()});
}

int end_with(const std::string& line) {
  return textio::end_with_report("k-berg-table: " + line + "\n");
}

}  // namespace

// The one place the program ends: status 0 after its output, status 2 after an error, which
// is told in one line on standard error (a refusal of a stage that no angle gives, in a line
// for each figure that would give one), in the user's language.
int main(int argc, char** argv) {
  platform::prepare_console();
  platform::install_fault_reports();
  messages::choose(users_language());
  textio::FdSink standard_output(platform::kStdout, textio::standard_output_unit());
  try {
    const table::Command command = table::parse_command_line(argc, argv);
    if (command.run) {
      table::TerminalProgress progress;
      table::run(command.options, standard_output, platform::system_files(), progress);
    } else {
      standard_output.write(with_record_ends(command.text));
    }
  } catch (const table::Refused& refused) {
    // Where no angle gives a stage, the lines after the first say what would.
    std::string lines;
    for (const refusals::Refusal& refusal : refused.refusals()) {
      lines.append("k-berg-table: ")
          .append(refusals::worded(refusal, refusals::Naming::option, messages::chosen()))
          .append("\n");
    }
    return textio::end_with_report(lines);
  } catch (const textio::Error& error) {
    return end_with(error.what());
  } catch (const std::bad_alloc&) {
    return end_with(std::string(messages::translated("not enough memory")));
  } catch (const std::exception& error) {
    return end_with(
        messages::filled(messages::translated("unexpected error: {0}"), {error.what()}));
  }
  return 0;
}
