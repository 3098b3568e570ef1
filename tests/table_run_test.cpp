// k-berg-table's answers run in-process, as main runs them: parsed options, an output in
// memory and the chart's file in the fake file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "table/options.h"
#include "table/run.h"
#include "tests/berg_forms.h"
#include "tests/fake_files.h"
#include "textio/failure.h"
#include "textio/fields.h"

namespace {

using testing_support::FakeFiles;
using testing_support::Step;

struct Ran {
  std::string output;  // what went to standard output
  std::string error;   // the message of the failure, if the run failed
};

Ran run(std::vector<const char*> arguments, FakeFiles& files) {
  arguments.insert(arguments.begin(), "k-berg-table");
  textio::StringSink output;
  Ran ran;
  try {
    const table::Command command =
        table::parse_command_line(static_cast<int>(arguments.size()), arguments.data());
    table::run(command.options, output, files, table::no_progress());
  } catch (const textio::Error& error) {
    ran.error = error.what();
  }
  ran.output = output.text();
  return ran;
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

// Each row of numbers in a plain answer is exactly as wide as the rules above it.
void expect_rows_as_wide_as_rules(const std::string& text) {
  int rule = 0;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = text.substr(start, end - start);
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    if (line.find_first_not_of('-') == std::string::npos) rule = textio::display_width(line);
    if (std::isdigit(static_cast<unsigned char>(line[first])) != 0) {
      EXPECT_EQ(textio::display_width(line), rule) << line;
    }
  }
}

bool is_chart(const std::string& text) {
  return text.starts_with("<?xml") && text.ends_with("</svg>\r\n");
}

// Each answer in each form: what goes to the output, and whether a chart file was replaced.
TEST(TableRun, EachAnswerInEachForm) {
  struct Case {
    std::vector<const char*> arguments;
    std::string starts;  // the output's first line
    int lines;           // the output's lines
  };
  const Case cases[] = {
      {{"--from", "30", "--to", "60", "--step", "15"}, " Коэффициенты Берга", 9},
      {{"--from", "30", "--to", "60", "--step", "15", "--csv"}, "angle,exponent,a0", 4},
      {{"--optimum", "--harmonics", "1-2", "--exponent", "1;2"}, " Первые максимумы", 15},
      {{"--optimum", "--harmonics", "2", "--csv"}, "exponent,harmonic,alpha_angle", 2},
      {{"--angle-for-g1", "1.8", "--exponent", "1;2"}, " Угол отсечки θ, при котором g1", 7},
      {{"--angle-for-g1", "1.8", "--csv"}, "exponent,g1,angle,eta", 2},
      {{"--optimum", "--harmonics", "2", "--csv", "--decimal-comma"}, "exponent;harmonic;", 2},
      {{"--optimum", "--harmonics", "5"}, " Первые максимумы", 8},  // gamma_5's top lobe
      {{"--angle-for-g1", "1,8", "--decimal-comma"},
       " Угол отсечки θ, при котором g1 = α1/α0 = 1,8",
       6},
  };
  for (const Case& c : cases) {
    FakeFiles files;
    const Ran ran = run(c.arguments, files);
    EXPECT_EQ(ran.error, "") << c.arguments.front();
    EXPECT_TRUE(ran.output.starts_with(c.starts)) << ran.output;
    EXPECT_EQ(count(ran.output, "\r\n"), c.lines) << ran.output;
    EXPECT_TRUE(files.files.empty());
    if (c.starts.find_first_of(",;") == std::string::npos) expect_rows_as_wide_as_rules(ran.output);
  }
}

// The chart goes to its file after the answer, in place of the answer with "-", and after the
// answer when its file is standard output; the maxima of --optimum are marked on it.
TEST(TableRun, TheChartAndWhereItGoes) {
  FakeFiles files;
  const std::vector<const char*> optimum = {"--optimum", "--harmonics", "1-3",      "--exponent",
                                            "1;2",       "--svg",       "chart.svg"};
  const Ran to_file = run(optimum, files);
  ASSERT_EQ(to_file.error, "");
  EXPECT_TRUE(to_file.output.starts_with(" Первые максимумы"));
  ASSERT_TRUE(is_chart(files.files["chart.svg"]));
  EXPECT_EQ(count(files.files["chart.svg"], "class=\"mark\""), 6);
  EXPECT_EQ(count(files.files["chart.svg"], "class=\"curve\""), 6);
  FakeFiles narrow;  // the maxima of alpha_1 at 122.57 and 180 degrees are beyond the chart
  ASSERT_EQ(run({"--optimum", "--harmonics", "1-3", "--exponent", "1;2", "--to", "100", "--svg",
                 "chart.svg"},
                narrow)
                .error,
            "");
  EXPECT_EQ(count(narrow.files["chart.svg"], "class=\"mark\""), 4);

  FakeFiles marked;  // the angle for g1 marked on each curve, of each exponent
  ASSERT_EQ(run({"--angle-for-g1", "1.8", "--exponent", "1;2", "--svg", "g1.svg"}, marked).error,
            "");
  EXPECT_EQ(count(marked.files["g1.svg"], "class=\"mark\""), 8);

  FakeFiles no_file;
  const Ran instead = run({"--harmonics", "2", "--svg", "-"}, no_file);
  EXPECT_TRUE(is_chart(instead.output)) << instead.output.substr(0, 80);
  EXPECT_TRUE(no_file.files.empty());

  FakeFiles standard;
  standard.standard_output = "out.txt";
  const Ran after = run({"--angle-for-g1", "1.8", "--svg", "out.txt"}, standard);
  EXPECT_TRUE(after.output.starts_with(" Угол отсечки"));
  EXPECT_TRUE(after.output.ends_with("</svg>\r\n"));
  EXPECT_EQ(count(after.output, "<?xml"), 1);
  EXPECT_TRUE(standard.files.empty());
}

// With --exact every modulus is Berg's closed form's, rounded: at 5.1 degrees, where the
// samples are furthest off.
TEST(TableRun, ExactRowsAreTheClosedForms) {
  FakeFiles files;
  const Ran ran = run({"--exact", "--csv", "--from", "5.1", "--to", "5.1"}, files);
  std::string expected = "5.100,1.000";
  for (int k = 0; k < 10; ++k) {
    const auto alpha = static_cast<double>(berg_forms::exponent_one(k, berg_forms::radians(5.1L)));
    expected += "," + textio::trimmed_field(std::fabs(alpha), textio::kModulusEdit);
  }
  EXPECT_NE(ran.output.find("\r\n" + expected + ",0.0,"), std::string::npos) << ran.output;
}

// Each search is told as it starts, and the end once.
TEST(TableRun, ProgressOfTheSearches) {
  struct Told : table::Progress {
    std::string said;
    void searched(std::size_t done, std::size_t total) override {
      said += std::to_string(done) + "/" + std::to_string(total) + " ";
    }
    void finish() override { said += "done"; }
  };
  for (const char* answer : {"--optimum", "--angle-for-g1"}) {
    std::vector<const char*> arguments = {"k-berg-table", answer, "--exponent", "1;2;3"};
    if (answer == std::string("--angle-for-g1")) arguments.insert(arguments.begin() + 2, "1.5");
    const table::Command command =
        table::parse_command_line(static_cast<int>(arguments.size()), arguments.data());
    textio::StringSink output;
    FakeFiles files;
    Told told;
    table::run(command.options, output, files, told);
    EXPECT_EQ(told.said, "0/3 1/3 2/3 done") << answer;
  }
}

// A chart that cannot be written fails after the answer was written; an angle out of reach
// fails before anything is written.
TEST(TableRun, FailuresAndWhatWasWrittenBefore) {
  FakeFiles failing;
  failing.failing = {Step::place};
  const Ran unwritten = run({"--from", "90", "--to", "90", "--svg", "c.svg"}, failing);
  EXPECT_EQ(unwritten.error, "--svg: cannot write 'c.svg': place failed");
  EXPECT_TRUE(unwritten.output.starts_with(" Коэффициенты Берга"));

  FakeFiles record;  // a file that is no chart is refused before anything is written
  record.files["K-Berg.txt"] = "\r\n Угол отсечки\t\t=     90.000\r\n";
  const Ran refused = run({"--svg", "K-Berg.txt"}, record);
  EXPECT_EQ(refused.error.substr(0, 45), "--svg: cannot write the chart to 'K-Berg.txt'");
  EXPECT_EQ(refused.output, "");

  FakeFiles files;
  const Ran out_of_reach = run({"--angle-for-g1", "1e308", "--svg", "c.svg"}, files);
  EXPECT_EQ(out_of_reach.error,
            "--angle-for-g1: g1 = 1e+308 is out of reach at exponent 1.000, where g1 runs from "
            "1.00000 to 1.99854 between 4.9 and 180.1 degrees");
  EXPECT_EQ(out_of_reach.output, "");
  EXPECT_TRUE(files.steps.empty());
}

// A stage at one angle that cannot be made is refused with why; in a range such angles are
// empty rows with a note; a range where none can be made is refused; nothing is written
// before a refusal.
TEST(TableRun, TheStageAndItsRefusals) {
  const std::vector<const char*> amplifier = {"--stage", "--supply", "12.5", "--saturation", "1"};
  const auto with = [&amplifier](std::vector<const char*> more) {
    more.insert(more.begin(), amplifier.begin(), amplifier.end());
    return more;
  };
  const std::string beyond = " has values beyond the numbers this program can hold";
  const std::pair<std::vector<const char*>, std::string> refused[] = {
      {with({"--power", "10", "--from", "90", "--to", "90"}),
       "--power: 10 W is more than the critical regime gives at 90 degrees and exponent 1.000: "
       "at most 9.7656 W"},
      {{"--stage", "--supply", "125", "--saturation", "1", "--power", "1e3", "--from", "90", "--to",
        "90"},
       "--power: 1000 W is more than the critical regime gives at 90 degrees and exponent "
       "1.000: at most 976.56 W"},
      {with({"--power", "1", "--harmonic", "3", "--from", "90", "--to", "90"}),
       "--harmonic: at 90 degrees and exponent 1.000 alpha3 is not above 0: the pulse gives no "
       "harmonic 3 to design for"},
      {with({"--power", "1", "--harmonic", "3", "--from", "90", "--to", "180", "--step", "10"}),
       "--stage: no angle from 90 to 180 works at exponent 1.000: at each, alpha3 is not above 0"},
      {{"--stage", "--supply", "1e308", "--power", "1e308", "--saturation", "1e308"},
       "--supply: 1e+308 is too large: the stage at 5 degrees and exponent 1.000" + beyond},
      {{"--stage", "--supply", "12.5", "--power", "1e308", "--xi", "1"},
       "--power: 1e+308 is too large: the stage at 5 degrees and exponent 1.000" + beyond},
      {{"--stage", "--supply", "1e-300", "--power", "1", "--saturation", "1", "--from", "90",
        "--to", "90"},
       "--supply: 1e-300 is too small: the stage at 90 degrees and exponent 1.000" + beyond},
      {with({"--power", "8", "--from", "75", "--to", "75", "--max-dissipation", "2"}),
       "--max-dissipation: 2 W is less than the stage needs at 75 degrees and exponent 1.000: "
       "6.4081 W"},
      {{"--stage", "--supply", "12.5", "--best", "power", "--max-voltage", "20"},
       "--best: nothing bounds the power: give --saturation, or --max-peak-current, "
       "--max-direct-current or --max-dissipation"},
      {{"--stage", "--supply", "12.5", "--best", "efficiency", "--power", "1", "--max-voltage",
        "25"},
       "--best: nothing bounds the efficiency: give --saturation, or --max-voltage below twice "
       "the supply, 25 V"},
      {with({"--best", "power", "--max-voltage", "12"}),
       "--max-voltage: 12 V is not above the supply, 12.5 V: no voltage on the load keeps it"},
      {with({"--best", "power", "--harmonic", "3", "--from", "100", "--to", "170"}),
       "--harmonic: alpha3 is not above 0 at any angle from 100 to 170 degrees at exponent "
       "1.000: the pulse gives no harmonic 3 to design for"},
  };
  for (const auto& [arguments, expected] : refused) {
    FakeFiles files;
    const Ran ran = run(arguments, files);
    EXPECT_EQ(ran.error, expected);
    EXPECT_EQ(ran.output, "");
  }
  FakeFiles files;
  const Ran text = run(with({"--power", "8", "--from", "60", "--to", "90", "--step", "15"}), files);
  EXPECT_NE(text.output.find("\r\n\r\n Степень функции = 1.000\r\n"), std::string::npos);
  EXPECT_NE(text.output.find("\r\n 60.000\r\n 75.000   0.6576"), std::string::npos) << text.output;
  const Ran drive =
      run(with({"--power", "8", "--from", "90", "--to", "90", "--slope", "1", "--cutoff", "0"}),
          files);  // the drive's table after an empty line; a bias of zero as a zero
  EXPECT_NE(drive.output.find("21.41\r\n\r\n" + std::string(43, '-') + "\r\n   Угол    Uм, В"),
            std::string::npos)
      << drive.output;
  EXPECT_NE(drive.output.find("    3.592    0.000\r\n"), std::string::npos) << drive.output;
  // Microamperes and microwatts with their four digits, as a power of ten.
  const Ran tiny = run({"--stage", "--supply", "3.3", "--power", "0.00001", "--xi", "0.9", "--from",
                        "90", "--to", "90"},
                       files);
  EXPECT_TRUE(tiny.output.ends_with(
      " 90.000   0.9000 441045.0 1.347e-5 4.287e-6 1.415e-5 4.147e-6   0.7069    6.270\r\n"))
      << tiny.output;
  EXPECT_TRUE(text.output.ends_with(" Пустые строки: критический режим не дает P1 при 60°\r\n"));
  const Ran csv = run(with({"--power", "8", "--from", "60", "--to", "90", "--step", "30", "--csv",
                            "--slope", "0.5", "--cutoff", "0.6"}),
                      files);
  const Ran chart = run(with({"--power", "1", "--harmonic", "3", "--from", "5", "--to", "180",
                              "--step", "5", "--svg", "-"}),
                        files);  // alpha_3 is above 0 below 90 degrees only
  EXPECT_EQ(count(chart.output, "class=\"curve\""), 3);
  EXPECT_EQ(count(chart.output, "class=\"dot\""), 0);
  EXPECT_EQ(csv.output.substr(0, csv.output.find("90.000")),
            "angle,exponent,harmonic,xi,u_m,i_mn,i_max,i_0,p_0,p_n,eta,p_diss,r_e,u_peak,"
            "u_drive,e_bias\r\n60.000,1.000,1,,,,,,,,,,,,,\r\n");
}

// The lines of a text, CR LF or LF ended.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start - (text[end - 1] == '\r' ? 1 : 0)));
  }
  if (text.find('\n') == std::string::npos && !text.empty()) lines.push_back(text);
  return lines;
}

