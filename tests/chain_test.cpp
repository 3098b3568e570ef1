// From the stage to the antenna: each harmonic of the pulse through the network against Berg's
// closed forms, the published 7 MHz amplifier, the stage's load and power handed to the
// network, and every answer's text and CSV in its shape.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "engine/antenna.h"
#include "engine/grid.h"
#include "report/network_charts.h"
#include "report/network_text.h"
#include "table/options.h"
#include "table/stage.h"
#include "textio/channels.h"
#include "textio/fields.h"
#include "textio/records.h"

namespace {

table::Options options_of(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "k-berg-table");
  return table::parse_command_line(static_cast<int>(arguments.size()), arguments.data()).options;
}

// What k-berg-table writes for `arguments`, text or CSV.
std::string written(const std::vector<const char*>& arguments) {
  const table::Options options = options_of(arguments);
  textio::StringSink sink;
  textio::Records out(sink, false);
  const std::vector<antenna::Block> blocks = table::design_chains(options);
  if (options.csv) {
    table::write_chain_csv(out, options, blocks);
  } else {
    table::write_chain_text(out, options, blocks);
  }
  out.flush();
  return sink.text();
}

// 2000 to 50 ohms at 7 MHz, Q1 + Q2 = 10 (the design network_test checks against I. White,
// G3SEK), fed by the pulse of 90 degrees, exponent 1, whose alpha_n is 2 cos(n pi / 2) /
// (pi (1 - n^2)) for n >= 2 (Berg's closed form): each harmonic is its current's ratio to
// alpha_1 = 1/2 less the network's attenuation, the odd ones none; the second near -41 dBc.
TEST(Chain, TheSevenMegahertzAmplifierAtNinetyDegrees) {
  const auto blocks =
      table::design_chains(options_of({"--network", "pi", "--resistance", "2000", "--frequency",
                                       "7", "--q", "10", "--from", "90", "--to", "90"}));
  const antenna::Row& row = blocks.at(0).rows.at(0);
  ASSERT_EQ(row.harmonics.size(), 9u);
  for (const network::Harmonic& h : row.harmonics) {
    const double alpha =
        h.n == 1 ? 0.5 : 2 * std::cos(h.n * grid::kPi / 2) / (grid::kPi * (1.0 - h.n * h.n));
    if (h.n % 2 == 1 && h.n > 1) {
      EXPECT_EQ(h.level_db, -INFINITY) << h.n;
    } else {
      EXPECT_NEAR(h.level_db, 20 * std::log10(std::fabs(alpha) / 0.5) - h.attenuation_db, 1e-9)
          << h.n;
    }
  }
  EXPECT_NEAR(row.harmonics[1].level_db, -41, 0.5);
  EXPECT_EQ(row.check.worst, 2);
  EXPECT_FALSE(row.check.passes);
}

// With a stage the network presents each angle's R_e and carries its power; its levels are
// those of the network alone designed for that R_e, whatever the peak current; the limit of
// 43 + 10 lg P follows the power into the load. Where no stage can be made there is no network.
TEST(Chain, TheStageGivesEachAngleItsLoadAndPower) {
  const table::Options options = options_of(
      {"--stage", "--supply",    "12.5", "--power", "2",   "--saturation", "1",   "--network",
       "pi",      "--frequency", "14",   "--q",     "12",  "--coil-q",     "150", "--limit",
       "sm329",   "--from",      "5",    "--to",    "125", "--step",       "60"});
  const antenna::Block block = table::design_chains(options).front();
  EXPECT_FALSE(block.rows[0].network);  // 2 W is beyond the critical regime at 5 degrees
  for (const antenna::Row& row : {block.rows[1], block.rows[2]}) {
    ASSERT_TRUE(row.network && network::works(*row.network)) << row.angle;
    const std::string r_e = textio::shortest_text(row.stage.r_e);
    const std::string angle = textio::shortest_text(row.angle);
    const antenna::Row alone =
        table::design_chains(
            options_of({"--network", "pi", "--resistance", r_e.c_str(), "--frequency", "14", "--q",
                        "12", "--coil-q", "150", "--from", angle.c_str(), "--to", angle.c_str()}))
            .front()
            .rows.front();
    EXPECT_EQ(row.network->power, 2.0);
    EXPECT_NEAR(*row.limit_db, 43 + 10 * std::log10(row.network->load_power), 1e-12);
    for (std::size_t n = 0; n < 9; ++n) {
      EXPECT_NEAR(row.harmonics[n].attenuation_db, alone.harmonics[n].attenuation_db, 1e-9);
      if (std::isfinite(alone.harmonics[n].level_db)) {
        EXPECT_NEAR(row.harmonics[n].level_db, alone.harmonics[n].level_db, 1e-9) << n;
      } else {
        EXPECT_EQ(row.harmonics[n].level_db, alone.harmonics[n].level_db) << n;
      }
    }
  }
}

