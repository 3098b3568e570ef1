// k-berg-table's answer for a whole stage: the stage designed at each angle of the range for
// each exponent, as a Russian table with units or as CSV; with its output network, or the
// network alone, and each harmonic at the antenna.
#pragma once

#include <vector>

#include "engine/antenna.h"
#include "engine/stage.h"
#include "report/regime_text.h"
#include "table/options.h"
#include "textio/records.h"

namespace table {

// The stage at every angle of the range, one block per exponent, on the true Berg integral.
// A single angle at which no stage can be made, or a block in which no angle can, raises a
// textio::Error that says why, before anything is written.
std::vector<stage::Block> design_stages(const Options& options);

// The inputs, then for each block a table with one row per angle: xi, the load, the peak and
// direct currents, the powers, the efficiency, the peak voltage, and, with the device's law,
// a second table of the drive. A row at which no stage can be made is empty, with a note
// under its table. Numbers carry four significant digits at least.
void write_stage_text(textio::Records& out, const Options& options,
                      const std::vector<stage::Block>& blocks);

// One line per angle and exponent: angle,exponent,harmonic,xi,u_m,i_mn,i_max,i_0,p_0,p_n,
// eta,p_diss,r_e,u_peak and, with the device's law, u_drive,e_bias; nine significant digits,
// empty fields where no stage can be made.
void write_stage_csv(textio::Records& out, const Options& options,
                     const std::vector<stage::Block>& blocks);

// The best regime of each exponent over the range's angles; where there is none, a Refused
// that says why and what would give one, before anything is written.
std::vector<regime_text::BestBlock> best_regimes(const Options& options);

// The inputs and what is sought, then for each exponent the stage's tables at its best angle
// and the limits that bind it there; or one CSV line per exponent, the stage's columns and
// what binds.
void write_best_text(textio::Records& out, const Options& options,
                     const std::vector<regime_text::BestBlock>& blocks);
void write_best_csv(textio::Records& out, const Options& options,
                    const std::vector<regime_text::BestBlock>& blocks);

// The chain of a stage with its output network, or of the network alone, at every angle of the
// range, one block per exponent; refused, before anything is written, as network_text
// refuses a block.
std::vector<antenna::Block> design_chains(const Options& options);

// network_text's answer as text.
void write_chain_text(textio::Records& out, const Options& options,
                      const std::vector<antenna::Block>& blocks);

// The lines of csv::chain_lines.
void write_chain_csv(textio::Records& out, const Options& options,
                     const std::vector<antenna::Block>& blocks);

}  // namespace table
