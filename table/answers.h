// The answers k-berg-table gives a stage designer instead of the rows: the first maxima of
// each harmonic, and the angle at which g1 takes a wanted value; as text or as CSV.
#pragma once

#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "textio/records.h"

namespace table {

// How an answer is written: as text or CSV, with a decimal point or comma.
struct Form {
  bool csv = false;
  bool decimal_comma = false;
};

struct ExponentOptima {
  double exponent;
  std::vector<design::Optimum> optima;
};

// The title of the maxima (CSV: the header line exponent,harmonic,alpha_angle,alpha_max,
// gamma_angle,gamma_max,alpha_top_angle,alpha_top,gamma_top_angle,gamma_top), written once
// before the first block.
void write_optima_title(textio::Records& out, const Form& form);

// One exponent's block: a row per harmonic with the angle of the first maximum of alpha_n and
// that maximum, the same for gamma_n; under it (in CSV, after them) the highest maximum in
// range of a harmonic where that is not the first. Angles to 0.01 degree, values as the table
// edits them.
void write_optima(textio::Records& out, const Form& form, const ExponentOptima& block);

// For each exponent, the angle at which g1 took the wanted value, with g1 and the efficiency
// there at the voltage utilisation `xi`. CSV: exponent,g1,angle,eta.
void write_angles_for_g1(textio::Records& out, const Form& form, double g1, double xi,
                         const std::vector<berg::Result>& found);

}  // namespace table