// Every line of every answer's text within 79 columns, and the CSV's shape: a line per angle
// and exponent, and at one angle a line per harmonic after an empty line.
TEST(Chain, EveryAnswerFitsAndItsCsvHasItsLines) {
  const std::vector<std::vector<const char*>> networks = {
      {"--network", "pi", "--q", "12", "--coil-q", "200", "--output-capacitance", "10"},
      {"--network", "pi-l", "--inductance", "4", "--limit", "60"},
      {"--network", "l", "--coil-q", "100"},
      {"--network", "l-high"},
      {"--network", "tank", "--q", "15", "--rho", "300"}};
  for (const auto& network : networks) {
    for (const std::vector<const char*>& chain :
         {std::vector<const char*>{"--stage", "--supply", "1000", "--power", "100", "--xi", "0.9",
                                   "--frequency", "3.5", "--load", "75"},
          {"--resistance", "4050", "--frequency", "28.5", "--power", "100", "--harmonic", "2"}}) {
      for (const char* to : {"90", "150"}) {
        std::vector<const char*> arguments = chain;
        arguments.insert(arguments.end(), network.begin(), network.end());
        arguments.insert(arguments.end(), {"--from", "90", "--to", to, "--step", "30", "--exponent",
                                           "1;2", "--decimal-comma"});
        std::istringstream text(written(arguments));
        for (std::string line; std::getline(text, line);) {
          EXPECT_LE(textio::display_width(line), 80) << line;  // the CR too
        }
        arguments.push_back("--csv");
        const std::string csv = written(arguments);
        const bool one = std::string(to) == "90";
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), one ? 1 + 2 + 1 + 1 + 18 : 1 + 6);
      }
    }
  }
}

// The text after `before` in `line`, to the next quote.
std::string after(const std::string& line, const std::string& before) {
  const std::size_t at = line.find(before) + before.size();
  return line.substr(at, line.find('"', at) - at);
}

// The picture's lines that hold `part`.
std::vector<std::string> lines_with(const std::string& svg, const std::string& part) {
  std::vector<std::string> found;
  std::istringstream lines(svg);
  for (std::string line; std::getline(lines, line);)
    if (line.find(part) != std::string::npos) found.push_back(line);
  return found;
}

// Read as a person reads it, by the first and last labelled level (5 pixels above its label),
// the pixel of a level; the level of a pixel.
double level_at(const std::string& svg, double y) {
  const auto ticks = lines_with(svg, "class=\"y-tick\"");
  const auto level = [](const std::string& tick) {
    return std::stod(tick.substr(tick.find('>') + 1));
  };
  const double y0 = std::stod(after(ticks.front(), " y=\"")) - 5,
               y1 = std::stod(after(ticks.back(), " y=\"")) - 5;
  return level(ticks.front()) + (y - y0) * (level(ticks.back()) - level(ticks.front())) / (y1 - y0);
}

