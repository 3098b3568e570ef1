#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "tests/fake_files.h"
#include "tests/run_program.h"

namespace {

using Kind = platform::FileFacts::Kind;
using testing_support::Step;

const std::string kTemporary = std::string(platform::kTemporaryChartName) + "0";

struct ReplaceCase {
  Kind kind;  // of chart.svg, which holds "old"; absent: no chart.svg
  int links;
  bool may_write;
  std::vector<Step> failing;
  int failures;       // how often they fail (-1: always)
  std::string error;  // "" for a replacement that went through
  std::string chart;  // what chart.svg then holds
};

// The chart's rules against files that fail on demand: a temporary file that cannot be made,
// given the old mode, written, flushed or renamed is removed, and the old chart stays; a file
// written in place (several links) gets the space first, and its old bytes back where the new
// ones cannot all be written; standard output and a file that may not be written are refused.
// A temporary name that is taken, as by a killed run, is passed over and left alone.
TEST(ReplaceFile, WholeOrTheOldOneStays) {
  using enum Step;
  const std::string back = "; the old chart was written back";
  // clang-format off
  const ReplaceCase cases[] = {
      {Kind::absent, 1, true, {}, -1, "", "new chart"},
      {Kind::regular, 1, true, {}, -1, "", "new chart"},
      {Kind::regular, 1, false, {}, -1, "Permission denied", "old"},
      {Kind::regular, 1, true, {create}, -1, "create failed", "old"},
      {Kind::regular, 1, true, {attributes}, -1, "attributes failed", "old"},
      {Kind::regular, 1, true, {write}, -1, "write failed", "old"},
      {Kind::regular, 1, true, {sync}, -1, "sync failed", "old"},
      {Kind::regular, 1, true, {place}, -1, "place failed", "old"},
      {Kind::regular, 2, true, {}, -1, "", "new chart"},
      {Kind::regular, 2, true, {reserve}, -1, "reserve failed", "old"},
      {Kind::regular, 2, true, {write}, 1, "write failed" + back, "old"},
      {Kind::regular, 2, true, {cut}, 1, "cut failed" + back, "old"},
      {Kind::regular, 2, true, {sync}, 1, "sync failed" + back, "old"},
      {Kind::regular, 2, true, {write}, -1, "write failed; the old chart could not be written back "
       "(write failed): the file holds a part of the new one", "old "},
      {Kind::device, 1, true, {}, -1, "", "new chart"}};
  // clang-format on
  for (const ReplaceCase& c : cases) {
    testing_support::FakeFiles files;
    files.files[kTemporary] = "left";
    if (c.kind != Kind::absent) files.files["chart.svg"] = "old";
    files.facts["chart.svg"] = {c.kind, 3, c.links, c.may_write, "chart.svg"};
    files.failing = c.failing;
    files.failures_left = c.failures;
    files.write_takes = 4;
    std::string error;
    SCOPED_TRACE(c.error);
    EXPECT_EQ(files.replace_file("chart.svg", "new chart", &error), c.error.empty());
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(files.files,
              (std::map<std::string, std::string>{{"chart.svg", c.chart}, {kTemporary, "left"}}));
  }
  testing_support::FakeFiles files;
  files.standard_output = "chart.svg";
  std::string error;
  EXPECT_FALSE(files.replace_file("chart.svg", "new", &error) || files.files.size() > 0);
  EXPECT_EQ(error, "it is standard output, which gets the chart after what was written there");
}

// The checks before anything is written, each refusal one line naming the path; standard
// output is always fine.
TEST(CheckChartTarget, RefusesWhatTheChartMustNotReplace) {
  const std::string cannot = "cannot write the chart to 'c.svg': ";
  const std::string other = cannot + "it holds something other than an SVG document, which is kept";
  const std::string svg = "\xEF\xBB\xBF\n<?xml version=\"1.0\"?>\n<svg>";
  struct {
    std::string bytes;
    Kind kind;
    int links;
    bool may_write, folder_refuses;
    std::string refusal;
  } const cases[] = {
      // clang-format off
      {"", Kind::absent, 1, true, false, ""},
      {"", Kind::absent, 1, true, true, cannot + "no file can be made in '.': may_create failed"},
      {"", Kind::folder, 1, true, false, cannot + "it is a folder"},
      {"", Kind::fifo, 1, true, false, cannot + "it is a FIFO that no program reads"},
      {"", Kind::regular, 1, true, false, ""},
      {svg, Kind::regular, 1, true, false, ""},
      {svg, Kind::regular, 2, true, true, ""},
      {svg, Kind::regular, 1, false, false, cannot + "Permission denied"},
      {" Угол отсечки <svg", Kind::regular, 1, true, false, other},
      {"\r\n", Kind::regular, 1, true, false, other}};
  // clang-format on
  for (const auto& c : cases) {
    testing_support::FakeFiles files;
    if (c.kind == Kind::regular) files.files["c.svg"] = c.bytes;
    files.facts["c.svg"] = {c.kind, c.bytes.size(), c.links, c.may_write, "c.svg"};
    if (c.folder_refuses) files.failing = {Step::may_create};
    std::string error;
    EXPECT_EQ(files.check_chart_target("c.svg", &error), c.refusal.empty()) << c.refusal;
    EXPECT_EQ(error, c.refusal);
  }
  testing_support::FakeFiles output;
  output.files["out.svg"] = "text";
  output.standard_output = "out.svg";
  std::string error;
  EXPECT_TRUE(output.check_chart_target("out.svg", &error));
}

// What only the system shows: a link is followed; a file with other links, a FIFO and a device
// are written in place; a replacement keeps the old mode and owner; a file without write
// permission is refused; no temporary file is left. Each case: shell commands that make
// "chart.svg", the error of the replacement, and commands that succeed where all went right.
TEST(SystemChart, WritesAsAnEditorSaves) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root for owners and devices";
  const std::string old_mode = "echo an older chart >old; chmod 600 old; chown 65534:65534 old; ";
  const auto replaced_with = [](const std::string& attributes) {
    return "[ \"$(cat chart.svg)\" = new ] && [ $(stat -c %a:%U:%G:%h chart.svg) = " + attributes +
           " ]";
  };
  const std::string long_name(251, 'c');
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"", "", replaced_with("640:root:root:1")},
      {old_mode + "mv old chart.svg", "", replaced_with("600:nobody:nogroup:1")},
      {"echo old >chart.svg; chmod 444 chart.svg", "Permission denied", "grep -qx old chart.svg"},
      {old_mode + "ln -s old chart.svg", "", "[ -L chart.svg ] && [ \"$(cat old)\" = new ]"},
      {old_mode + "ln old chart.svg", "",
       "[ \"$(cat old)\" = new ] && " + replaced_with("600:nobody:nogroup:2")},
      {"mkfifo chart.svg", "No such device or address", "[ -p chart.svg ]"},
      {"mknod chart.svg c 1 3", "", "[ -c chart.svg ]"},
      {"ln -s " + long_name + ".svg chart.svg", "", "grep -qx new " + long_name + ".svg"}};
  const mode_t mask = umask(027);
  for (const auto& [setup, expected_error, check] : cases) {
    testing_support::CurrentTempDir folder;
    ASSERT_EQ(std::system(setup.c_str()), 0) << setup;
    std::string error;
    EXPECT_EQ(platform::system_files().replace_file("chart.svg", "new\n", &error),
              expected_error.empty())
        << setup;
    EXPECT_EQ(error, expected_error) << setup;
    EXPECT_EQ(std::system((check + " && ! ls -A | grep -q k-berg").c_str()), 0) << setup;
  }
  umask(mask);
}

