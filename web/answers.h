// The page's answers, each from the entries of its form and as the JSON the page shows: the
// answer's own object, or {"refusals": [{"entry", "text"}...]} naming every wrong entry.
#pragma once

#include <string>

#include "web/entries.h"

namespace web {

// The dialogue's calculation: "angle" and "exponent" give the cut-off angle and the exponent
// as the results screen shows them and a row per harmonic: k, the modulus, the phase, the
// coefficient with its sign.
std::string calculation(Entries& entries);

// The first maxima of k-berg-table --optimum: "exponent" (a list) and "harmonics" (1 to 9 by
// default) give a block per exponent with a row per harmonic: n, the angle and the value of
// the maximum of alpha_n, the same for gamma_n.
std::string best_angles(Entries& entries);

// The angle of k-berg-table --angle-for-g1: "angle-for-g1", "xi" and "exponent" (a list) give
// the wanted g1 and xi as shown, and a row per exponent: the exponent, the angle, g1 there and
// the efficiency.
std::string angle_for_g1(Entries& entries);

}  // namespace web