// The tripler of 12.5 V on a saturation line of 0.5 A/V from 20 to `to` degrees.
std::vector<const char*> tripler(std::vector<const char*> more, const char* to = "80") {
  std::vector<const char*> arguments = {"--stage", "--supply",     "12.5", "--harmonic",
                                        "3",       "--saturation", "0.5",  "--from",
                                        "20",      "--to",         to};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// Each figure named as the least that would do ("--saturation: 2 W needs at least 0.5549
// A/V") does, asked for as it is shown, and one less in its last digit does not.
void expect_each_least_just_enough(const std::string& refusal,
                                   const std::vector<const char*>& arguments) {
  int figures = 0;
  for (const std::string& line : lines_of(refusal)) {
    const std::size_t at = line.find("needs at least ");
    if (at == std::string::npos) continue;
    const std::string option = line.substr(0, line.find(':'));
    const std::string least = line.substr(at + 15, line.find(' ', at + 15) - at - 15);
    ASSERT_EQ(least.find('e'), std::string::npos) << line;
    const std::size_t point = least.find('.');
    const int decimals = point == std::string::npos ? 0 : int(least.size() - point - 1);
    const std::string less = textio::shortest_text(std::stod(least) - std::pow(10.0, -decimals));
    for (const std::string& value : {least, less}) {
      std::vector<const char*> changed = arguments;
      const auto given = std::find(changed.begin(), changed.end(), option);
      if (given == changed.end()) {
        changed.insert(changed.end(), {option.c_str(), value.c_str()});
      } else {
        given[1] = value.c_str();
      }
      FakeFiles files;
      EXPECT_EQ(run(changed, files).error.empty(), value == least) << line << " " << value;
    }
    ++figures;
  }
  EXPECT_GT(figures, 0) << refusal;
}

// A row beyond a limit shows its values, each beyond it marked, and CSV names them; where no
// angle works the refusal says what the range gives at most and what would give the power, the
// issue's tripler among them; each least figure does, one less in its last digit does not.
TEST(TableRun, TheLimitsOfTheDeviceAndWhatWouldGiveThePower) {
  FakeFiles files;
  const Ran marked = run(tripler({"--power", "0.8", "--step", "10", "--max-dissipation", "0.5",
                                  "--max-peak-current", "1.5"},
                                 "100"),
                         files);
  EXPECT_NE(marked.output.find(" Допустимые: Pрас ≤ 0.5 Вт, Iмакс ≤ 1.5 А\r\n"), std::string::npos);
  // Beyond both ratings at 70 degrees, beyond the dissipation alone from 40 on.
  for (const auto& [row, marks] : {std::pair{" 70.000", 2}, {" 40.000", 1}, {" 30.000", 0}}) {
    const std::size_t at = marked.output.find(std::string("\r\n") + row) + 2;
    const std::string line = marked.output.substr(at, marked.output.find('\r', at) - at);
    EXPECT_EQ(count(line, "*"), marks) << line;
    EXPECT_EQ(count(line, "."), 9) << line;  // every value shown
  }
  EXPECT_TRUE(marked.output.ends_with(
      " Пустые строки: α3 не больше 0 при 90–100°; критический режим не дает P3 при 80°\r\n"
      " * — больше допустимого: Pрас при 40–70°; Iмакс при 70°\r\n"))
      << marked.output;
  const Ran csv =
      run(tripler({"--power", "0.8", "--step", "50", "--max-dissipation", "0.5", "--csv"}, "70"),
          files);
  const std::vector<std::string> lines = lines_of(csv.output);
  ASSERT_EQ(lines.size(), 3U) << csv.output;
  EXPECT_TRUE(lines[0].ends_with(",u_peak,broken"));
  EXPECT_TRUE(lines[1].ends_with(",")) << lines[1];
  EXPECT_TRUE(lines[2].ends_with(",p_diss")) << lines[2];
  const Ran two_watts = run(tripler({"--power", "2"}), files);
  EXPECT_EQ(two_watts.error,
            "--stage: no angle from 20 to 80 works at exponent 1.000: at each, the critical regime "
            "gives less than 2 W\n"
            "--power: at most 1.8021 W from 20 to 80 degrees at exponent 1.000, at 39.86 degrees, "
            "held by the saturation line\n"
            "--saturation: 2 W needs at least 0.5549 A/V\n"
            "--supply: 2 W needs at least 13.169 V");
  expect_each_least_just_enough(two_watts.error, tripler({"--best", "efficiency", "--power", "2"}));
  const std::vector<const char*> rated = tripler({"--power", "0.8", "--max-dissipation", "0.2"});
  const Ran too_low = run(rated, files);
  EXPECT_NE(too_low.error.find("\n--max-dissipation: 0.8 W needs at least 0.3058 W"),
            std::string::npos)
      << too_low.error;
  expect_each_least_just_enough(too_low.error, rated);
  const Ran best_too_low = run(tripler({"--best", "efficiency", "--power", "1.2",
                                        "--max-dissipation", "0.5", "--max-voltage", "30"}),
                               files);
  expect_each_least_just_enough(
      best_too_low.error, tripler({"--best", "efficiency", "--power", "1.2", "--max-dissipation",
                                   "0.5", "--max-voltage", "30"}));
}

// The best regime: per exponent the stage's tables with the one row of its best angle, the
// power it gives and what holds it; in CSV one line per exponent, with what binds.
TEST(TableRun, TheBestRegimeOfEachExponent) {
  FakeFiles files;
  const Ran text =
      run(tripler({"--best", "power", "--exponent", "1;1.5", "--max-dissipation", "0.5", "--slope",
                   "0.05", "--cutoff", "0.6", "--permeance", "0.01"}),
          files);
  EXPECT_TRUE(text.output.starts_with(
      " Каскад умножителя частоты на 3\r\n"
      " E = 12.5 В, Sкр = 0.5 А/В; наибольшая P3, углы от 20 до 80°\r\n"
      " Прибор i = S (uс + D uа - E')^p: S = 0.05 А/В^p, E' = 0.6 В, D = 0.01\r\n"
      " Допустимые: Pрас ≤ 0.5 Вт\r\n"))
      << text.output;
  EXPECT_EQ(count(text.output, "Степень функции"), 2);
  EXPECT_EQ(count(text.output, "; предел: Pрас ≤ 0.5 Вт, линия критического режима\r\n"), 2);
  EXPECT_EQ(count(text.output, "\r\n Наибольшая P3 = "), 2);
  expect_rows_as_wide_as_rules(text.output);
  const Ran csv =
      run(tripler({"--best", "efficiency", "--power", "1", "--max-voltage", "16", "--csv"}), files);
  const std::vector<std::string> lines = lines_of(csv.output);
  ASSERT_EQ(lines.size(), 2U) << csv.output;
  EXPECT_TRUE(lines[0].ends_with(",r_e,u_peak,binding"));
  EXPECT_TRUE(lines[1].ends_with(",16,u_peak")) << lines[1];
}

}  // namespace