// A replacement is a new file under the old name: a program that has the old chart open reads
// it whole, and no descriptor is left open. Beyond the file-size limit, a chart with two names
// written in place (whose space is taken first) keeps the old one.
TEST(SystemChart, TheOldChartStaysWhole) {
  testing_support::CurrentTempDir folder;
  folder.write("chart.svg", "old\n");
  const int reader = open("chart.svg", O_RDONLY);
  const long open_before = testing_support::open_descriptors();
  std::string error;
  ASSERT_TRUE(platform::system_files().replace_file("chart.svg", "new\n", &error)) << error;
  char old[8] = {};
  EXPECT_EQ(read(reader, old, sizeof old), 4);
  EXPECT_STREQ(old, "old\n");
  EXPECT_EQ(folder.read("chart.svg"), "new\n");
  EXPECT_EQ(testing_support::open_descriptors(), open_before);
  close(reader);
  std::filesystem::create_hard_link("chart.svg", "other.svg");
  {
    const testing_support::FileSizeLimit limit(8);
    EXPECT_FALSE(platform::system_files().replace_file("chart.svg", "a longer chart\n", &error));
  }
  EXPECT_EQ(error, "File too large");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);
  EXPECT_EQ(folder.read("other.svg"), "new\n");
}

// The checks on the system's files: a folder that is missing has no room for a chart, and a FIFO
// that nobody reads is refused at once; one that is read gets it.
TEST(SystemChart, ChecksBeforeAnythingIsWritten) {
  testing_support::CurrentTempDir folder;
  ASSERT_EQ(mkfifo("fifo.svg", 0600), 0);
  const std::pair<std::string, std::string> cases[] = {
      {"missing/c.svg", "no file can be made in 'missing': No such file or directory"},
      {"fifo.svg", "it is a FIFO that no program reads"}};
  for (const auto& [path, reason] : cases) {
    std::string error;
    EXPECT_FALSE(platform::system_files().check_chart_target(path, &error));
    EXPECT_EQ(error, "cannot write the chart to '" + path + "': " + reason);
  }
  const int reader = open("fifo.svg", O_RDONLY | O_NONBLOCK);
  std::string error;
  EXPECT_TRUE(platform::system_files().check_chart_target("fifo.svg", &error));
  EXPECT_TRUE(platform::system_files().replace_file("fifo.svg", "new\n", &error)) << error;
  char chart[8] = {};
  EXPECT_EQ(read(reader, chart, sizeof chart), 4);
  EXPECT_STREQ(chart, "new\n");
  close(reader);
}

}  // namespace
