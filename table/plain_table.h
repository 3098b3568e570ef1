// The Berg table as text for a terminal: a Russian heading like the dialogue's, then for each
// exponent a block with one row per angle, the columns aligned.
#pragma once

#include <string>
#include <vector>

#include "engine/quantity.h"
#include "engine/rows.h"
#include "textio/records.h"

namespace table {

// The widest line the table is made for: one column short of a terminal 80 wide, on which a
// line of all 80 would wrap on some consoles.
constexpr int kTableWidth = 79;

// The harmonics from 0 up that fit in kTableWidth columns with what `view` shows; at least
// harmonic 0.
std::vector<int> fitting_harmonics(const quantity::View& view);

// The line that starts each exponent's block in every text answer, after an empty one.
void write_exponent_line(textio::Records& out, double exponent, bool decimal_comma);

// The column headings between two rules as long as they are.
void write_ruled_heading(textio::Records& out, const std::string& heading);

// Writes the table as CR LF records, each row as it comes: the angle, then for each quantity
// shown (the signed alpha_k when none is) its columns, with the phase beside each alpha_k when
// the view asks for it, the coefficient's modulus then taking the place of its signed value,
// as on the dialogue's results screen. Every value is rounded as the dialogue's results screen
// rounds it; a level in decibels has two decimals, and "—" stands where a quantity has no value.
class PlainTable : public rows::RowWriter {
 public:
  PlainTable(textio::Records& out, const quantity::View& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;

 private:
  textio::Records& out_;
  quantity::View view_;
  std::vector<quantity::Column> columns_;
  std::string heading_;
  bool titled_ = false;
};

}  // namespace table
