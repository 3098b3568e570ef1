#include "table/csv.h"

#include "report/csv.h"

namespace table {

CsvTable::CsvTable(textio::Records& out, const quantity::View& view)
    : out_(out), view_(view), columns_(quantity::columns_of(view)) {}

void CsvTable::start_block(double) {
  if (!headed_)
    out_.formatted(csv::in_form(csv::table_header(view_, columns_), view_.decimal_comma));
  headed_ = true;
}

void CsvTable::write_row(const berg::Result& row) {
  out_.formatted(csv::in_form(csv::table_line(view_, columns_, row), view_.decimal_comma));
}

}  // namespace table
