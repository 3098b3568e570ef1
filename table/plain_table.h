// The Berg table as text for a terminal: a Russian heading like the dialogue's, then for each
// exponent a block with one row per angle, the columns aligned.
#pragma once

#include <string>
#include <vector>

#include "table/rows.h"

namespace table {

// The whole table as CR LF records. Each row holds the angle and the modulus of each of
// `harmonics`, with its phase beside it when `phases` is set; every value is rounded as the
// dialogue's results screen rounds it.
std::string plain_table(const std::vector<Block>& blocks, const std::vector<int>& harmonics,
                        bool phases);

}  // namespace table
