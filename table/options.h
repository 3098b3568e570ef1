// The command line of k-berg-table, parsed and checked into a plain description of the run.
#pragma once

#include <string>
#include <vector>

#include "table/rows.h"

namespace table {

struct Options {
  std::vector<double> exponents{1.0};
  AngleRange angles;
  bool csv = false;
  bool phases = false;
  std::vector<int> table_harmonics;  // the columns of the table, in increasing order
  std::vector<int> chart_harmonics;  // the curves of the chart, in increasing order
  std::string svg_file;              // empty when no chart is asked for
};

// Either a run with its options, or a text to show instead (the help or the version).
struct Command {
  bool run = true;
  std::string text;
  Options options;
};

// Parses the arguments (argv[0] is the program). A bad argument raises a textio::Error whose
// text is one line naming the argument.
Command parse_command_line(int argc, const char* const* argv);

}  // namespace table
