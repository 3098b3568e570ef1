// The answers about Berg coefficients as the model of report/answer.h: the rows over a range
// of angles, the first maxima of each harmonic, the angle at which g1 takes a wanted value,
// and the dialogue's calculation. Numbers carry a decimal comma where `decimal_comma` asks.
#pragma once

#include <optional>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "engine/quantity.h"
#include "engine/rows.h"
#include "report/answer.h"

namespace berg_answers {

// The columns of a row of the table: the angle, then for each quantity shown (the signed
// alpha_k when none is) its columns, with the phase beside each alpha_k when the view asks for
// it, the coefficient's modulus then taking the place of its signed value.
std::vector<answer::Column> row_columns(const quantity::View& view);

// The rows, each as it comes: a title, a table for each exponent, a row for each angle with
// every value rounded as the dialogue's results screen rounds it, a level in decibels with two
// decimals, and "—" where a quantity has no value.
class RowsAnswer : public rows::RowWriter {
 public:
  RowsAnswer(answer::Renderer& out, const quantity::View& view);
  void start_block(double exponent) override;
  void write_row(const berg::Result& row) override;

 private:
  answer::Renderer& out_;
  quantity::View view_;
  std::vector<quantity::Column> columns_;
  bool titled_ = false;
};

struct ExponentOptima {
  double exponent;
  std::vector<design::Optimum> optima;
};

// The title of the first maxima, once before the first exponent's.
void optima_title(answer::Renderer& out);
// One exponent's: a row per harmonic with the angle of the first maximum of alpha_n and that
// maximum, the same for gamma_n; under it, the highest maximum in range of a harmonic where
// that is not the first. Angles to 0.01 degree.
void optima(answer::Renderer& out, const ExponentOptima& block, bool decimal_comma);

// For each exponent, the angle at which g1 took the wanted value, with g1 and the efficiency
// there at the voltage utilisation `xi`.
void angles_for_g1(answer::Renderer& out, double g1, double xi,
                   const std::vector<berg::Result>& found, bool decimal_comma);

// The results screen's table: a row per harmonic, its modulus, its phase and the coefficient
// with its sign.
void calculation(answer::Renderer& out, const berg::Result& result);

}  // namespace berg_answers
