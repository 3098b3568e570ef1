// The Berg chart: the coefficient of each chosen harmonic against the cut-off angle, one curve
// per harmonic and exponent, as an SVG picture meant for the screen and for print.
#pragma once

#include <string>
#include <vector>

#include "table/rows.h"

namespace table {

// The whole SVG document, CR LF line ends. Axes with a grid and tick labels (degrees along the
// bottom), a title naming the exponents, a legend with the colour of each harmonic and, when
// there are several exponents, the dash pattern of each. Tick labels are <text> elements of
// class "x-tick" or "y-tick" placed at their tick; each curve is a <polyline> of class "curve"
// with data-harmonic and data-exponent, its points in the same pixels as the ticks.
std::string berg_chart(const std::vector<Block>& blocks, const std::vector<int>& harmonics);

}  // namespace table
