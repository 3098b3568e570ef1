// k-berg-table's modules in-process: the command line, and the rows in their three forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>
#include <tuple>

#include "engine/grid.h"
#include "engine/quantity.h"
#include "engine/rows.h"
#include "report/answer_charts.h"
#include "report/chart.h"
#include "report/entry_rules.h"
#include "table/csv.h"
#include "table/options.h"
#include "table/plain_table.h"
#include "table/stage.h"
#include "textio/failure.h"

namespace {

using quantity::Id;
using quantity::View;

constexpr double kPi = grid::kPi;

// "exponents | from..to by step | table harmonics | chart harmonics (γ when it draws gamma_k)
// | harmonics of --optimum", or the English words of the refusal value that refused them.
std::string options(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "k-berg-table");
  std::ostringstream text;
  try {
    const table::Options o =
        table::parse_command_line(static_cast<int>(arguments.size()), arguments.data()).options;
    for (double exponent : o.exponents) text << exponent << ' ';
    text << "| " << o.angles.from << ".." << o.angles.to << " by " << o.angles.step << " | ";
    for (int k : o.view.harmonics) text << k;
    text << " | " << (o.chart.gamma ? "γ" : "");
    for (int k : o.chart.harmonics) text << k;
    text << " | ";
    for (int k : o.optimum_harmonics) text << k;
  } catch (const table::Refused& refused) {
    text << refused.what();
  } catch (const textio::Error& error) {  // not a value the other language could word
    text << "in the option library's words: " << error.what();
  }
  return text.str();
}

// The help of --show lists each quantity, and its meaning in a column of its own.
TEST(TableOptions, HelpOfShowListsEachQuantityInAColumn) {
  std::istringstream help(entry_rules::help_of(entry_rules::kShow));
  std::size_t listed = 0;
  for (std::string line; std::getline(help, line);) {
    if (!line.starts_with("  ")) continue;
    EXPECT_EQ(line.find_first_not_of(' ', line.find(' ', 2)), 9u) << line;
    ++listed;
  }
  EXPECT_EQ(listed, quantity::all().size());
}

