// The Berg table as comma-separated values, for spreadsheets and scripts.
#pragma once

#include "engine/quantity.h"
#include "table/rows.h"
#include "textio/records.h"

namespace table {

// A CSV line made with "," and "." in the form asked for: with a decimal comma, the fields
// separated by ";", as a Russian-locale spreadsheet reads them.
std::string in_form(std::string line, bool decimal_comma);

// Writes a header line, then one line per row of every block, each as it comes and ending in
// CR LF: the angle, the exponent, the modulus of each of the view's harmonics, then the phase
// of each (the columns a, phi); after them, the column of each quantity shown, named as the
// quantity describes it. Every value is rounded as the dialogue's results screen rounds it
// (3, 3, 5 and 1 decimals), or with the quantity's decimals, without blanks; where a
// quantity has no value the field is empty.
class CsvTable : public RowWriter {
 public:
  CsvTable(textio::Records& out, const quantity::View& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;

 private:
  textio::Records& out_;
  quantity::View view_;
  std::vector<quantity::Column> columns_;
  std::string exponent_;  // the exponent of the current block, as each line shows it
  bool headed_ = false;
};

}  // namespace table