// At one angle each bar reaches its harmonic's level, red where it is above the limit, and each
// part is labelled with its value; over a range the limit is a curve at -limit dBc.
TEST(Chain, ThePicturesShowEachLevelAndEachPart) {
  const table::Options options = options_of(
      {"--stage", "--supply", "2500", "--power", "1000", "--xi", "0.9", "--network", "pi",
       "--frequency", "7", "--q", "12", "--exponent", "1;2", "--from", "90", "--to", "90"});
  const std::vector<antenna::Block> blocks = table::design_chains(options);
  const std::string sheet =
      network_charts::picture(*options.network, options.angles, blocks, false);
  const auto bars = lines_with(sheet, "<rect class=\"bar\"");
  std::size_t finite = 0;  // a harmonic the pulse has no bar
  for (const antenna::Block& block : blocks)
    for (const network::Harmonic& h : block.rows[0].harmonics) finite += std::isfinite(h.level_db);
  EXPECT_EQ(bars.size(), finite);
  for (const std::string& bar : bars) {
    const std::size_t b = after(bar, "data-exponent=\"") == "1.000" ? 0 : 1;
    const int n = std::stoi(after(bar, "data-harmonic=\""));
    const double level = blocks[b].rows[0].harmonics[static_cast<std::size_t>(n - 1)].level_db;
    EXPECT_NEAR(level_at(sheet, std::stod(after(bar, " y=\""))), level, 0.01) << n;
    EXPECT_EQ(bar.find("#c62828") != std::string::npos, n != 1 && level > -43) << n;
  }
  for (const network::Part& part : blocks[0].rows[0].network->parts)
    EXPECT_EQ(lines_with(sheet, network_text::value_text(part)).size(), 1u);
  const table::Options range = options_of({"--network", "pi", "--resistance", "2000", "--frequency",
                                           "7", "--q", "10", "--limit", "50"});
  const std::string chart =
      network_charts::picture(*range.network, range.angles, table::design_chains(range), false);
  std::istringstream limit(after(lines_with(chart, "data-quantity=\"limit\"").at(0), "points=\""));
  for (double x, y; limit >> x && limit.ignore() && limit >> y;)
    EXPECT_NEAR(level_at(chart, y), -50, 0.01);
}

// The tetrode of the README, within its data sheet's limits: where its stage breaks a limit
// the row has no network, and the note under the rows names each limit at the angles the
// stage's own table marks (Pрас at 40 and 70 to 100 degrees, I0 at 40 and 80 to 100); at one
// such angle the chain is refused as the stage is, a line for each limit it breaks.
TEST(Chain, ARowBeyondALimitOfTheDeviceHasNoNetwork) {
  std::vector<const char*> arguments = {"--stage", "--supply",
                                        "2000",    "--power",
                                        "390",     "--saturation",
                                        "0.005",   "--max-dissipation",
                                        "100",     "--max-direct-current",
                                        "0.25",    "--max-voltage",
                                        "4000",    "--slope",
                                        "0.001",   "--cutoff",
                                        "0",       "--permeance",
                                        "0.01",    "--exponent",
                                        "1.5",     "--network",
                                        "pi",      "--frequency",
                                        "7",       "--q",
                                        "12",      "--from",
                                        "40",      "--to",
                                        "100",     "--step",
                                        "10"};
  const antenna::Block block = table::design_chains(options_of(arguments)).front();
  for (const antenna::Row& row : block.rows) {
    const bool beyond = row.angle < 45 || row.angle > 65;
    EXPECT_EQ(row.stage.verdict, beyond ? stage::Verdict::limit_broken : stage::Verdict::works)
        << row.angle;
    EXPECT_EQ(row.network.has_value(), !beyond) << row.angle;
  }
  EXPECT_NE(written(arguments).find(
                "Пустые строки: выше допустимого Pрас при 40°, 70–100°; I0 при 40°, 80–100°"),
            std::string::npos);
  *(arguments.end() - 3) = "40";  // --to 40
  try {
    table::design_chains(options_of(arguments));
    ADD_FAILURE() << "a stage beyond its limits at its one angle";
  } catch (const table::Refused& refused) {
    ASSERT_EQ(refused.refusals().size(), 2u);
    EXPECT_EQ(refused.refusals()[0].entry, "max-dissipation");
    EXPECT_EQ(refused.refusals()[1].entry, "max-direct-current");
  }
}

}  // namespace