// The limits are the dialogue's, 4.9 to 180.1 degrees and exponent 0.93 to 5.01, and at most
// 100,000 rows over all blocks. The table shows as many harmonics as fit in 79 columns.
TEST(TableOptions, EachFormAndEachBadArgument) {
  const std::string not_harmonics = "' is neither a harmonic from 0 to 9 nor a range like 0-3";
  std::string exponents = "1";
  for (int i = 0; i < 100000; ++i) exponents += ";1";
  const std::string searches = exponents.substr(0, 2 * 223 - 1);  // 223 exponents, 9 harmonics
  const std::string g1_searches = exponents.substr(0, 2 * 2001 - 1);
  const std::pair<std::vector<const char*>, std::string> cases[] = {
      {{}, "1 | 5..180 by 5 | 01234567 | 0123 | 123456789"},
      {{"--csv", "--show", "db,gamma"}, "1 | 5..180 by 5 | 0123456789 | γ0123 | 123456789"},
      {{"--show", "gamma,alpha"}, "1 | 5..180 by 5 | 0123 | 0123 | 123456789"},
      {{"--show", "alpha,gamma"}, "1 | 5..180 by 5 | 0123 | 0123 | 123456789"},
      {{"--phases"}, "1 | 5..180 by 5 | 0123 | 0123 | 123456789"},
      {{"--show", "db"}, "1 | 5..180 by 5 | 0123456789 | 0123 | 123456789"},
      {{"--exponent", "0.93", "--exponent", "5.01", "--from", "4,9", "--to", "180.1", "--harmonics",
        "7-9,0,8"},
       "0.93 5.01 | 4.9..180.1 by 5 | 0789 | 0789 | 789"},
      {{"--exponent", "2;1.5", "--to", "54.999", "--step", "0,001"},
       "2 1.5 | 5..54.999 by 0.001 | 01234567 | 0123 | 123456789"},
      {{"--exponent", "1,5"},
       "--exponent: '1,5' is ambiguous: write a decimal point (1.5) for one exponent, or repeat "
       "the "
       "option (--exponent 1 --exponent 5) for several"},
      {{"--exponent", ""}, "--exponent: '' is not a number"},
      {{"--exponent", exponents.c_str()}, "--exponent: the list has more than 100000 values"},
      {{"--optimum", "--exponent", searches.c_str()},
       "--exponent: 223 exponents make 2007 searches, more than 2000"},
      {{"--angle-for-g1", "1.8", "--exponent", g1_searches.c_str()},
       "--exponent: 2001 exponents make 2001 searches, more than 2000"},
      {{"--exponent", "1;2", "--to", "55", "--step", "0.001"},
       "--exponent: 2 exponents of 50001 angles each make more than 100000 rows"},
      {{"--from", "abc"}, "--from: 'abc' is not a number"},
      {{"--from", "90x"}, "--from: '90x' is not a number"},
      {{"--step", "0.001", "--to", "105"}, "--step: 0.001 makes more than 100000 rows"},
      {{"--from", "90", "--to", "90", "--step", "1e-300"},
       "--step: 1e-300 is too small: neighbouring angles near 90 are equal"},
      {{"--from", "4.89"}, "--from: 4.89 is not from 4.9 to 180.1"},
      {{"--from", "180", "--to", "180.2"}, "--to: 180.2 is not from 4.9 to 180.1"},
      {{"--exponent", "0.92"}, "--exponent: 0.92 is not from 0.93 to 5.01"},
      {{"--step", "0"}, "--step: 0 is not a finite number above 0"},
      {{"--from", "90", "--to", "80"}, "--from: 90 is above --to 80"},
      {{"--show", "eta", "--xi", "1,5"}, "--xi: 1.5 is not above 0 and at most 1"},
      {{"--show", "beta"}, "--show: 'beta' is not one of alpha, gamma, g1, eta, db, cos, gn, etan"},
      {{"--phases", "--show", "gamma"},
       "--show: 'gamma' leaves out alpha, beside which --phases puts the phases"},
      {{"--optimum", "--harmonics", "0"},
       "--harmonics: '0' has no harmonic from 1 to 9 for --optimum"},
      {{"--harmonics", "10"}, "--harmonics: '10" + not_harmonics},
      {{"--svg", ""}, "--svg: the file name is empty"},
      {{"--svg", "--csv"}, "--svg: lacks its value: '--csv' is an option"},
      {{"--from", "--to", "90"}, "--from: lacks its value: '--to' is an option"},
      {{"--stage", "--supply", "--power", "8", "--xi", "1"},
       "--supply: lacks its value: '--power' is an option"},
      {{"--show", ",", "--from", "90"},
       "--show: '' is not one of alpha, gamma, g1, eta, db, cos, gn, etan"},
      {{"--harmonics", "", "--csv"}, "--harmonics: '" + not_harmonics},
      {{"--angle-for-g1", "nan"}, "--angle-for-g1: 'nan' is not a number"},
      {{"--angle-for-g1", "+-2"}, "--angle-for-g1: '+-2' is not a number"},
      {{"--exponent", "1e-400"},
       "--exponent: '1e-400' is beyond the numbers this program can hold"},
      {{"--harmonic", ""}, "--harmonic: is for --stage only"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--harmonic", ""},
       "--harmonic: '' is not a whole number"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--harmonics", "5"},
       "--harmonics: is not used by --stage: its harmonic is --harmonic N"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--show", "eta"},
       "--show: is not used by --stage"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--phases"},
       "--phases: is not used by --stage"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--exact"},
       "--exact: is not used by --stage"},
      {{"--optimum", "--xi", "0.5"}, "--xi: is not used by --optimum"},
      {{"--optimum", "--from", "30"},
       "--from: is used by --optimum only for its chart, with --svg"},
      {{"--angle-for-g1", "1.8", "--exact"},
       "--exact: is used by --angle-for-g1 only for its chart, with --svg"},
      {{"--angle-for-g1", "1.8", "--phases"}, "--phases: is not used by --angle-for-g1"},
      {{"--xi", "0.9"}, "--xi: is used by the table only for eta and etan in --show"},
      {{"--supply", "5"}, "--supply: is for --stage only"},
      {{"--stage", "--supply", "12.5", "--power", "8"},
       "--stage: needs either the voltage utilisation --xi X or the saturation slope "
       "--saturation S, one of the two"},
      {{"--stage", "--supply", "12.5", "--power", "8", "--xi", "1", "--saturation", "1"},
       "--stage: needs either the voltage utilisation --xi X or the saturation slope "
       "--saturation S, one of the two"},
      {{"--stage", "--power", "8", "--xi", "1"}, "--stage: needs the supply voltage, --supply E"},
      {{"--stage", "--supply", "9", "--xi", "1"}, "--stage: needs the output power, --power P"},
      {{"--stage", "--optimum"}, "--stage: cannot be given with --optimum"},
      {{"--stage", "--supply", "0", "--power", "8", "--xi", "1"},
       "--supply: 0 is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--power", "-1", "--xi", "1"},
       "--power: -1 is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--power", "1", "--saturation", "inf"},
       "--saturation: inf is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1.01"},
       "--xi: 1.01 is not above 0 and at most 1"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--slope", "1"},
       "--slope: needs the other half of the device's law, --slope S --cutoff E'"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--slope", "0", "--cutoff", "1"},
       "--slope: 0 is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--harmonic", "10"},
       "--harmonic: 10 is not from 1 to 9"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--harmonic", "2.5"},
       "--harmonic: '2.5' is not a whole number"},
      {{"--show", "--from", "30"}, "--show: lacks its value: '--from' is an option"},
      {{"--max-voltage", "30"}, "--max-voltage: is for --stage only"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--max-dissipation", "0"},
       "--max-dissipation: 0 is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--max-direct-current", "x"},
       "--max-direct-current: 'x' is not a number"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--slope", "1", "--cutoff", "0",
        "--permeance", "1"},
       "--permeance: 1 is not at least 0 and below 1"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--permeance", "0.01"},
       "--permeance: is part of the device's law: give --slope S --cutoff E' with it"},
      {{"--stage", "--supply", "9", "--best", "most"},
       "--best: 'most' is not one of power, efficiency"},
      {{"--stage", "--supply", "9", "--best", "efficiency", "--saturation", "1"},
       "--best: needs the output power, --power P"},
      {{"--stage", "--supply", "9", "--best", "power", "--power", "1", "--saturation", "1"},
       "--power: is not used by --best power"},
      {{"--stage", "--supply", "9", "--best", "power", "--xi", "1"}, "--xi: is not used by --best"},
      {{"--stage", "--supply", "9", "--best", "power", "--saturation", "1", "--step", "1"},
       "--step: is not used by --best"},
      {{"--frequency", "7"}, "--frequency: is for --network only"},
      {{"--network", "pi", "--frequency", "7", "--q", "10"},
       "--resistance: is needed by --network"},
      {{"--network", "pi", "--resistance", "2000", "--q", "10"},
       "--frequency: is needed by --network"},
      {{"--network", "pie"}, "--network: 'pie' is not one of pi, l, l-high, pi-l, tank"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "7"},
       "--q: needs either the loaded Q --q Q or the coil --inductance L, one of the two"},
      {{"--network", "l", "--resistance", "20", "--frequency", "7", "--q", "3"},
       "--q: is not used by --network l"},
      {{"--network", "tank", "--resistance", "20", "--frequency", "7"},
       "--q: is needed by --network tank"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "7", "--inductance", "5",
        "--q-definition", "sum"},
       "--q-definition: is not used by --inductance"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "300", "--q", "10"},
       "--limit: no rule of those known applies at 300 MHz: give the limit in dB"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "50", "--q", "10", "--limit",
        "below-30-mhz"},
       "--limit: 'below-30-mhz' does not apply at 50 MHz"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "5", "--q", "10", "--limit",
        "sm329"},
       "--power: is needed by --limit sm329"},
      {{"--network", "pi", "--resistance", "2000", "--frequency", "5", "--q", "10", "--limit",
        "4x"},
       "--limit: '4x' is neither a number of dB nor one of below-30-mhz, sm329, 30-225-mhz"},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--network", "pi", "--resistance",
        "5"},
       "--resistance: cannot be given with --stage"},
      {{"--network", "pi", "--optimum"}, "--network: cannot be given with --optimum"},
      {{"--network", "pi", "--xi", "1"}, "--xi: is not used by --network"},
      {{"--network", "pi", "--resistance", "-5"},
       "--resistance: -5 is not a finite number above 0"},
      {{"--stage", "--supply", "9", "--best", "power", "--saturation", "1", "--network", "pi"},
       "--best: cannot be given with --network"},
      {{"--svg", "x", "--exponent", "1;1.5;2;2.5;3;3.5;4"},
       "--svg: 7 exponents with several harmonics cannot be told apart: draw at most 6, or one "
       "harmonic (--harmonics N) for up to 20"},
      {{"--svg", "x", "--harmonics", "1", "--exponent",
        "1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1"},
       "--svg: 21 exponents cannot be told apart on one chart: draw at most 20"},
  };
  for (const auto& [arguments, expected] : cases) {
    EXPECT_EQ(options(arguments), expected) << arguments.front();
  }
  // An unknown option, and two answers at once, are refused in the option library's words.
  for (const char* bad : {"--bogus", "--optimum"})
    EXPECT_TRUE(options({bad, "--angle-for-g1", "2"}).starts_with("in the option library's"))
        << bad;
}

