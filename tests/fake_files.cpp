#include "tests/fake_files.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr const char* kStepNames[] = {"open",   "lock",     "size", "read",
                                      "append", "cut_back", "sync", "replace"};

class FakeReportFile : public platform::ReportFile {
 public:
  explicit FakeReportFile(FakeFiles& files) : files_(files) {}

  bool read_only() const override { return files_.read_only; }

  platform::LockState lock(std::chrono::milliseconds, std::string* error) override {
    if (!take(Step::lock, error)) return platform::LockState::failed;
    if (files_.busy_locks == 0) return platform::LockState::locked;
    --files_.busy_locks;
    return platform::LockState::busy;
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    *bytes = files_.content.size();
    return take(Step::size, error);
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    *bytes = files_.content.substr(offset, length);
    return take(Step::read, error);
  }

  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    const bool ok = take(Step::append, error);
    *written = ok ? bytes.size() : std::min(files_.append_takes, bytes.size());
    files_.content += bytes.substr(0, *written);
    return ok;
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    if (!take(Step::cut_back, error)) return false;
    files_.content.resize(bytes);
    return true;
  }

  bool sync(std::string* error) override { return take(Step::sync, error); }

 private:
  bool take(Step step, std::string* error) {
    files_.on_step(step);
    files_.steps.push_back(step);
    if (std::find(files_.failing.begin(), files_.failing.end(), step) == files_.failing.end())
      return true;
    *error = std::string(kStepNames[static_cast<int>(step)]) + " failed";
    return false;
  }

  FakeFiles& files_;
};

}  // namespace

std::unique_ptr<platform::ReportFile> FakeFiles::open_report(const std::string&,
                                                             std::string* error) {
  on_step(Step::open);
  steps.push_back(Step::open);
  if (std::find(failing.begin(), failing.end(), Step::open) != failing.end()) {
    *error = "open failed";
    return nullptr;
  }
  return std::make_unique<FakeReportFile>(*this);
}

bool FakeFiles::replace_file(const std::string& path, std::string_view bytes, std::string* error) {
  on_step(Step::replace);
  steps.push_back(Step::replace);
  if (std::find(failing.begin(), failing.end(), Step::replace) != failing.end()) {
    *error = "replace failed";
    return false;
  }
  replaced[path] = bytes;
  return true;
}

}  // namespace testing_support
