// k-berg-table: the Berg coefficients over a range of cut-off angles, as a table, CSV or a
// chart, and the angles a stage designer looks for, on the same engine as the dialogue.
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "report/refusals.h"
#include "table/options.h"
#include "table/progress.h"
#include "table/run.h"
#include "textio/channels.h"
#include "textio/error.h"
#include "textio/failure.h"

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

// The words of the refusals.
constexpr refusals::Language kLanguage = refusals::Language::english;

int end_with(const std::string& line) {
  return textio::end_with_report("k-berg-table: " + line + "\n");
}

}  // namespace

// The one place the program ends: status 0 after its output, status 2 after an error, which
// is told in one line on standard error (a refusal of a stage that no angle gives, in a line
// for each figure that would give one).
int main(int argc, char** argv) {
  platform::prepare_console();
  platform::install_fault_reports();
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
      lines.append("k-berg-table: ").append(refusals::worded(refusal, kLanguage)).append("\n");
    }
    return textio::end_with_report(lines);
  } catch (const textio::Error& error) {
    return end_with(error.what());
  } catch (const std::bad_alloc&) {
    return end_with("not enough memory");
  } catch (const std::exception& error) {
    return end_with(std::string("unexpected error: ") + error.what());
  }
  return 0;
}