// What a writer wrote of the rows of `exponents` over `range`.
template <typename Writer>
std::string written(const View& view, const std::vector<double>& exponents, sweep::Range range) {
  textio::StringSink sink;
  textio::Records out(sink, false);
  Writer writer(out, view);
  rows::compute_rows(exponents, range, {&writer});
  out.flush();
  return sink.text();
}

// Rows of the README's example, signed as handbooks print the coefficients (Berg's closed
// forms give the signs): 8 harmonics fill 79 columns.
TEST(TablePlain, SignedCoefficientsInSeventyNineColumns) {
  const std::string rule = std::string(79, '-') + "\r\n";
  EXPECT_EQ(
      written<table::PlainTable>({{0, 1, 2, 3, 4, 5, 6, 7}, {}}, {1.0}, {45, 120, 30}),
      " Коэффициенты Берга\r\n\r\n Степень функции = 1.000\r\n" + rule +
          "   Угол       α0       α1       α2       α3       α4       α5       α6       α7\r\n" +
          rule +
          " 45.000  0.16491  0.31016  0.25616  0.18113  0.10246  0.03623 -0.00732 -0.02588\r\n"
          " 75.000  0.26933  0.45480  0.25803  0.06678 -0.03086 -0.03291  0.00106  0.01687\r\n"
          "105.000  0.36418  0.52661  0.15192 -0.03932 -0.01817  0.01938  0.00062 -0.00993\r\n");
}

