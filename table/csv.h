// The Berg table as comma-separated values, for spreadsheets and scripts.
#pragma once

#include <string>
#include <vector>

#include "table/rows.h"

namespace table {

// A header line, then one line per row of every block, each ending in CR LF: the angle, the
// exponent, the modulus of each of `harmonics`, then the phase of each. Every value is rounded
// as the dialogue's results screen rounds it (3, 3, 5 and 1 decimals), without blanks.
std::string csv_table(const std::vector<Block>& blocks, const std::vector<int>& harmonics);

}  // namespace table
