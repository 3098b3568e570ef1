#include "engine/rows.h"

namespace rows {

void compute_rows(const std::vector<double>& exponents, const sweep::Range& range,
                  const std::vector<RowWriter*>& writers, Pass pass) {
  const auto compute = pass == Pass::exact ? berg::compute_exact : berg::compute;
  const std::int64_t count = sweep::count(range, kMostRows);
  for (double exponent : exponents) {
    for (RowWriter* writer : writers) writer->start_block(exponent);
    for (std::int64_t i = 0; i < count; ++i) {
      const berg::Result row = compute(sweep::angle_at(range, i), exponent);
      for (RowWriter* writer : writers) writer->write_row(row);
    }
  }
}

}  // namespace rows
