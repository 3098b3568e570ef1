// Files in memory whose every step can be made to fail, so that the rules of a save and of a
// chart's replacement are tested without the operating system.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testing_support {

// The steps of an open file, then those of the file system.
enum class Step : char {
  lock,
  size,
  read,
  write,
  cut,
  sync,
  reserve,
  attributes,
  open,
  read_start,
  read_own,
  write_own,
  remove,
  look,
  create,
  place,
  sync_folder,
  name
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
  std::size_t write_takes = 0;  // how many bytes a failing write takes first
  std::vector<Step> steps;      // every step taken, in order
  std::function<void(Step)> on_step = [](Step) {};   // called as each step begins
  std::map<std::string, std::string> files;          // every other file's bytes, by path
  std::map<std::string, platform::FileFacts> facts;  // the paths that are no plain file
  std::set<std::string> not_own;  // another user's, a link, a FIFO: read_own leaves them unread
  std::string standard_output;    // the path that names standard output
  bool unnamed_files = true;      // the system makes unnamed files (else temporaries get names)
  std::string unnamed;            // the bytes of the unnamed file made last

  // Takes a step: false, with its error, where it is to fail.
  bool take(Step step, std::string* error);

  platform::WaitState open_report(const std::string& name, std::chrono::milliseconds wait,
                                  std::unique_ptr<platform::ReportFile>* file,
                                  std::string* error) override;
  bool read_start(const std::string& path, std::size_t limit, std::string* bytes, bool* found,
                  std::string* error) override;
  bool read_own(const std::string& path, std::size_t limit, std::string* bytes,
                platform::Ownership* found, std::string* error) override;
  bool write_own(const std::string& path, std::string_view bytes, std::string* error) override;
  bool remove(const std::string& path, std::string* error) override {
    const bool ok = take(Step::remove, error);
    if (ok) files.erase(path);
    return ok;
  }
  bool look_at(const std::string& path, platform::FileFacts* facts, std::string* error) override;
  std::unique_ptr<platform::ChartFile> create_new(const std::string& path,
                                                  std::string* error) override;
  std::unique_ptr<platform::ChartFile> create_unnamed(const std::string& folder, bool* unsupported,
                                                      std::string* error) override;
  std::unique_ptr<platform::ChartFile> open_in_place(const std::string& path,
                                                     std::string* error) override;
  bool put_in_place(const std::string& from, const std::string& to, bool,
                    std::string* error) override {
    const bool ok = take(Step::place, error);
    if (ok) files[to] = files.extract(from).mapped();
    return ok;
  }
  bool sync_folder(const std::string&, std::string* error) override {
    return take(Step::sync_folder, error);
  }
  bool is_standard_output(const std::string& path) override { return path == standard_output; }
};

}  // namespace testing_support
