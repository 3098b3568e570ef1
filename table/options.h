// The command line of k-berg-table, parsed and checked into a plain description of the run.
#pragma once

#include <string>
#include <vector>

#include "table/rows.h"

namespace table {

// What the run answers: the rows of the range, the best angle of each harmonic, or the angle
// at which g1 takes a given value.
enum class Answer { rows, optimum, angle_for_g1 };

struct Options {
  std::vector<double> exponents{1.0};
  AngleRange angles;
  Answer answer = Answer::rows;
  double target_g1 = 0.0;  // the value asked for by --angle-for-g1
  bool csv = false;
  View view;                           // what the table or the CSV shows of each row
  std::vector<int> optimum_harmonics;  // those of --optimum, 1 to 9, in increasing order
  std::vector<int> chart_harmonics;    // the curves of the chart, in increasing order
  bool chart_gamma = false;            // the chart draws gamma_k instead of alpha_k
  std::string svg_file;                // empty when no chart is asked for; "-" for standard output
};

// Either a run with its options, or a text to show instead (the help or the version).
struct Command {
  bool run = true;
  std::string text;
  Options options;
};

// Parses the arguments (argv[0] is the program). A bad argument raises a textio::Error whose
// text is one line naming the option and the value that is wrong.
Command parse_command_line(int argc, const char* const* argv);

}  // namespace table
