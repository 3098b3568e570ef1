#include "report/chart_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "tests/fake_files.h"
#include "tests/run_program.h"

namespace chart_file {
namespace {

using Kind = platform::FileFacts::Kind;
using testing_support::Step;

const std::string kTemporary = std::string(kTemporaryChartName) + "0";

// Whatever step fails, the old chart stays and no temporary file is left; one written in place
// gets its space first and its old bytes back. A taken temporary name is passed over.
TEST(ReplaceFile, WholeOrTheOldOneStays) {
  using enum Step;
  const std::string back = "; the old chart was written back";
  const std::string block_device =
      "it is a block device, whose file system or disk the chart would overwrite";
  // clang-format off
  // chart.svg's kind ("old" unless absent), links and write permission, the steps that fail and
  // how often (-1: always), the error ("" for none) and what chart.svg then holds.
  const std::tuple<Kind, int, bool, std::vector<Step>, int, std::string, std::string> cases[] = {
      {Kind::absent, 1, true, {}, -1, "", "new chart"},
      {Kind::regular, 1, true, {}, -1, "", "new chart"},
      {Kind::regular, 1, false, {}, -1, "Permission denied", "old"},
      {Kind::regular, 1, true, {create}, -1, "create failed", "old"},
      {Kind::regular, 1, true, {attributes}, -1, "attributes failed", "old"},
      {Kind::regular, 1, true, {write}, -1, "write failed", "old"},
      {Kind::regular, 1, true, {sync}, -1, "sync failed", "old"},
      {Kind::regular, 1, true, {name}, -1, "name failed", "old"},
      {Kind::regular, 1, true, {place}, -1, "place failed", "old"},
      {Kind::regular, 2, true, {}, -1, "", "new chart"},
      {Kind::regular, 2, true, {reserve}, -1, "reserve failed", "old"},
      {Kind::regular, 2, true, {write}, 1, "write failed" + back, "old"},
      {Kind::regular, 2, true, {cut}, 1, "cut failed" + back, "old"},
      {Kind::regular, 2, true, {sync}, 1, "sync failed" + back, "old"},
      {Kind::regular, 2, true, {write}, -1, "write failed; the old chart could not be written back "
       "(write failed): the file holds a part of the new one", "old "},
      {Kind::device, 1, true, {}, -1, "", "new chart"},
      {Kind::block_device, 1, true, {}, -1, block_device, "old"}};
  // clang-format on
  for (const auto& [kind, links, may_write, failing, failures, expected_error, chart] : cases) {
    testing_support::FakeFiles files;
    files.files[kTemporary] = "left";
    if (kind != Kind::absent) files.files["chart.svg"] = "old";
    files.facts["chart.svg"] = {kind, 3, links, may_write, "chart.svg"};
    files.failing = failing;
    files.failures_left = failures;
    files.write_takes = 4;
    std::string error;
    SCOPED_TRACE(expected_error);
    EXPECT_EQ(replace_file(files, "chart.svg", "new chart", &error), expected_error.empty());
    EXPECT_EQ(error, expected_error);
    EXPECT_EQ(files.files,
              (std::map<std::string, std::string>{{"chart.svg", chart}, {kTemporary, "left"}}));
  }
  testing_support::FakeFiles files;
  files.standard_output = "chart.svg";
  std::string error;
  EXPECT_FALSE(replace_file(files, "chart.svg", "new", &error) || files.files.size() > 0);
  EXPECT_EQ(error, "it is standard output, which gets the chart after what was written there");
}

// Without unnamed files, each temporary file has a random name of 128 bits, which no other user
// can foresee: names another holds do not block the chart, and a failed one is removed.
TEST(ReplaceFile, TemporaryNamesCannotBeTakenFirst) {
  testing_support::FakeFiles files;
  files.unnamed_files = false;
  const std::string prefix(kTemporaryChartName);
  for (int number = 0; number < 100; ++number) files.files[prefix + std::to_string(number)];
  const std::size_t held = files.files.size();
  std::set<std::string> names;
  files.on_step = [&](Step step) {
    for (const auto& [name, bytes] : files.files) {
      if (step == Step::write && name.size() == prefix.size() + 32) names.insert(name);
    }
  };
  std::string error;
  EXPECT_TRUE(replace_file(files, "chart.svg", "new", &error)) << error;
  EXPECT_TRUE(replace_file(files, "chart.svg", "newer", &error)) << error;
  files.failing = {Step::sync};
  EXPECT_FALSE(replace_file(files, "chart.svg", "newest", &error));
  EXPECT_EQ(names.size(), 3u);
  for (const std::string& name : names) {
    EXPECT_TRUE(name.starts_with(prefix) &&
                name.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos)
        << name;
  }
  EXPECT_EQ(files.files["chart.svg"], "newer");
  EXPECT_EQ(files.files.size(), held + 1);
}

// A chart replaces only an SVG document: its root element svg, and said to be SVG by the
// namespace, an XML declaration or a document type; what merely holds "<svg" is kept.
TEST(IsSvgDocument, TheRootElementSaysIt) {
  const std::string ns = " xmlns=\"http://www.w3.org/2000/svg\"";
  const std::string inkscape =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<!-- Created with "
      "Inkscape (http://www.inkscape.org/) -->\n\n<svg\n   width=\"210mm\"\n   xmlns:svg=\"";
  const std::pair<std::string, bool> cases[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg" + ns + " width=\"1000\">", true},
      {"\xEF\xBB\xBF \r\n<svg width='1' xmlns = 'http://www.w3.org/2000/svg'/>", true},
      {"<!-- <html> -->\n<?xml-stylesheet href=\"a.css\"?>\n<svg" + ns + ">", true},
      {"<svg:svg xmlns:svg=\"http://www.w3.org/2000/svg\">", true},
      {"<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"svg11.dtd\" [ <!ENTITY a \"b\"> "
       "]>\n<svg>",
       true},
      {inkscape, true},
      {"<svg> my notes\r\n<svg" + ns + ">", false},
      {"<svg/>", false},
      {"<svg:svg" + ns + ">", false},
      {"<svg xmlns=\"http://www.w3.org/2000/svg/\">", false},
      {"<svg xmlns=\"http://www.w3.org/2000/svg", false},
      {"<svg title=\"" + ns + "\">", false},
      {"<svgz" + ns + ">", false},
      {"<!DOCTYPE html>\n<html><body><svg" + ns + "></svg></body></html>", false},
      {"<?xml version=\"1.0\"?>\n<html" + ns + ">", false},
      {"<!-- <svg" + ns + "> -->", false},
      {" Угол отсечки <svg" + ns + ">", false},
      {"", false}};
  for (const auto& [start, svg] : cases) EXPECT_EQ(is_svg_document(start), svg) << start;
}

// A temporary chart stands in its target's folder, where a rename can put it in place.
TEST(Paths, BesideIsInTheSameFolder) {
  EXPECT_EQ(platform::beside("/srv/charts/c.svg", "t"), "/srv/charts/t");
  EXPECT_EQ(platform::beside("c.svg", "t"), "t");
  EXPECT_EQ(platform::folder_of("c.svg"), ".");
  EXPECT_EQ(platform::folder_of("/srv/charts/c.svg"), "/srv/charts");
  EXPECT_EQ(platform::folder_of("/c.svg"), "/");
}

// The checks before anything is written, each refusal one line naming the path.
TEST(CheckChartTarget, RefusesWhatTheChartMustNotReplace) {
  const std::string cannot = "cannot write the chart to 'c.svg': ";
  const std::string other = cannot + "it holds something other than an SVG document, which is kept";
  const std::string svg = "\xEF\xBB\xBF\n<?xml version=\"1.0\"?>\n<svg>";
  const std::string no_folder = cannot + "no file can be made in '.': create failed";
  // The chart's bytes and facts, whether its folder refuses new files, and the refusal.
  // clang-format off
  const std::tuple<std::string, platform::FileFacts, bool, std::string> cases[] = {
      {"", {Kind::absent, 0, 1, true, "c.svg"}, false, ""},
      {"", {Kind::absent, 0, 1, true, "c.svg"}, true, no_folder},
      {"", {Kind::folder, 0, 1, true, "c.svg"}, false, cannot + "it is a folder"},
      {"", {Kind::fifo, 0, 1, true, "c.svg"}, false, cannot + "it is a FIFO that no program reads"},
      {"", {Kind::block_device, 0, 1, true, "c.svg"}, false, cannot +
       "it is a block device, whose file system or disk the chart would overwrite"},
      {svg, {Kind::regular, 0, 1, true, "c.svg"}, false, ""},
      {svg, {Kind::regular, 0, 2, true, "c.svg"}, true, ""},
      {svg, {Kind::regular, 0, 1, false, "c.svg"}, false, cannot + "Permission denied"},
      {" Угол отсечки <svg", {Kind::regular, 0, 1, true, "c.svg"}, false, other},
      {"<svg> my notes", {Kind::regular, 0, 1, true, "c.svg"}, false, other},
      {"\r\n", {Kind::regular, 0, 1, true, "c.svg"}, false, other}};
  // clang-format on
  for (const auto& [bytes, facts, folder_refuses, refusal] : cases) {
    for (const bool unnamed_files : {true, false}) {
      testing_support::FakeFiles files;
      files.unnamed_files = unnamed_files;
      if (facts.kind == Kind::regular) files.files["c.svg"] = bytes;
      files.facts["c.svg"] = facts;
      files.facts["c.svg"].size = bytes.size();
      if (folder_refuses) files.failing = {Step::create};
      std::string error;
      EXPECT_EQ(check_chart_target(files, "c.svg", &error).has_value(), refusal.empty()) << refusal;
      EXPECT_EQ(error, refusal);
      EXPECT_EQ(files.files.size(), facts.kind == Kind::regular ? 1u : 0u) << "a file was left";
    }
  }
}

// What only the system shows: a link is followed; a file with other links, a FIFO and a device
// are written in place; a replacement keeps the old mode and owner; a file without write
// permission and a block device are refused; names another user holds do not block the
// temporary file, and none is left. Each case: shell commands that make "chart.svg", the
// error of the replacement, and commands that succeed where all went right.
TEST(SystemChart, WritesAsAnEditorSaves) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root for owners and devices";
  const std::string old_mode = "echo an older chart >old; chmod 600 old; chown 65534:65534 old; ";
  const auto replaced_with = [](const std::string& attributes) {
    return "[ \"$(cat chart.svg)\" = new ] && [ $(stat -c %a:%U:%G:%h chart.svg) = " + attributes +
           " ]";
  };
  const std::string long_name(251, 'c');
  const std::string prefix(kTemporaryChartName);
  const std::string taken = prefix + "[0-9] " + prefix + "[0-9][0-9]";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"", "", replaced_with("640:root:root:1")},
      {old_mode + "mv old chart.svg", "", replaced_with("600:nobody:nogroup:1")},
      {"echo old >chart.svg; chmod 444 chart.svg", "Permission denied", "grep -qx old chart.svg"},
      {old_mode + "ln -s old chart.svg", "", "[ -L chart.svg ] && [ \"$(cat old)\" = new ]"},
      {old_mode + "ln old chart.svg", "",
       "[ \"$(cat old)\" = new ] && " + replaced_with("600:nobody:nogroup:2")},
      {"mkfifo chart.svg", "No such device or address", "[ -p chart.svg ]"},
      {"mknod chart.svg c 1 3", "", "[ -c chart.svg ]"},
      // Block major 0 has no driver, so that even a broken check could write nothing.
      {"mknod chart.svg b 0 1",
       "it is a block device, whose file system or disk the chart would overwrite",
       "[ -b chart.svg ]"},
      // Another user holds every name that a temporary chart once took, in a sticky folder.
      {"chmod 1777 . && for n in $(seq 0 99); do : >" + prefix + "$n; done && chown 65534 " +
           prefix + "*",
       "",
       "[ \"$(stat -c %U " + taken + " | sort -u)\" = nobody ] && rm " + taken + " && " +
           replaced_with("640:root:root:1")},
      {"ln -s " + long_name + ".svg chart.svg", "", "grep -qx new " + long_name + ".svg"}};
  const mode_t mask = umask(027);
  for (const auto& [setup, expected_error, check] : cases) {
    testing_support::CurrentTempDir folder;
    ASSERT_EQ(std::system(setup.c_str()), 0) << setup;
    std::string error;
    EXPECT_EQ(replace_file(platform::system_files(), "chart.svg", "new\n", &error),
              expected_error.empty())
        << setup;
    EXPECT_EQ(error, expected_error) << setup;
    EXPECT_EQ(std::system((check + " && ! ls -A | grep -q k-berg").c_str()), 0) << setup;
  }
  umask(mask);
}

