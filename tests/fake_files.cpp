#include "tests/fake_files.h"

#include <algorithm>

namespace testing_support {

namespace {

const char* step_name(Step step) {
  static constexpr const char* kNames[] = {"open",     "lock", "size", "append",
                                           "cut_back", "sync", "close"};
  return kNames[static_cast<int>(step)];
}

class FakeReportFile : public platform::ReportFile {
 public:
  explicit FakeReportFile(FakeFiles& files) : files_(files) {}

  bool read_only() const override { return files_.read_only; }
  bool lock(std::string* error) override { return take(Step::lock, error); }

  bool size(std::uint64_t* bytes, std::string* error) override {
    *bytes = files_.content.size();
    return take(Step::size, error);
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
  bool close(std::string* error) override { return take(Step::close, error); }

 private:
  bool take(Step step, std::string* error) {
    files_.steps.push_back(step);
    if (std::find(files_.failing.begin(), files_.failing.end(), step) == files_.failing.end()) {
      return true;
    }
    *error = std::string(step_name(step)) + " failed";
    return false;
  }

  FakeFiles& files_;
};

}  // namespace

std::unique_ptr<platform::ReportFile> FakeFiles::open_report(const std::string& name,
                                                             std::string* error) {
  steps.push_back(Step::open);
  opened = name;
  if (std::find(failing.begin(), failing.end(), Step::open) != failing.end()) {
    *error = "open failed";
    return nullptr;
  }
  return std::make_unique<FakeReportFile>(*this);
}

}  // namespace testing_support