// Each quantity in its columns; a harmonic that is zero has no level in decibels; the phase
// stands beside its coefficient; the efficiency names its xi.
TEST(TablePlain, QuantitiesPhasesAndTheZeroMark) {
  const View all{{2, 3}, {Id::db, Id::gamma, Id::g1, Id::eta, Id::cos}, false, 0.95};
  EXPECT_EQ(written<table::PlainTable>(all, {1.0}, {90, 90, 1}),
            " Коэффициенты Берга, ξ = 0.950\r\n\r\n Степень функции = 1.000\r\n" +
                std::string(70, '-') +
                "\r\n   Угол   α2, дБ   α3, дБ       γ2       γ3       g1        η    cos θ\r\n" +
                std::string(70, '-') +
                "\r\n 90.000    -7.44        —  0.21221  0.00000  1.57080  0.74613  0.00000\r\n");
  // The title once, then a block for each exponent.
  const std::string rule = std::string(24, '-') + "\r\n";
  EXPECT_EQ(written<table::PlainTable>({{0}, {}, true}, {1.0, 2.0}, {90, 90, 1}),
            " Коэффициенты Берга\r\n\r\n Степень функции = 1.000\r\n" + rule +
                "   Угол     |α0|      φ0\r\n" + rule + " 90.000  0.31831     0.0\r\n\r\n" +
                " Степень функции = 2.000\r\n" + rule + "   Угол     |α0|      φ0\r\n" + rule +
                " 90.000  0.25000     0.0\r\n");
  // Beside its phase a coefficient shows its modulus; a decimal comma throughout.
  EXPECT_EQ(
      written<table::PlainTable>({{3}, {Id::alpha, Id::gn}, true, 1.0, true}, {1.0}, {120, 120, 1}),
      " Коэффициенты Берга\r\n\r\n Степень функции = 1,000\r\n" + std::string(33, '-') +
          "\r\n   Угол     |α3|      φ3       g3\r\n" + std::string(33, '-') +
          "\r\n120,000  0,04594   180,0 -0,11316\r\n");
  const View every{
      {}, {Id::alpha, Id::gamma, Id::g1, Id::eta, Id::db, Id::cos, Id::gn, Id::etan}, true};
  for (View view :
       {View{}, View{{}, {}, true}, View{{}, {Id::alpha, Id::gamma}}, View{{}, {Id::db}}, every}) {
    view.harmonics = table::fitting_harmonics(view);
    EXPECT_EQ(view.harmonics.front(), 0);
    std::istringstream lines(written<table::PlainTable>(view, {1.0}, {4.9, 180.1, 0.1}));
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; }),
                table::kTableWidth + 1)
          << line;  // the CR too
    }
  }
}

