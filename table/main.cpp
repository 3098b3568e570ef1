// k-berg-table: the Berg coefficients over a range of cut-off angles, as a table, CSV or a
// chart, and the angles a stage designer looks for, on the same engine as the dialogue.
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/design.h"
#include "platform/console.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "table/answers.h"
#include "table/chart.h"
#include "table/csv.h"
#include "table/options.h"
#include "table/plain_table.h"
#include "table/rows.h"
#include "textio/channels.h"
#include "textio/error.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace {

using table::Answer;
using table::Options;

// The help and the version come with LF line ends; the program writes CR LF everywhere.
std::string with_record_ends(std::string_view text) {
  std::string records;
  for (char c : text) {
    if (c == '\n') records += '\r';
    records += c;
  }
  return records;
}

std::unique_ptr<table::RowWriter> table_writer(const Options& options, textio::Records& out) {
  if (options.csv) return std::make_unique<table::CsvTable>(out, options.view);
  return std::make_unique<table::PlainTable>(out, options.view);
}

std::vector<table::ExponentOptima> optima(const Options& options) {
  std::vector<table::ExponentOptima> blocks;
  for (double exponent : options.exponents) {
    blocks.push_back({exponent, design::optima(exponent, options.optimum_harmonics)});
  }
  return blocks;
}

// The result at the angle of the wanted g1 for each exponent; an exponent that cannot reach
// it refuses the run before anything is written.
std::vector<berg::Result> angles_for_g1(const Options& options) {
  std::vector<berg::Result> found;
  for (double exponent : options.exponents) {
    const std::optional<double> angle = design::angle_for_g1(exponent, options.target_g1);
    if (!angle) {
      const design::Reach reach = design::g1_reach(exponent);
      throw textio::Error(
          "--angle-for-g1: g1 = " + textio::trimmed_field(options.target_g1, textio::kModulusEdit) +
          " is out of reach at exponent " +
          textio::trimmed_field(exponent, textio::kParameterEdit) + ", where g1 runs from " +
          textio::trimmed_field(reach.lowest, textio::kModulusEdit) + " to " +
          textio::trimmed_field(reach.highest, textio::kModulusEdit) +
          " between 4.9 and 180.1 degrees");
    }
    found.push_back(berg::compute(*angle, exponent));
  }
  return found;
}

// Writes what the run answers to `out`, unless the chart goes there instead, and draws the
// chart's rows, marked with the maxima of --optimum.
void answer(const Options& options, textio::Records& out, table::Chart* chart) {
  const bool write_answer = options.svg_file != "-";
  std::vector<table::RowWriter*> writers;
  if (chart != nullptr) writers.push_back(chart);
  std::unique_ptr<table::RowWriter> rows;
  if (options.answer == Answer::rows && write_answer) {
    rows = table_writer(options, out);
    writers.push_back(rows.get());
  }
  std::vector<table::ExponentOptima> found_optima;
  if (options.answer == Answer::optimum) {
    found_optima = optima(options);
    if (write_answer) table::write_optima(out, options.csv, found_optima);
  }
  if (options.answer == Answer::angle_for_g1) {
    const std::vector<berg::Result> found = angles_for_g1(options);
    if (write_answer) {
      table::write_angles_for_g1(out, options.csv, options.target_g1, options.view.xi, found);
    }
  }
  table::compute_rows(options.exponents, options.angles, writers);
  for (std::size_t b = 0; b < found_optima.size() && chart != nullptr; ++b) {
    chart->mark_maxima(b, found_optima[b].optima);
  }
}

// The chart is put in place only after everything else was written, so that a run that
// failed leaves the file as it was. A chart meant for standard output, by "-" or by the name
// of the file the output goes to, follows what was written there.
void run(const Options& options, textio::ByteSink& output) {
  textio::Records out(output, false);
  std::optional<table::Chart> chart;
  if (!options.svg_file.empty()) {
    chart.emplace(table::ChartView{options.chart_harmonics, options.chart_gamma, options.angles});
  }
  answer(options, out, chart ? &*chart : nullptr);
  out.flush();
  if (!chart) return;
  const std::string svg = chart->document();
  if (options.svg_file == "-" || platform::system_files().is_standard_output(options.svg_file)) {
    output.write(svg);
    return;
  }
  std::string error;
  if (!platform::system_files().replace_file(options.svg_file, svg, &error)) {
    throw textio::Error("--svg: cannot write '" + options.svg_file + "': " + error);
  }
}

int end_with(const std::string& line) {
  std::string ignored;
  platform::restore_console();
  platform::write_all(platform::kStderr, "k-berg-table: " + line + "\n", &ignored);
  return 2;
}

}  // namespace

// The one place the program ends: status 0 after its output, status 2 after an error, which
// is told in one line on standard error.
int main(int argc, char** argv) {
  platform::prepare_console();
  platform::install_fault_reports();
  textio::FdSink standard_output(platform::kStdout, textio::standard_output_unit());
  try {
    const table::Command command = table::parse_command_line(argc, argv);
    if (command.run) {
      run(command.options, standard_output);
    } else {
      standard_output.write(with_record_ends(command.text));
    }
  } catch (const textio::Error& error) {
    return end_with(error.what());
  } catch (const std::exception& error) {
    return end_with(std::string("unexpected error: ") + error.what());
  }
  return 0;
}
