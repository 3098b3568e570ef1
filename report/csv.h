// The lines of comma-separated values that k-berg-table writes and the page offers to
// download, for spreadsheets and scripts: a Berg table's and a stage's. Each line is made with
// "," and "."; `in_form` puts it in the form asked for.
#pragma once

#include <string>
#include <vector>

#include "engine/antenna.h"
#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/regime.h"
#include "engine/stage.h"

namespace csv {

// The line as asked for: with a decimal comma, the fields separated by ";", as a
// Russian-locale spreadsheet reads them; as made otherwise.
std::string in_form(std::string line, bool decimal_comma);

// A Berg table: the angle, the exponent, the modulus of each of the view's harmonics, then the
// phase of each (the columns a, phi); after them, the column of each quantity shown, named as
// the quantity describes it. Every value is rounded as the dialogue's results screen rounds it
// (3, 3, 5 and 1 decimals), or with the quantity's decimals, without blanks; where a quantity
// has no value the field is empty.
std::string table_header(const quantity::View& view, const std::vector<quantity::Column>& columns);
std::string table_line(const quantity::View& view, const std::vector<quantity::Column>& columns,
                       const berg::Result& row);

// A stage at one angle: angle,exponent,harmonic,xi,u_m,i_mn,i_max,i_0,p_0,p_n,eta,p_diss,r_e,
// u_peak, with the device's law u_drive,e_bias, and with a limit of the device given, broken:
// the columns of the values beyond a limit, separated by blanks ("p_diss i_max"); nine
// significant digits, empty fields where no stage can be made.
std::string stage_header(const stage::Inputs& inputs);
std::string stage_line(const stage::Inputs& inputs, double angle, double exponent,
                       const stage::Design& design);

// The best regime of one exponent: the stage's columns at its angle, then binding, what holds
// it as broken names them, "saturation" for the saturation line.
std::string best_header(const stage::Inputs& inputs);
std::string best_line(const stage::Inputs& inputs, double exponent, const regime::Best& best);

// A stage with its output network, or the network alone, at one angle: angle,exponent,harmonic,
// the stage's columns after them where there is a stage, each part's value in farads or henries
// (c1, l, c2... as the network names them) with a capacitor's peak voltage (c1_u_peak) or a
// coil's RMS current (l_i_rms) at the power, then efficiency,worst,level_db,margin_db,passes
// (the worst harmonic, its level in dBc and its margin in dB, 1 or 0); nine significant digits,
// empty fields where there is no such value.
std::string chain_header(const antenna::Inputs& chain);
std::string chain_line(const antenna::Inputs& chain, double exponent, const antenna::Row& row);

// Each harmonic at the load, at one angle: angle,exponent,n,frequency_mhz,alpha,current,
// attenuation_db,level_db,margin_db, the current in amperes where there is a stage, no level
// or margin where the harmonic is none, no margin for the wanted one.
std::string harmonics_header();
std::string harmonic_line(const antenna::Inputs& chain, double megahertz, double exponent,
                          const antenna::Row& row, const network::Harmonic& harmonic);

// Every line of a chain's CSV: the header and a chain_line per angle and exponent; at one
// angle then an empty line, the harmonics' header and a harmonic_line per harmonic of each
// exponent.
std::vector<std::string> chain_lines(const antenna::Inputs& chain, double megahertz,
                                     const std::vector<antenna::Block>& blocks);

}  // namespace csv