// Without --show, the bytes of the README's example as the earlier versions wrote them;
// each quantity shown adds its columns.
TEST(TableCsv, TheUsualColumnsThenEachQuantityShown) {
  EXPECT_EQ(written<table::CsvTable>({{0, 1, 2, 3}, {}}, {1.0, 2.0}, {60, 120, 30}),
            "angle,exponent,a0,a1,a2,a3,phi0,phi1,phi2,phi3\r\n"
            "60.000,1.000,0.21800,0.39100,0.27566,0.13783,0.0,0.0,0.0,0.0\r\n"
            "90.000,1.000,0.31831,0.50000,0.21221,0.00000,0.0,0.0,0.0,0.0\r\n"
            "120.000,1.000,0.40600,0.53633,0.09189,0.04594,0.0,0.0,0.0,180.0\r\n"
            "60.000,2.000,0.17301,0.32065,0.25317,0.16540,0.0,0.0,0.0,0.0\r\n"
            "90.000,2.000,0.25000,0.42441,0.25000,0.08488,0.0,0.0,0.0,0.0\r\n"
            "120.000,2.000,0.31411,0.48007,0.19409,0.01838,0.0,0.0,0.0,0.0\r\n");
  // 60 degrees: g1 = 0.391002 / 0.217997, cos theta = 1/2 so gamma_k = alpha_k / 2.
  const View shown{{1, 5}, {Id::alpha, Id::gamma, Id::db, Id::g1, Id::eta, Id::cos}};
  EXPECT_EQ(written<table::CsvTable>(shown, {1.0}, {60, 60, 1}),
            "angle,exponent,a1,a5,phi1,phi5,alpha1,alpha5,gamma1,gamma5,db5,g1,eta,cos_theta\r\n"
            "60.000,1.000,0.39100,0.02757,0.0,180.0,0.39100,-0.02757,0.19550,-0.01378,-23.04,"
            "1.79362,0.89681,0.50000\r\n");
  EXPECT_EQ(written<table::CsvTable>({{3}, {Id::db}}, {1.0}, {90, 90, 1}),
            "angle,exponent,a3,phi3,db3\r\n90.000,1.000,0.00000,0.0,\r\n");
  // For a Russian-locale spreadsheet; g_k and eta_k of a multiplier, 1/2 xi alpha_2 / alpha_0.
  EXPECT_EQ(
      written<table::CsvTable>({{0, 2}, {Id::gn, Id::etan}, false, 0.9, true}, {1.0}, {90, 90, 1}),
      "angle;exponent;a0;a2;phi0;phi2;g2;eta2\r\n"
      "90,000;1,000;0,31831;0,21221;0,0;0,0;0,66667;0,30000\r\n");
}

// A value that rounds to zero is a zero without a sign: alpha_9 of exponent 5.01 at 90
// degrees, a little below zero, and cos theta of the 90 degrees of a sweep from 4.9, which
// rounding puts a little beyond it.
TEST(TableRows, ZeroHasNoSign) {
  const View view{{9}, {Id::alpha, Id::cos}};
  const sweep::Range range{4.9, 90, 85.1};
  EXPECT_TRUE(written<table::PlainTable>(view, {5.01}, range)
                  .ends_with("\r\n 90.000  0.00000  0.00000\r\n"));
  EXPECT_TRUE(written<table::CsvTable>(view, {5.01}, range)
                  .ends_with("\r\n90.000,5.010,0.00000,180.0,0.00000,0.00000\r\n"));
}

// Keeps every row, as the chart sees them.
struct Kept : rows::RowWriter {
  std::vector<berg::Result> rows;
  void start_block(double) override {}
  void write_row(const berg::Result& row) override { rows.push_back(row); }
};

// The chart of rows over `range`, and the rows.
struct Drawn {
  std::vector<int> harmonics;
  bool gamma;
  sweep::Range angles;
};
std::string chart(const Drawn& view, const std::vector<double>& exponents,
                  std::vector<berg::Result>* rows = nullptr, bool maxima = false) {
  const answer_charts::BergChoice choice{view.harmonics, view.gamma};
  chart::Chart drawn(answer_charts::rows_chart(choice, view.angles));
  answer_charts::BergCurves curves(drawn, choice);
  Kept kept;
  rows::compute_rows(exponents, view.angles, {&curves, &kept});
  for (std::size_t b = 0; b < exponents.size() && maxima; ++b) {
    curves.mark_maxima(b, design::optima(exponents[b], view.harmonics));
  }
  if (rows != nullptr) *rows = kept.rows;
  return std::move(drawn).finish();
}

// The lines of the chart that start with `start`; in one, the text after `before` to a " or <.
std::vector<std::string> lines(const std::string& svg, const std::string& start) {
  std::vector<std::string> found;
  std::istringstream document(svg);
  for (std::string line; std::getline(document, line);)
    if (line.starts_with(start)) found.push_back(line);
  return found;
}
std::string after(const std::string& line, const std::string& before) {
  const std::size_t at = line.find(before) + before.size();
  return line.substr(at, line.find_first_of("\"<", at) - at);
}

// Read as a person reads it, the first and last labelled tick of each axis giving its scale (y
// labels sit 5 pixels below their line), the pixel of a value.
double pixel(const std::string& svg, const std::string& axis, double value) {
  const auto ticks = lines(svg, "<text class=\"" + axis + "-tick\"");
  const std::string at = " " + axis + "=\"", first = ticks.front(), last = ticks.back();
  const double v0 = std::stod(after(first, ">")), p0 = std::stod(after(first, at));
  const double v1 = std::stod(after(last, ">")), p1 = std::stod(after(last, at));
  return p0 + (value - v0) * (p1 - p0) / (v1 - v0) - (axis == "y" ? 5.0 : 0.0);
}

