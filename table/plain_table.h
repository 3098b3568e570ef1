// Answers as text for a terminal: the model of each answer (report/answer.h) in CR LF records,
// its columns aligned, as k-berg-table has always written them.
#pragma once

#include <string>
#include <vector>

#include "engine/quantity.h"
#include "engine/rows.h"
#include "report/answer.h"
#include "report/berg_answers.h"
#include "textio/records.h"

namespace table {

// The widest line the table is made for: one column short of a terminal 80 wide, on which a
// line of all 80 would wrap on some consoles.
constexpr int kTableWidth = 79;

// The harmonics from 0 up that fit in kTableWidth columns with what `view` shows; at least
// harmonic 0.
std::vector<int> fitting_harmonics(const quantity::View& view);

// Each title and note a text record; each table after an empty line, under its caption, with
// its headings between two rules as long as they are; each cell right-aligned in its column,
// with a blank at least before it, and nothing for a cell without a value.
class TextAnswer : public answer::Renderer {
 public:
  explicit TextAnswer(textio::Records& out) : out_(out) {}
  void title(const std::string& line) override;
  void start_table(const answer::Table& table) override;
  void row(const std::vector<std::string>& cells) override;
  void note(const std::string& text) override;

 private:
  textio::Records& out_;
  std::vector<answer::Column> columns_;
};

// The rows of a Berg table as text, each as it comes.
class PlainTable : public rows::RowWriter {
 public:
  PlainTable(textio::Records& out, const quantity::View& view) : text_(out), rows_(text_, view) {}
  void start_block(double exponent) override { rows_.start_block(exponent); }
  void write_row(const berg::Result& row) override { rows_.write_row(row); }

 private:
  TextAnswer text_;
  berg_answers::RowsAnswer rows_;
};

}  // namespace table
