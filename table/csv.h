// k-berg-table's answers as comma-separated values, for spreadsheets and scripts.
#pragma once

#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/rows.h"
#include "report/berg_answers.h"
#include "textio/records.h"

namespace table {

// Writes a header line, then one line per row of every block, each as it comes and ending in
// CR LF, in the form the view asks for.
class CsvTable : public rows::RowWriter {
 public:
  CsvTable(textio::Records& out, const quantity::View& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;

 private:
  textio::Records& out_;
  quantity::View view_;
  std::vector<quantity::Column> columns_;
  bool headed_ = false;
};

// The header line of the maxima, exponent,harmonic,alpha_angle,alpha_max,gamma_angle,
// gamma_max,alpha_top_angle,alpha_top,gamma_top_angle,gamma_top, written once before the first
// block; then each exponent's lines, one per harmonic, the highest maxima in range after the
// first ones where they are not the first (empty fields otherwise).
void write_optima_header(textio::Records& out, bool decimal_comma);
void write_optima_csv(textio::Records& out, const berg_answers::ExponentOptima& block,
                      bool decimal_comma);

// For each exponent, the angle at which g1 took the wanted value: exponent,g1,angle,eta.
void write_angles_for_g1_csv(textio::Records& out, double xi,
                             const std::vector<berg::Result>& found, bool decimal_comma);

}  // namespace table
