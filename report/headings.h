// The words of each quantity a Berg table shows: its heading in a table, its column in CSV,
// its label where a quantity is chosen, and its line of help.
#pragma once

#include <string>

#include "engine/quantity.h"

namespace headings {

// "α2", "α2, дБ", "cos θ": the quantity, the harmonic's number for one of harmonics, the unit.
std::string heading_of(const quantity::Column& column);
// "alpha2", "db2", "cos_theta".
std::string csv_name_of(const quantity::Column& column);
// "αn", "g1": the quantity for any harmonic.
std::string label_of(quantity::Id id);
// What the quantity is, in one line of English, which is marked for translation.
std::string meaning_of(quantity::Id id);

}  // namespace headings
