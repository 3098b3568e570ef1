// Every answer k-berg-table writes and the page shows, built once as data and handed to a
// renderer piece by piece (title lines, then tables with their rows and notes), so that the
// program's fixed-width text and the page's JSON say the same words and the same digits, and
// a table of 100,000 rows is written as it is computed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/regime.h"
#include "engine/stage.h"
#include "engine/sweep.h"
#include "report/entry_rules.h"

namespace answer {

// A column of a table: its heading with the unit, and the columns of fixed-width text it
// takes, blanks before it included.
struct Column {
  std::string heading;
  int width;
};

struct Table {
  std::string caption;  // may be empty: the table goes on under what came before
  std::vector<Column> columns;
};

// What an answer is made of, in the order it comes: its title lines, then each table, started,
// its rows of cells (edited as the programs edit numbers, without blanks; empty where a row
// has no value there) and the notes under it.
class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual void title(const std::string& line) = 0;
  virtual void start_table(const Table& table) = 0;
  virtual void row(const std::vector<std::string>& cells) = 0;
  virtual void note(const std::string& text) = 0;
};

// The caption of an exponent's table in every answer: "Степень функции = 1.000".
std::string exponent_caption(double exponent, bool decimal_comma);

// The names the CSV of an answer is downloaded under, from what it was asked: short, and
// without a character that Windows refuses in a file name.
std::string table_csv_name(const sweep::Range& range, const std::vector<double>& exponents);
// A best regime's names its goal, and the power only where it is asked for.
std::string stage_csv_name(const stage::Inputs& inputs,
                           std::optional<regime::Goal> best = std::nullopt);
// A chain's: its stage's, or "k-berg-network" and the resistance, then the network's form and
// frequency, and the harmonic of the network alone where it is not 1.
std::string chain_csv_name(const entry_rules::NetworkEntries& entries);

}  // namespace answer