// Every point of every signed curve, and every maximum marked, sits at its value; the angle
// axis runs from the first angle asked for (x = 90) to the last (x = 790).
TEST(TableChart, PointsAndMaximaSitAtTheirValues) {
  std::vector<berg::Result> rows;
  const std::string svg = chart({{1, 3}, false, {4.9, 180.1, 5}}, {1.0, 2.0}, &rows, true);
  EXPECT_NEAR(pixel(svg, "x", 4.9), 90.0, 0.01);
  EXPECT_NEAR(pixel(svg, "x", 180.1), 790.0, 0.01);
  int points = 0;
  for (const std::string& curve : lines(svg, "<polyline class=\"curve\"")) {
    const int k = std::stoi(after(curve, "data-harmonic=\""));
    const std::size_t block = after(curve, "data-exponent=\"") == "1.000" ? 0 : 1;
    std::istringstream xy(after(curve, "points=\""));
    for (double x, y; xy >> x && xy.ignore() && xy >> y; ++points) {
      const berg::Result& row = rows.at(block * 36 + points % 36);
      EXPECT_NEAR(x, pixel(svg, "x", row.angle()), 0.01) << k << " at " << row.angle();
      EXPECT_NEAR(y, pixel(svg, "y", row.signed_value(k)), 0.01) << k << " at " << row.angle();
    }
  }
  EXPECT_EQ(points, 2 * 2 * 36);
  const auto maxima = lines(svg, "<path class=\"mark\"");
  ASSERT_EQ(maxima.size(), 4u);
  const design::Optimum third = design::optima(2.0, {3}).front();
  std::istringstream at(after(maxima[3], "translate("));
  double x, y;
  at >> x >> y;
  EXPECT_NEAR(x, pixel(svg, "x", third.alpha.angle), 0.01);
  EXPECT_NEAR(y, pixel(svg, "y", third.alpha.value), 0.01);
}

// One point per column of pixels at most four: the chart of 3,505 rows keeps each curve's
// highest and lowest; a single angle is drawn as points; exponents of one harmonic each have
// a style of their own.
TEST(TableChart, WhatItsWidthCanShow) {
  std::vector<berg::Result> rows;
  const std::string dense = chart({{3}, true, {4.9, 180.1, 0.05}}, {1.0}, &rows);
  std::istringstream xy(after(lines(dense, "<polyline").front(), "points=\""));
  int points = 0;
  double bottom = 0.0;  // the lowest value is the lowest point, the largest y
  double end = 0.0;     // the last point, kept however close it is to the one before
  for (double x, y; xy >> x && xy.ignore() && xy >> y; ++points) {
    bottom = std::max(bottom, y);
    end = x;
  }
  EXPECT_LE(points, 4 * 701);
  EXPECT_NEAR(end, pixel(dense, "x", 180.1), 0.01);
  double lowest = 0.0;
  for (const berg::Result& row : rows) lowest = std::min(lowest, row.gamma(3));
  EXPECT_NEAR(bottom, pixel(dense, "y", lowest), 0.01);
  const std::string single = chart({{0, 1}, false, {90, 90, 1}}, {1.0, 2.0});
  std::set<std::pair<std::string, std::string>> shapes;  // each exponent's points a shape
  std::set<std::string> places;                          // side by side, none hiding another
  for (const std::string& point : lines(single, "<path class=\"point\"")) {
    shapes.emplace(after(point, "data-exponent=\""), after(point, " d=\""));
    places.insert(after(point, "translate("));
  }
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(places.size(), 4u);
  // The single angle labelled in the middle of the plot's frame.
  const std::string frame = lines(single, "<rect x=").front();
  const std::string tick = lines(single, "<text class=\"x-tick\"").front();
  EXPECT_EQ(after(tick, ">"), "90.0°");
  EXPECT_DOUBLE_EQ(std::stod(after(tick, "x=\"")),
                   std::stod(after(frame, "x=\"")) + std::stod(after(frame, "width=\"")) / 2);
  std::set<std::string> styles;
  const std::string many = chart({{2}, false, {30, 60, 10}}, std::vector<double>(20, 1.0));
  for (const std::string& line : lines(many, "<polyline")) {
    styles.insert(after(line, "stroke=\"") + after(line, "stroke-dasharray=\""));
  }
  EXPECT_EQ(styles.size(), 20u);
}

// The angle axis of a narrow range is labelled in hundredths or tenths, of a range of ten
// degrees in whole degrees, each label once.
TEST(TableChart, NarrowRangesLabelledInTenths) {
  for (const auto& [range, label] : {std::pair{sweep::Range{90, 90.5, 0.1}, "90.05°"},
                                     {sweep::Range{90, 91, 0.5}, "90.1°"},
                                     {sweep::Range{90, 92, 0.5}, "90.2°"},
                                     {sweep::Range{90, 100, 0.5}, "91°"}}) {
    const std::string svg = chart({{1}, false, range}, {1.0});
    std::set<std::string> labels;
    const auto ticks = lines(svg, "<text class=\"x-tick\"");
    for (const std::string& tick : ticks) labels.insert(after(tick, ">"));
    EXPECT_EQ(labels.size(), ticks.size());
    EXPECT_TRUE(labels.contains(label)) << label;
  }
}

