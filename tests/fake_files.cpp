#include "tests/fake_files.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr const char* kStepNames[] = {
    "lock",    "size",       "read",   "write",      "cut",         "sync",
    "reserve", "attributes", "open",   "read_start", "read_own",    "write_own",
    "remove",  "look",       "create", "place",      "sync_folder", "name"};

// An open file: K-Berg.txt as a save has it, or a chart's file.
class FakeFile : public platform::ReportFile, public platform::ChartFile {
 public:
  FakeFile(FakeFiles& files, std::string* bytes) : files_(files), bytes_(*bytes) {}

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
    *bytes = bytes_.size();
    return files_.take(Step::size, error);
  }
  bool read(std::uint64_t offset, std::size_t length, std::string* bytes,
            std::string* error) override {
    *bytes = bytes_.substr(offset, length);
    return files_.take(Step::read, error);
  }
  bool read_all(std::string* bytes, std::string* error) override {
    return read(0, bytes_.size(), bytes, error);
  }
  // A failing write takes `write_takes` bytes first.
  bool write_at(std::uint64_t offset, std::string_view more, std::string* error) override {
    std::size_t written = 0;
    return write_counted(offset, more, &written, error);
  }
  bool append(std::string_view more, std::size_t* written, std::string* error) override {
    return write_counted(bytes_.size(), more, written, error);
  }
  bool cut_back(std::uint64_t bytes, std::string* error) override { return cut_to(bytes, error); }
  bool cut_to(std::uint64_t bytes, std::string* error) override {
    if (!files_.take(Step::cut, error)) return false;
    bytes_.resize(bytes);
    return true;
  }
  bool sync(std::string* error) override { return files_.take(Step::sync, error); }
  bool reserve(std::uint64_t, std::string* error) override {
    return files_.take(Step::reserve, error);
  }
  bool take_attributes(const platform::FileFacts*, std::string* error) override {
    return files_.take(Step::attributes, error);
  }
  bool give_name(const std::string& path, std::string* error) override {
    if (files_.files.count(path) > 0) *error = "File exists";
    if (files_.files.count(path) > 0 || !files_.take(Step::name, error)) return false;
    files_.files[path] = bytes_;
    return true;
  }

 private:
  bool write_counted(std::uint64_t offset, std::string_view more, std::size_t* written,
                     std::string* error) {
    const bool ok = files_.take(Step::write, error);
    *written = ok ? more.size() : std::min(files_.write_takes, more.size());
    bytes_.resize(std::max<std::size_t>(bytes_.size(), offset + *written));
    bytes_.replace(offset, *written, more.substr(0, *written));
    return ok;
  }

  FakeFiles& files_;
  std::string& bytes_;
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
  if (busy_opens > 0 && busy_opens--) return platform::WaitState::busy;
  *file = std::make_unique<FakeFile>(*this, &content);
  return platform::WaitState::ready;
}

bool FakeFiles::read_start(const std::string& path, std::size_t limit, std::string* bytes,
                           bool* found, std::string* error) {
  *found = files.count(path) > 0;
  *bytes = *found ? files[path].substr(0, limit) : "";
  return take(Step::read_start, error);
}

bool FakeFiles::read_own(const std::string& path, std::size_t limit, std::string* bytes,
                         platform::Ownership* found, std::string* error) {
  using enum platform::Ownership;
  *found = files.count(path) == 0 ? absent : not_own.count(path) > 0 ? other : own;
  *bytes = *found == own ? files[path].substr(0, limit) : "";
  return take(Step::read_own, error);
}

// Only a file of the user's own is replaced, as the system's primitive does.
bool FakeFiles::write_own(const std::string& path, std::string_view bytes, std::string* error) {
  if (!take(Step::write_own, error)) return false;
  const bool own = not_own.count(path) == 0;
  if (own) files[path] = bytes;
  if (!own) *error = "File exists";
  return own;
}

bool FakeFiles::look_at(const std::string& path, platform::FileFacts* found, std::string* error) {
  const bool plain = files.count(path) > 0;
  *found = {plain ? platform::FileFacts::Kind::regular : platform::FileFacts::Kind::absent,
            plain ? files[path].size() : 0, 1, true, path};
  if (facts.count(path) > 0) *found = facts[path];
  return take(Step::look, error);
}

std::unique_ptr<platform::ChartFile> FakeFiles::create_new(const std::string& path,
                                                           std::string* error) {
  if (files.count(path) > 0) *error = "File exists";
  if (files.count(path) > 0 || !take(Step::create, error)) return nullptr;
  return std::make_unique<FakeFile>(*this, &files[path]);
}

std::unique_ptr<platform::ChartFile> FakeFiles::create_unnamed(const std::string&,
                                                               bool* unsupported,
                                                               std::string* error) {
  *unsupported = !unnamed_files;
  if (*unsupported || !take(Step::create, error)) return nullptr;
  unnamed.clear();
  return std::make_unique<FakeFile>(*this, &unnamed);
}

// A FIFO that no program reads (one without bytes here) is refused, as the system refuses it.
std::unique_ptr<platform::ChartFile> FakeFiles::open_in_place(const std::string& path,
                                                              std::string* error) {
  if (!take(Step::open, error)) return nullptr;
  const bool unread = facts.count(path) > 0 &&
                      facts[path].kind == platform::FileFacts::Kind::fifo && files.count(path) == 0;
  if (unread) *error = "No such device or address";
  return unread ? nullptr : std::make_unique<FakeFile>(*this, &files[path]);
}

}  // namespace testing_support