// A reader of the old chart keeps it whole; a chart with two names keeps the old bytes beyond
// the file-size limit; a missing folder and an unread FIFO are refused; a read FIFO gets it;
// the check leaves no file behind.
TEST(SystemChart, WhatOnlyTheSystemShows) {
  testing_support::CurrentTempDir folder;
  folder.write("chart.svg", "old\n");
  const int reader = open("chart.svg", O_RDONLY);
  const long open_before = testing_support::open_descriptors();
  platform::FileSystem& files = platform::system_files();
  std::string error;
  ASSERT_TRUE(replace_file(files, "chart.svg", "new\n", &error)) << error;
  char bytes[8] = {};
  EXPECT_EQ(read(reader, bytes, sizeof bytes), 4);
  EXPECT_STREQ(bytes, "old\n");
  EXPECT_EQ(testing_support::open_descriptors(), open_before);
  close(reader);
  std::filesystem::create_hard_link("chart.svg", "other.svg");
  {
    const testing_support::FileSizeLimit limit(8);
    EXPECT_FALSE(replace_file(files, "chart.svg", "a longer chart\n", &error));
  }
  EXPECT_EQ(error, "File too large; the old chart was written back");
  EXPECT_EQ(folder.read("other.svg"), "new\n");
  ASSERT_EQ(mkfifo("fifo.svg", 0600), 0);
  EXPECT_FALSE(check_chart_target(files, "missing/c.svg", &error).has_value());
  EXPECT_EQ(error,
            "cannot write the chart to 'missing/c.svg': no file can be made in 'missing': "
            "No such file or directory");
  EXPECT_FALSE(check_chart_target(files, "fifo.svg", &error).has_value());
  EXPECT_EQ(error, "cannot write the chart to 'fifo.svg': it is a FIFO that no program reads");
  const int fifo_reader = open("fifo.svg", O_RDONLY | O_NONBLOCK);
  const auto target = check_chart_target(files, "fifo.svg", &error);
  EXPECT_TRUE(target && write_chart(files, *target, "new\n", &error)) << error;
  EXPECT_EQ(read(fifo_reader, bytes, sizeof bytes), 4);
  EXPECT_TRUE(check_chart_target(files, "new.svg", &error).has_value()) << error;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
  close(fifo_reader);
  // A removed file reached through /proc is written in place, not the file that now has the
  // name the link shows, "gone (deleted)".
  const int gone = open("gone", O_RDWR | O_CREAT, 0600);
  unlink("gone");
  folder.write("gone (deleted)", "other\n");
  EXPECT_TRUE(replace_file(files, "/proc/self/fd/" + std::to_string(gone), "new\n", &error));
  EXPECT_EQ(folder.read("gone (deleted)"), "other\n");
  // Removing a file succeeds, and so does removing it again once its name is free.
  EXPECT_TRUE(files.remove("gone (deleted)", &error) && files.remove("gone (deleted)", &error));
  EXPECT_EQ(pread(gone, bytes, sizeof bytes, 0), 4);
  close(gone);
  // The space for a chart written in place is taken without making the file longer, so that a
  // run killed before it writes leaves the old chart as it was.
  std::unique_ptr<platform::ChartFile> file = files.open_in_place("other.svg", &error);
  ASSERT_TRUE(file != nullptr && file->reserve(1 << 20, &error)) << error;
  EXPECT_EQ(std::filesystem::file_size("chart.svg"), 4u);
  // An unnamed file shows in the folder only once it is named.
  bool unsupported = false;
  file = files.create_unnamed(".", &unsupported, &error);
  if (unsupported) GTEST_SKIP() << "this file system makes no unnamed files";
  ASSERT_TRUE(file != nullptr && file->write_at(0, "unnamed\n", &error)) << error;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
  EXPECT_TRUE(file->give_name("named", &error)) << error;
  EXPECT_EQ(folder.read("named"), "unnamed\n");
}