// Any span a double holds is labelled every 1, 2 or 5 times a power of ten, in two to eleven
// labels that hold every value: on a linear axis with 0 among the values, and in decades.
TEST(TableChart, TicksOfNiceStepsWhateverTheSpan) {
  const double most = std::numeric_limits<double>::max();
  const double least = std::numeric_limits<double>::denorm_min();
  // The lowest and highest value, and whether the axis is logarithmic.
  const std::vector<std::tuple<double, double, bool>> spans = {
      {0, 0, false},     {0, 1e-300, false},   {-1e-300, 1e-300, false}, {0, 0.08, false},
      {0, least, false}, {-0.13, 0.55, false}, {0, 1e8, false},          {-3, 1.3e8, false},
      {0, 1e308, false}, {0, most, false},     {-most, most, false},     {1, 1, true},
      {0.5, 0.7, true},  {0.003, 1.1e6, true}, {1e-300, 1e308, true},    {least, most, true}};
  for (const auto& [lowest, highest, logarithmic] : spans) {
    SCOPED_TRACE(std::to_string(lowest) + " to " + std::to_string(highest));
    const chart::Chart::Axis axis = logarithmic ? chart::logarithmic_axis(lowest, highest)
                                                : chart::linear_axis(lowest, highest);
    const std::size_t labels = chart::ticks(axis).size();
    EXPECT_TRUE(labels >= 2 && labels <= chart::kMostIntervals + 1) << labels;
    const double mantissa = axis.step / std::pow(10.0, std::floor(std::log10(axis.step)));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                std::fabs(mantissa - 5) < 1e-9)
        << axis.step;
    EXPECT_TRUE(!logarithmic || axis.step >= 1.0) << axis.step;
    // A label in fixed decimals has as many as its step needs: 0.01, not 0.010.
    const int needed = std::max(0, -static_cast<int>(std::floor(std::log10(axis.step) + 1e-9)));
    EXPECT_TRUE(logarithmic || axis.step < 0.001 || axis.decimals == needed) << axis.decimals;
    const auto place = [&](double value) { return logarithmic ? std::log10(value) : value; };
    EXPECT_TRUE(axis.low <= place(lowest) && place(highest) <= axis.high);
    EXPECT_TRUE(std::isfinite(axis.low) && std::isfinite(axis.high));
  }
}

// A value that is not finite breaks its curve and is neither drawn nor marked; the axis is
// that of the finite values.
TEST(TableChart, ValuesNotFiniteAreNotDrawn) {
  const double infinite = std::numeric_limits<double>::infinity();
  chart::Chart drawn(answer_charts::rows_chart({{1}, false}, {10, 50, 10}));
  drawn.start_block(1.0);
  for (const auto& [angle, value] :
       {std::pair{10.0, 0.5}, {20.0, infinite}, {30.0, 0.7}, {40.0, 0.6}, {50.0, -infinite}})
    drawn.add(angle, {value});
  drawn.mark(0, 0, {35, std::numeric_limits<double>::quiet_NaN()});
  drawn.mark(0, 0, {45, infinite});
  const std::string svg = std::move(drawn).finish();
  const auto curves = lines(svg, "<polyline");
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(std::count(curves[0].begin(), curves[0].end(), ','), 1);
  EXPECT_EQ(std::count(curves[1].begin(), curves[1].end(), ','), 2);
  EXPECT_EQ(lines(svg, "<path class=\"mark\"").size(), 0u);
  EXPECT_EQ(after(lines(svg, "<text class=\"y-tick\"").back(), ">"), "0.7");
}

