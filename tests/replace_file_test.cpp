#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/files.h"
#include "tests/run_program.h"

namespace {

// The chart's file as an editor saves it: a link is followed; a file with other links, a FIFO
// and a device are written in place; a replacement keeps the old mode and owner; a file without
// write permission is refused; no temporary file is left. Each case: shell commands that make
// "chart.svg", the error of the replacement, and commands that succeed where all went right.
TEST(ReplaceFile, WritesAsAnEditorSaves) {
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
      {"mkfifo chart.svg; timeout 5 cat chart.svg >got &", "",
       "[ -p chart.svg ] && timeout 5 sh -c 'until grep -qx new got; do sleep 0.01; done'"},
      {"mknod chart.svg c 1 3", "", "[ -c chart.svg ]"},
      {"ln -s " + long_name + ".svg chart.svg", "", "grep -qx new " + long_name + ".svg"}};
  const mode_t mask = umask(027);
  for (const auto& [setup, expected_error, check] : cases) {
    testing_support::CurrentTempDir folder;
    ASSERT_EQ(std::system(setup.c_str()), 0) << setup;
    std::string error;
    EXPECT_EQ(platform::replace_file("chart.svg", "new\n", &error), expected_error.empty())
        << setup;
    EXPECT_EQ(error, expected_error) << setup;
    EXPECT_EQ(std::system((check + " && ! ls -A | grep -q k-berg").c_str()), 0) << setup;
  }
  umask(mask);
}

// A replacement is a new file under the old name: a program that has the old chart open reads
// it whole, and no descriptor is left open.
TEST(ReplaceFile, AReaderOfTheOldFileKeepsItWhole) {
  testing_support::CurrentTempDir folder;
  folder.write("chart.svg", "old\n");
  const int reader = open("chart.svg", O_RDONLY);
  const long open_before = testing_support::open_descriptors();
  std::string error;
  ASSERT_TRUE(platform::replace_file("chart.svg", "new\n", &error)) << error;
  char old[8] = {};
  EXPECT_EQ(read(reader, old, sizeof old), 4);
  EXPECT_STREQ(old, "old\n");
  EXPECT_EQ(folder.read("chart.svg"), "new\n");
  EXPECT_EQ(testing_support::open_descriptors(), open_before);
  close(reader);
  // A replacement that fails partway leaves the file as it was and no temporary file.
  {
    const testing_support::FileSizeLimit limit(2);
    EXPECT_FALSE(platform::replace_file("chart.svg", "newer\n", &error));
  }
  EXPECT_EQ(error, "File too large");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
  EXPECT_EQ(folder.read("chart.svg"), "new\n");
}

}  // namespace
