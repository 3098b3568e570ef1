// What an answer with an output network draws, alike in k-berg-table and on the page: over a
// range of angles each harmonic's level at the load against the angle, with the limit; at one
// angle the network's schematic with its values, and each harmonic's level as a bar against
// the limit's line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/antenna.h"
#include "engine/sweep.h"
#include "report/chart.h"
#include "report/entry_rules.h"

namespace network_charts {

// The curves of the levels' chart: every harmonic but the wanted one, and the limit.
constexpr std::size_t kLevelSeries = 9;

// Over a range: the level of each harmonic but the wanted one at the load, in dBc, against the
// angle, and the limit as a curve of its own (below the carrier, -limit dBc); nothing where
// there is no network or no such harmonic.
chart::ChartView levels_chart(const antenna::Inputs& chain, const sweep::Range& angles);
void draw_levels(chart::Chart& chart, const antenna::Inputs& chain,
                 const std::vector<antenna::Block>& blocks);

// At one angle, one picture: the schematic of the first block's network, each part with its
// name and value and, at a power, a capacitor's peak voltage or a coil's RMS current; under it
// each harmonic's level as a bar, one per block, against the line of the limit, the bars above
// it in red. The bars are <rect> elements of class "bar" with data-harmonic and data-exponent,
// in the pixels of the value axis's ticks (<text> of class "y-tick"); each part's label is a
// <text> of class "part".
std::string design_sheet(const entry_rules::NetworkEntries& entries,
                         const std::vector<antenna::Block>& blocks, bool decimal_comma);

// The answer's picture: the sheet at one angle, the levels' chart over a range.
std::string picture(const entry_rules::NetworkEntries& entries, const sweep::Range& angles,
                    const std::vector<antenna::Block>& blocks, bool decimal_comma);

}  // namespace network_charts
