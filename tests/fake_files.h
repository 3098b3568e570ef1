// Files in memory whose every step can be made to fail, so that the rules of a save and of a
// chart's replacement are tested without the operating system, as on every system the suite
// runs on.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testing_support {

// The report file's steps, the small files' (the journal's), then the chart's.
enum class Step : char {
  open,
  lock,
  size,
  read,
  append,
  cut_back,
  sync,
  read_start,
  write_whole,
  remove,
  look,
  create,
  attributes,
  write,
  reserve,
  cut,
  place,
  sync_folder,
  may_create
};

class FakeFiles : public platform::FileSystem {
 public:
  std::string content;          // K-Berg.txt
  bool read_only = false;       // the system lets K-Berg.txt be opened for reading only
  bool write_only = false;      // ... for writing only
  bool stream = false;          // K-Berg.txt is a FIFO or a device, which keeps nothing
  int busy_opens = 0;           // how many opens find a lease another program holds
  int busy_locks = 0;           // how many waits for the lock find another saver holding it
  std::vector<Step> failing;    // the steps that fail, with the error "<step> failed"
  int failures_left = -1;       // how many times they fail before they work again (-1: always)
  std::size_t write_takes = 0;  // how many bytes a failing append or chart write takes first
  std::vector<Step> steps;      // every step taken, in order
  std::function<void(Step)> on_step = [](Step) {};   // called as each step begins
  std::map<std::string, std::string> files;          // every other file's bytes, by path
  std::map<std::string, platform::FileFacts> facts;  // the paths that are no plain file
  std::string standard_output;                       // the path that names standard output

  platform::WaitState open_report(const std::string& name, std::chrono::milliseconds wait,
                                  std::unique_ptr<platform::ReportFile>* file,
                                  std::string* error) override;
  bool read_start(const std::string& path, std::size_t limit, std::string* bytes, bool* found,
                  std::string* error) override;
  bool write_whole(const std::string& path, std::string_view bytes, std::string* error) override;
  bool remove(const std::string& path, std::string* error) override;
  bool look_at(const std::string& path, platform::FileFacts* facts, std::string* error) override;
  std::unique_ptr<platform::ChartFile> create_new(const std::string& path, bool* exists,
                                                  std::string* error) override;
  std::unique_ptr<platform::ChartFile> open_in_place(const std::string& path,
                                                     std::string* error) override;
  bool put_in_place(const std::string& from, const std::string& to, bool replacing,
                    std::string* error) override;
  bool sync_folder(const std::string& folder, std::string* error) override;
  bool may_create_in(const std::string& folder, std::string* error) override;
  bool is_standard_output(const std::string& path) override { return path == standard_output; }

  // Takes a step: false, with its error, where it is to fail.
  bool take(Step step, std::string* error);
};

}  // namespace testing_support