// The system's primitives at their edges: a write of one byte, a write at an offset, space
// for nothing and space no disk has, a missing file read and an unnamed file in a missing
// folder, which is a failure, not a system without unnamed files.
TEST(SystemChart, PrimitivesAtTheirEdges) {
  testing_support::CurrentTempDir folder;
  platform::FileSystem& files = platform::system_files();
  std::string error, bytes = "kept";
  std::unique_ptr<platform::ChartFile> file = files.create_new("edges", &error);
  ASSERT_TRUE(file != nullptr) << error;
  EXPECT_TRUE(file->write_at(0, "abcd", &error) && file->write_at(1, "X", &error)) << error;
  EXPECT_TRUE(file->write_at(3, "YZ", &error)) << error;
  EXPECT_EQ(folder.read("edges"), "aXcYZ");
  EXPECT_TRUE(file->reserve(0, &error)) << error;
  EXPECT_FALSE(file->reserve(std::uint64_t{1} << 62, &error));
  bool found = true;
  EXPECT_TRUE(files.read_start("absent", 10, &bytes, &found, &error)) << error;
  EXPECT_FALSE(found);
  EXPECT_EQ(bytes, "");
  bool unsupported = true;
  EXPECT_EQ(files.create_unnamed("absent", &unsupported, &error), nullptr);
  EXPECT_FALSE(unsupported);
  EXPECT_EQ(error, "No such file or directory");
}

}  // namespace
}  // namespace chart_file
