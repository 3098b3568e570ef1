#include "table/plain_table.h"

#include "textio/fields.h"

namespace table {

namespace {

// A cell in its column; after the first, a blank at least keeps two values apart where one is
// wider than its column.
std::string aligned(const std::string& cell, int width, bool first) {
  if (!first && textio::display_width(cell) >= width) return " " + cell;
  return textio::right_aligned(cell, width);
}

}  // namespace

std::vector<int> fitting_harmonics(const quantity::View& view) {
  quantity::View trial = view;
  for (int last = berg::kHarmonics - 1; last > 0; --last) {
    trial.harmonics.clear();
    for (int k = 0; k <= last; ++k) trial.harmonics.push_back(k);
    int width = 0;
    for (const answer::Column& column : berg_answers::row_columns(trial)) width += column.width;
    if (width <= kTableWidth) return trial.harmonics;
  }
  return {0};
}

void TextAnswer::title(const std::string& line) { out_.text(line); }

void TextAnswer::start_table(const answer::Table& table) {
  columns_ = table.columns;
  out_.write_empty();
  if (!table.caption.empty()) out_.text(table.caption);
  std::string heading;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    heading += aligned(columns_[c].heading, columns_[c].width, c == 0);
  }
  const std::string rule(static_cast<std::size_t>(textio::display_width(heading)), '-');
  out_.formatted(rule);
  out_.formatted(heading);
  out_.formatted(rule);
}

void TextAnswer::row(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t c = 0; c < cells.size() && c < columns_.size(); ++c) {
    if (!cells[c].empty()) line += aligned(cells[c], columns_[c].width, c == 0);
  }
  out_.formatted(line);
}

void TextAnswer::note(const std::string& text) { out_.text(text); }

}  // namespace table
