// The Berg table as comma-separated values, for spreadsheets and scripts.
#pragma once

#include "engine/quantity.h"
#include "engine/rows.h"
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

}  // namespace table
