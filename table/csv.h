// The Berg table as comma-separated values, for spreadsheets and scripts.
#pragma once

#include "table/rows.h"
#include "textio/records.h"

namespace table {

// Writes a header line, then one line per row of every block, each as it comes and ending in
// CR LF: the angle, the exponent, the modulus of each of the view's harmonics, then the phase
// of each (the columns a, phi); after them, the columns of each quantity shown: alpha<k>,
// gamma<k>, db<k>, g1, eta, cos_theta. Every value is rounded as the dialogue's results screen
// rounds it (3, 3, 5 and 1 decimals; a level in decibels 2), without blanks; the level of a
// harmonic that is zero is an empty field.
class CsvTable : public RowWriter {
 public:
  CsvTable(textio::Records& out, const View& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;

 private:
  textio::Records& out_;
  View view_;
  std::vector<Column> columns_;
  std::string exponent_;  // the exponent of the current block, as each line shows it
  bool headed_ = false;
};

}  // namespace table