// The charts of the widest answers stay under a megabyte with a few dozen lines: a doubler
// over the whole range, whose ratios reach millions where alpha_n nears 0, on an axis in
// decades; ten harmonics of six exponents, each curve a point a pixel at most.
TEST(TableChart, SizeBoundedWhateverTheValues) {
  for (const std::vector<const char*>& arguments :
       {std::vector<const char*>{"--harmonic", "2", "--step", "0.1"},
        {"--harmonic", "3", "--exponent", "2", "--step", "0.5"}}) {
    std::vector<const char*> line = {"k-berg-table", "--stage", "--supply", "12.5",
                                     "--power",      "8",       "--xi",     "1",
                                     "--from",       "4.9",     "--to",     "180.1"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    const table::Options options =
        table::parse_command_line(static_cast<int>(line.size()), line.data()).options;
    chart::Chart drawn(answer_charts::stage_chart(options.stage.harmonic, options.angles));
    answer_charts::draw_stages(drawn, table::design_stages(options));
    const std::string svg = std::move(drawn).finish();
    EXPECT_LT(svg.size(), 1000000u);
    EXPECT_LT(lines(svg, "<line").size(), 60u);
    std::set<std::string> labels;
    for (const std::string& tick : lines(svg, "<text class=\"y-tick\""))
      labels.insert(after(tick, ">"));
    EXPECT_TRUE(labels.contains("1") && labels.contains("100")) << svg.substr(0, 2000);
  }
  const std::string berg = chart({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false, {4.9, 180.1, 0.1}},
                                 {1.0, 1.8, 2.6, 3.4, 4.2, 5.01});
  EXPECT_LT(berg.size(), 1000000u);
}

// A stage's rows beyond a limit are drawn, on a shade that reaches halfway to the rows beside
// them: the tripler's dissipation is beyond 0.5 W from 40 to 70 degrees, at 80 it gives no
// 0.8 W.
TEST(TableChart, WhatLiesBeyondALimitIsShaded) {
  const std::vector<const char*> line = {
      "k-berg-table",      "--stage", "--supply", "12.5", "--power", "0.8", "--harmonic", "3",
      "--saturation",      "0.5",     "--from",   "20",   "--to",    "100", "--step",     "10",
      "--max-dissipation", "0.5"};
  const table::Options options =
      table::parse_command_line(static_cast<int>(line.size()), line.data()).options;
  chart::Chart drawn(answer_charts::stage_chart(options.stage.harmonic, options.angles));
  answer_charts::draw_stages(drawn, table::design_stages(options));
  const std::string svg = std::move(drawn).finish();
  const auto shades = lines(svg, "<rect class=\"shade\"");
  ASSERT_EQ(shades.size(), 1u);
  const double x = std::stod(after(shades[0], " x=\""));
  EXPECT_NEAR(x, pixel(svg, "x", 35), 0.01);
  EXPECT_NEAR(x + std::stod(after(shades[0], "width=\"")), pixel(svg, "x", 75), 0.01);
  const auto curves = lines(svg, "<polyline class=\"curve\"");
  ASSERT_EQ(curves.size(), 3u);
  EXPECT_EQ(std::count(curves[0].begin(), curves[0].end(), ','), 6);  // 20 to 70 degrees
}

// Berg's a_n, exponent 1, cut off at t: int (cos x - cos t) cos nx, |x| < t, / (pi (1 - cos t)).
double berg(int n, double t) {
  const double scale = kPi * (1.0 - std::cos(t));
  if (n == 0) return (std::sin(t) - t * std::cos(t)) / scale;
  if (n == 1) return (t - std::sin(t) * std::cos(t)) / scale;
  return 2.0 * (std::sin(n * t) * std::cos(t) - n * std::cos(n * t) * std::sin(t)) /
         (scale * n * (n * n - 1.0));
}

// The sampled pulse aliases harmonics n = 4096 m +- k onto k. As |a_n| <= 2 (1 + n sin t) /
// (pi n (n^2 - 1) (1 - cos t)), their sum is at most about (2/pi) (pi^2/3) cot(t/2) / 4096^2
// plus 2.5e-11 / (1 - cos t) for the 1, widened by 2% for n^2 - 1 and mN - k against (mN)^2.
// Above 180 degrees the sampler clips at 360 less the angle. Each a_n with its sign, and
// gamma_n = a_n (1 - cos t) within the same bound times 1 - cos t. The README quotes the
// worst error.
TEST(TableAccuracy, ExponentOneWithinTheAliasingBoundOverTheWholeRange) {
  Kept kept;
  rows::compute_rows({1.0}, {4.9, 180.1, 0.1}, {&kept});
  double worst = 0.0, worst_angle = 0.0;
  for (const berg::Result& row : kept.rows) {
    const double t = kPi * std::min(row.angle(), 360.0 - row.angle()) / 180.0;
    const double bound = 1.02 * 2.0 * kPi / 3.0 / std::tan(t / 2.0) / 4096.0 / 4096.0 +
                         2.5e-11 / (1.0 - std::cos(t));
    for (int k = 0; k < 10; ++k) {
      // A coefficient below 5e-8 has no phase, so no sign.
      const double expected = row.modulus(k) < 5e-8 ? std::fabs(berg(k, t)) : berg(k, t);
      const double error = std::fabs(row.signed_value(k) - expected);
      EXPECT_LE(error, bound + 1e-12) << row.angle() << " " << k;
      EXPECT_LE(std::fabs(row.gamma(k) - expected * (1 - std::cos(t))),
                (bound + 1e-12) * (1 - std::cos(t)) + 1e-15)
          << row.angle() << " " << k;
      if (error > worst) worst = error, worst_angle = row.angle();
    }
  }
  std::cout << "worst error " << worst << " at " << worst_angle << " degrees\n";
}

}  // namespace
