#include "table/run.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/design.h"
#include "engine/rows.h"
#include "report/answer_charts.h"
#include "report/berg_answers.h"
#include "report/chart.h"
#include "report/chart_file.h"
#include "report/network_charts.h"
#include "table/csv.h"
#include "table/plain_table.h"
#include "table/stage.h"
#include "textio/failure.h"
#include "textio/fields.h"
#include "textio/messages.h"
#include "textio/records.h"

namespace table {

namespace {

// The answer's records and the chart, if one was asked for, of one run. A chart that could
// not be put in its file is refused before anything is written.
class Outputs {
 public:
  // The chart drawn as the answer is computed, of `chart`, or without one a picture drawn
  // whole (draw).
  Outputs(const Options& options, textio::ByteSink& output, platform::FileSystem& files,
          const std::optional<chart::ChartView>& chart)
      : options_(options), output_(output), files_(files), records_(output, false) {
    if (options.svg_file.empty()) return;
    if (chart) chart_.emplace(*chart);
    if (options.svg_file == "-") return;
    std::string error;
    target_ = chart_file::check_chart_target(files, options.svg_file, &error);
    if (!target_) throw textio::Error("--svg: " + error);
  }

  // Where the answer goes, or nothing when the chart takes its place.
  textio::Records* answer() { return options_.svg_file == "-" ? nullptr : &records_; }
  chart::Chart* chart() { return chart_ ? &*chart_ : nullptr; }
  bool wants_picture() const { return !options_.svg_file.empty(); }
  void draw(std::string picture) { picture_ = std::move(picture); }

  // Sends what was written on, then puts the chart in place.
  void finish() {
    records_.flush();
    if (!wants_picture()) return;
    const std::string svg = chart_ ? std::move(*chart_).finish() : std::move(picture_);
    if (!target_ || target_->standard_output) {
      output_.write(svg);
      return;
    }
    std::string error;
    if (!chart_file::write_chart(files_, *target_, svg, &error)) {
      const std::string_view words = messages::translated("cannot write '{0}': {1}");
      throw textio::Error(
          std::string("--svg: ").append(messages::filled(words, {options_.svg_file, error})));
    }
  }

 private:
  const Options& options_;
  textio::ByteSink& output_;
  platform::FileSystem& files_;
  textio::Records records_;
  std::optional<chart::Chart> chart_;
  std::optional<chart_file::ChartTarget> target_;  // none where the chart goes to the output
  std::string picture_;
};

// The Berg chart of the options, its marks named for the answer.
chart::ChartView chart_of(const Options& options) {
  switch (options.answer) {
    case Answer::optimum:
      return answer_charts::optimum_chart(options.chart, options.angles);
    case Answer::angle_for_g1:
      return answer_charts::g1_chart(options.chart, options.angles, options.target_g1,
                                     options.view.decimal_comma);
    case Answer::rows:
    case Answer::stage:
    case Answer::network:
      break;
  }
  return answer_charts::rows_chart(options.chart, options.angles);
}

// A run whose chart, if any, is the Berg chart of the options.
class BergOutputs : public Outputs {
 public:
  BergOutputs(const Options& options, textio::ByteSink& output, platform::FileSystem& files)
      : Outputs(options, output, files, chart_of(options)), options_(options) {
    if (chart() != nullptr) curves_.emplace(*chart(), options.chart);
  }

  answer_charts::BergCurves* curves() { return curves_ ? &*curves_ : nullptr; }

  // Draws the rows of the range on the chart, if there is one.
  void draw_rows() {
    if (curves_)
      rows::compute_rows(options_.exponents, options_.angles, {&*curves_}, options_.pass);
  }

