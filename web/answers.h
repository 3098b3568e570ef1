// The page's answers, each from the entries of its form and as the JSON the page shows: the
// answer's model as web::JsonAnswer writes it ({"titles", "tables"}, the same titles, tables,
// cells and notes as k-berg-table's text) with, where it has one, its chart, or
// {"refusals": [{"entry", "text"}...]} naming every wrong entry.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/berg.h"
#include "engine/quantity.h"
#include "engine/sweep.h"
#include "report/answer_charts.h"
#include "web/entries.h"

namespace web {

class Json;

// More exponents than a page can show side by side.
constexpr std::size_t kMostExponents = 10;

// The harmonics shown where none are chosen: by a table, its chart and the other charts, and
// by the best angles, which seek no maximum of the constant term.
constexpr std::string_view kTableHarmonics = "0-9";
constexpr std::string_view kBestAnglesHarmonics = "1-9";

// The angles of a range, "from", "to" and "step", and how many there are.
struct Angles {
  sweep::Range range;
  std::int64_t count;
};

// The range's angles, refused where, for `exponents` exponents, they make more rows than a
// page shows, or where the step is too small to tell neighbouring angles apart.
std::optional<Angles> angles_of(Entries& entries, std::size_t exponents);

// The curves of an answer's Berg chart as k-berg-table chooses them from its options: the
// harmonics `read` where "harmonics" is given, gamma_k where "show" names gamma without alpha.
std::optional<answer_charts::BergChoice> berg_choice_of(
    Entries& entries, const std::optional<std::vector<int>>& read);

// The answer's chart as "chart": the SVG text that k-berg-table writes with --svg, drawn by
// `draw`; where `exponents` exponents of `series` curves each are too many to tell apart,
// "chart_note" instead, which says so.
void write_chart(Json& json, std::size_t exponents, std::size_t series,
                 const std::function<std::string()>& draw);

// The answer that names every wrong entry.
std::string refused(const Entries& entries);

// The dialogue's calculation: "angle" and "exponent" give a table whose caption names them as
// the results screen shows them, and a row per harmonic: k, the modulus, the phase, the
// coefficient with its sign.
std::string calculation(Entries& entries);

// The first maxima of k-berg-table --optimum: "exponent" (a list) and "harmonics" (1 to 9 by
// default) give a table per exponent with a row per harmonic: n, the angle and the value of
// the maximum of alpha_n, the same for gamma_n, and the notes under it; and the chart of
// --optimum --svg, the rows of the range ("from", "to", "step", "show", "exact") with the
// maxima marked.
std::string best_angles(Entries& entries);

// The angle of k-berg-table --angle-for-g1: "angle-for-g1", "xi" and "exponent" (a list) give
// the title naming the wanted g1 and xi, and a row per exponent: the exponent, the angle, g1
// there and the efficiency; and the chart of --angle-for-g1 --svg, the rows of the range with
// the angles marked.
std::string angle_for_g1(Entries& entries);

// The rows of k-berg-table: "from", "to", "step", "exponent" (a list), "harmonics" (0 to 9 by
// default), "show" (the quantities' names, alpha when none), "xi" and "exact" (the Berg
// integral instead of the samples) give k-berg-table's title and a table of rows per exponent
// with each cell as the table edits it ("—" where a quantity has no value), and the chart of
// --svg. With "half" 1 or 2, only every other angle from the first or from the second, and
// instead of the chart its curves' values, as "curves" (by exponent, curve and angle, each
// the shortest text that reads back as the same double): the page computes the two halves at
// once, in two threads, joins them, and asks table_chart for the chart.
std::string table(Entries& entries);

// The chart of the table of the entries (without "half") from its curves' `values`, as the
// halves give them, joined: separated by blanks, by exponent, curve and angle.
std::string table_chart(Entries& entries, std::string_view values);

// The same rows as k-berg-table --csv writes them, CR LF line ends, with a decimal comma and
// ";" between fields where "decimal-comma" is given: {"csv": text, "name": the file's name}.
std::string table_csv(Entries& entries);

// The stage of k-berg-table --stage: "supply", "power", "harmonic" (1 by default), "xi" or
// "saturation", "slope" with "cutoff" (the device's law, for the drive), the range and the
// exponents give the title lines that say what the stage is, and per exponent its tables (the
// main one, and the drive's with the device's law), a row per angle with each value as the
// program's table edits it (empty where no stage can be made), and the note that says why
// rows are empty; and the chart of --stage --svg.
std::string stage_design(Entries& entries);

// The stage's lines as k-berg-table --stage --csv writes them, with their file's name, as
// table_csv gives a table's.
std::string stage_csv(Entries& entries);

// With "network" the stage view's answer is the stage with its output network, as
// k-berg-table --stage --network writes it; its CSV likewise. The network view's: the network
// alone, from "network", "resistance", "frequency" and the network's other entries, "power"
// and "harmonic", the range and the exponents, as k-berg-table --network writes it. Each
// answer's picture comes with "chart_alt", the words for it.
std::string network_design(Entries& entries);
std::string network_csv(Entries& entries);

// The quantities a table can show, for the page's choice: [{"name", "label"}...].
std::string quantities();

// Each entry a form has, as the form of the view that `entries` name (as the page names its
// views in a link) shows it: [{"name", "label", "placeholder", "inputmode"}...], the
// placeholder being the text the absent entry stands for in that view.
std::string form(const Entries& entries);

}  // namespace web
