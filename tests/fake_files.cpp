#include "tests/fake_files.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr const char* kStepNames[] = {"open",     "lock",   "size",        "read",        "append",
                                      "cut_back", "sync",   "read_start",  "write_whole", "remove",
                                      "look",     "create", "attributes",  "write",       "reserve",
                                      "cut",      "place",  "sync_folder", "may_create"};

// Writes into `bytes` from `offset`; a failing write takes `write_takes` bytes first.
bool write_into(FakeFiles& files, std::string* bytes, std::size_t offset, std::string_view more,
                std::string* error) {
  const bool ok = files.take(Step::write, error);
  const std::size_t taken = ok ? more.size() : std::min(files.write_takes, more.size());
  if (bytes->size() < offset + taken) bytes->resize(offset + taken);
  bytes->replace(offset, taken, more.substr(0, taken));
  return ok;
}

class FakeReportFile : public platform::ReportFile {
 public:
  explicit FakeReportFile(FakeFiles& files) : files_(files) {}

  bool read_only() const override { return files_.read_only; }
  bool readable() const override { return !files_.write_only; }
  bool regular() const override { return !files_.stream; }

  platform::WaitState lock(std::chrono::milliseconds, std::string* error) override {
    if (!files_.take(Step::lock, error)) return platform::WaitState::failed;
    if (files_.busy_locks == 0) return platform::WaitState::ready;
    --files_.busy_locks;
    return platform::WaitState::busy;
  }

  bool size(std::uint64_t* bytes, std::string* error) override {
    *bytes = files_.content.size();
    return files_.take(Step::size, error);
  }

  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    *bytes = files_.content.substr(offset, length);
    return files_.take(Step::read, error);
  }

  bool append(std::string_view bytes, std::size_t* written, std::string* error) override {
    const bool ok = files_.take(Step::append, error);
    *written = ok ? bytes.size() : std::min(files_.write_takes, bytes.size());
    files_.content += bytes.substr(0, *written);
    return ok;
  }

  bool cut_back(std::uint64_t bytes, std::string* error) override {
    if (!files_.take(Step::cut_back, error)) return false;
    files_.content.resize(bytes);
    return true;
  }

  bool sync(std::string* error) override { return files_.take(Step::sync, error); }

 private:
  FakeFiles& files_;
};

class FakeChartFile : public platform::ChartFile {
 public:
  FakeChartFile(FakeFiles& files, std::string path) : files_(files), path_(std::move(path)) {}

  bool write_at(std::uint64_t offset, std::string_view bytes, std::string* error) override {
    return write_into(files_, &files_.files[path_], offset, bytes, error);
  }
  bool read_all(std::string* bytes, std::string*) override {
    *bytes = files_.files[path_];
    return true;
  }
  bool reserve(std::uint64_t, std::string* error) override {
    return files_.take(Step::reserve, error);
  }
  bool cut_to(std::uint64_t bytes, std::string* error) override {
    if (!files_.take(Step::cut, error)) return false;
    files_.files[path_].resize(bytes);
    return true;
  }
  bool take_attributes(const platform::FileFacts*, std::string* error) override {
    return files_.take(Step::attributes, error);
  }
  bool sync(std::string* error) override { return files_.take(Step::sync, error); }

 private:
  FakeFiles& files_;
  std::string path_;
};

}  // namespace

bool FakeFiles::take(Step step, std::string* error) {
  on_step(step);
  steps.push_back(step);
  const bool fails =
      failures_left != 0 && std::find(failing.begin(), failing.end(), step) != failing.end();
  if (!fails) return true;
  if (failures_left > 0) --failures_left;
  *error = std::string(kStepNames[static_cast<int>(step)]) + " failed";
  return false;
}

platform::WaitState FakeFiles::open_report(const std::string&, std::chrono::milliseconds,
                                           std::unique_ptr<platform::ReportFile>* file,
                                           std::string* error) {
  if (!take(Step::open, error)) return platform::WaitState::failed;
  if (busy_opens > 0) {
    --busy_opens;
    return platform::WaitState::busy;
  }
  *file = std::make_unique<FakeReportFile>(*this);
  return platform::WaitState::ready;
}

bool FakeFiles::read_start(const std::string& path, std::size_t limit, std::string* bytes,
                           bool* found, std::string* error) {
  *found = files.count(path) > 0;
  *bytes = *found ? files[path].substr(0, limit) : "";
  return take(Step::read_start, error);
}

bool FakeFiles::write_whole(const std::string& path, std::string_view bytes, std::string* error) {
  if (!take(Step::write_whole, error)) return false;
  files[path] = bytes;
  return true;
}

bool FakeFiles::remove(const std::string& path, std::string* error) {
  if (!take(Step::remove, error)) return false;
  files.erase(path);
  return true;
}

bool FakeFiles::look_at(const std::string& path, platform::FileFacts* found, std::string* error) {
  const auto special = facts.find(path);
  if (special != facts.end()) {
    *found = special->second;
  } else {
    *found = {files.count(path) > 0 ? platform::FileFacts::Kind::regular
                                    : platform::FileFacts::Kind::absent,
              files.count(path) > 0 ? files[path].size() : 0, 1, true, path};
  }
  return take(Step::look, error);
}

std::unique_ptr<platform::ChartFile> FakeFiles::create_new(const std::string& path, bool* exists,
                                                           std::string* error) {
  *exists = files.count(path) > 0;
  if (*exists || !take(Step::create, error)) return nullptr;
  files[path] = "";
  return std::make_unique<FakeChartFile>(*this, path);
}

// A FIFO that no program reads is refused, as the system refuses it.
std::unique_ptr<platform::ChartFile> FakeFiles::open_in_place(const std::string& path,
                                                              std::string* error) {
  const auto special = facts.find(path);
  const bool unread = special != facts.end() &&
                      special->second.kind == platform::FileFacts::Kind::fifo &&
                      files.count(path) == 0;
  if (!take(Step::open, error)) return nullptr;
  if (unread) {
    *error = "No such device or address";
    return nullptr;
  }
  return std::make_unique<FakeChartFile>(*this, path);
}

bool FakeFiles::put_in_place(const std::string& from, const std::string& to, bool,
                             std::string* error) {
  if (!take(Step::place, error)) return false;
  files[to] = files[from];
  files.erase(from);
  return true;
}

bool FakeFiles::sync_folder(const std::string&, std::string* error) {
  return take(Step::sync_folder, error);
}

bool FakeFiles::may_create_in(const std::string&, std::string* error) {
  return take(Step::may_create, error);
}

}  // namespace testing_support
