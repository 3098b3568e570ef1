// k-berg-table: the Berg coefficients over a range of cut-off angles, as a table, CSV or a
// chart, on the engine of the dialogue.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "table/chart.h"
#include "table/csv.h"
#include "table/options.h"
#include "table/plain_table.h"
#include "table/rows.h"
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

void write_standard_output(std::string_view bytes) {
  std::string error;
  const platform::WriteResult result = platform::write_all(platform::kStdout, bytes, &error);
  if (result == platform::WriteResult::written) return;
  // A reader that went away ends the process by SIGPIPE, unless that signal is ignored.
  if (result == platform::WriteResult::reader_gone) error = "Broken pipe";
  throw textio::Failure(textio::no_unit(), "cannot write standard output: " + error);
}

void write_chart(const std::string& file, std::string_view svg) {
  std::string error;
  if (!platform::replace_file(file, svg, &error)) {
    throw textio::Failure(textio::no_unit(), "--svg: cannot write '" + file + "': " + error);
  }
}

void run(const table::Options& options) {
  const std::vector<table::Block> blocks = table::compute_blocks(options.exponents, options.angles);
  if (!options.svg_file.empty()) {
    write_chart(options.svg_file, table::berg_chart(blocks, options.chart_harmonics));
  }
  write_standard_output(options.csv
                            ? table::csv_table(blocks, options.table_harmonics)
                            : table::plain_table(blocks, options.table_harmonics, options.phases));
}

}  // namespace

// The one place the program ends: status 0 after its output, status 2 after a failure, which
// is told in one line on standard error.
int main(int argc, char** argv) {
  platform::prepare_console();
  platform::install_fault_reports();
  try {
    const table::Command command = table::parse_command_line(argc, argv);
    if (command.run) {
      run(command.options);
    } else {
      write_standard_output(with_record_ends(command.text));
    }
  } catch (const textio::Failure& failure) {
    std::string ignored;
    platform::write_all(platform::kStderr, "k-berg-table: " + failure.reason() + "\n", &ignored);
    platform::restore_console();
    return 2;
  }
  return 0;
}
