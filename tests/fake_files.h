// A report file in memory whose every step can be made to fail, so that the rules of a save
// are tested without the operating system, as on every system the suite runs on.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testing_support {

enum class Step { open, lock, size, read, append, cut_back, sync, replace };

class FakeFiles : public platform::FileSystem {
 public:
  std::string content;           // the bytes of the one file there is
  bool read_only = false;        // the system lets the file be opened for reading only
  int busy_locks = 0;            // how many waits for the lock find another saver holding it
  std::vector<Step> failing;     // the steps that fail, with the error "<step> failed"
  std::size_t append_takes = 0;  // how many bytes a failing append writes before it fails
  std::vector<Step> steps;       // every step taken, in order
  std::function<void(Step)> on_step = [](Step) {};  // called as each step begins
  std::map<std::string, std::string> replaced;      // the files replaced whole, by path
  std::string standard_output;                      // the path that names standard output

  std::unique_ptr<platform::ReportFile> open_report(const std::string& name,
                                                    std::string* error) override;
  bool replace_file(const std::string& path, std::string_view bytes, std::string* error) override;
  bool is_standard_output(const std::string& path) override { return path == standard_output; }
};

}  // namespace testing_support