 private:
  const Options& options_;
  std::optional<answer_charts::BergCurves> curves_;
};

std::unique_ptr<rows::RowWriter> table_writer(const Options& options, textio::Records& out) {
  if (options.csv) return std::make_unique<CsvTable>(out, options.view);
  return std::make_unique<PlainTable>(out, options.view);
}

// The result at the angle of the wanted g1 for each exponent; an exponent that cannot reach
// it refuses the run before anything is written.
std::vector<berg::Result> angles_for_g1(const Options& options, Progress& progress) {
  std::vector<berg::Result> found;
  for (double exponent : options.exponents) {
    progress.searched(found.size(), options.exponents.size());
    const std::optional<double> angle = design::angle_for_g1(exponent, options.target_g1);
    if (!angle) {
      throw Refused(entry_rules::g1_out_of_reach(options.target_g1, exponent));
    }
    found.push_back(berg::compute_exact(*angle, exponent));
  }
  return found;
}

// A stage with its output network, or the network alone: every angle is designed, and any
// refusal made, before anything is written.
void answer_chain(const Options& options, textio::ByteSink& output, platform::FileSystem& files) {
  const std::vector<antenna::Block> blocks = design_chains(options);
  Outputs outputs(options, output, files, std::nullopt);
  if (textio::Records* out = outputs.answer()) {
    if (options.csv) {
      write_chain_csv(*out, options, blocks);
    } else {
      write_chain_text(*out, options, blocks);
    }
  }
  if (outputs.wants_picture()) {
    outputs.draw(network_charts::picture(*options.network, options.angles, blocks,
                                         options.view.decimal_comma));
  }
  outputs.finish();
}

}  // namespace

void answer_rows(const Options& options, textio::ByteSink& output, platform::FileSystem& files) {
  BergOutputs outputs(options, output, files);
  std::vector<rows::RowWriter*> writers;
  if (outputs.curves() != nullptr) writers.push_back(outputs.curves());
  std::unique_ptr<rows::RowWriter> table;
  if (textio::Records* out = outputs.answer()) {
    table = table_writer(options, *out);
    writers.push_back(table.get());
  }
  rows::compute_rows(options.exponents, options.angles, writers, options.pass);
  outputs.finish();
}

// Each exponent's maxima are written as soon as they are found.
void answer_optimum(const Options& options, textio::ByteSink& output, platform::FileSystem& files,
                    Progress& progress) {
  BergOutputs outputs(options, output, files);
  textio::Records* out = outputs.answer();
  const bool comma = options.view.decimal_comma;
  std::optional<TextAnswer> text;
  if (out != nullptr && !options.csv) text.emplace(*out);
  if (text) berg_answers::optima_title(*text);
  if (out != nullptr && options.csv) write_optima_header(*out, comma);
  outputs.draw_rows();
  for (std::size_t b = 0; b < options.exponents.size(); ++b) {
    progress.searched(b, options.exponents.size());
    const double exponent = options.exponents[b];
    const berg_answers::ExponentOptima block{exponent,
                                             design::optima(exponent, options.optimum_harmonics)};
    if (text) berg_answers::optima(*text, block, comma);
    if (out != nullptr && options.csv) write_optima_csv(*out, block, comma);
    if (out != nullptr) out->flush();
    if (outputs.curves() != nullptr) outputs.curves()->mark_maxima(b, block.optima);
  }
  progress.finish();
  outputs.finish();
}

void answer_angle_for_g1(const Options& options, textio::ByteSink& output,
                         platform::FileSystem& files, Progress& progress) {
  const std::vector<berg::Result> found = angles_for_g1(options, progress);
  progress.finish();
  BergOutputs outputs(options, output, files);
  if (textio::Records* out = outputs.answer()) {
    const bool comma = options.view.decimal_comma;
    if (options.csv) {
      write_angles_for_g1_csv(*out, options.view.xi, found, comma);
    } else {
      TextAnswer text(*out);
      berg_answers::angles_for_g1(text, options.target_g1, options.view.xi, found, comma);
    }
  }
  outputs.draw_rows();
  for (std::size_t b = 0; b < found.size() && outputs.curves() != nullptr; ++b) {
    outputs.curves()->mark_angle(b, found[b]);
  }
  outputs.finish();
}

// The best regime of each exponent is found, or refused, before anything is written.
void answer_best(const Options& options, textio::ByteSink& output) {
  const std::vector<regime_text::BestBlock> blocks = best_regimes(options);
  textio::Records out(output, false);
  if (options.csv) {
    write_best_csv(out, options, blocks);
  } else {
    write_best_text(out, options, blocks);
  }
  out.flush();
}

// Every angle is designed, and any refusal made, before anything is written.
void answer_stage(const Options& options, textio::ByteSink& output, platform::FileSystem& files) {
  if (options.best) return answer_best(options, output);
  if (options.network) return answer_chain(options, output, files);
  const std::vector<stage::Block> blocks = design_stages(options);
  Outputs outputs(options, output, files,
                  answer_charts::stage_chart(options.stage.harmonic, options.angles));
  if (textio::Records* out = outputs.answer()) {
    if (options.csv) {
      write_stage_csv(*out, options, blocks);
    } else {
      write_stage_text(*out, options, blocks);
    }
  }
  if (outputs.chart() != nullptr) answer_charts::draw_stages(*outputs.chart(), blocks);
  outputs.finish();
}

void run(const Options& options, textio::ByteSink& output, platform::FileSystem& files,
         Progress& progress) {
  switch (options.answer) {
    case Answer::rows:
      return answer_rows(options, output, files);
    case Answer::optimum:
      return answer_optimum(options, output, files, progress);
    case Answer::angle_for_g1:
      return answer_angle_for_g1(options, output, files, progress);
    case Answer::stage:
    case Answer::network:
      return answer_stage(options, output, files);
  }
}

}  // namespace table
