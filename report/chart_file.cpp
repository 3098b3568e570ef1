#include "report/chart_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>

#include "platform/signals.h"
#include "textio/messages.h"

namespace chart_file {

namespace {

using Kind = platform::FileFacts::Kind;

// How much of a file is looked at to tell an SVG document: its start, where the root element
// follows at most a declaration, a document type and comments.
constexpr std::size_t kSvgStart = 4096;
constexpr std::string_view kXmlBlanks = " \t\r\n";
constexpr std::string_view kSvgNamespace = "http://www.w3.org/2000/svg";
constexpr std::string_view kBlockDevice =
    messages::N_("it is a block device, whose file system or disk the chart would overwrite");

std::string_view without_blanks(std::string_view text) {
  return text.substr(std::min(text.find_first_not_of(kXmlBlanks), text.size()));
}

// What follows the first `end` in `text`: nothing where there is none.
std::string_view after(std::string_view text, std::string_view end) {
  const std::size_t at = text.find(end);
  return at == std::string_view::npos ? std::string_view() : text.substr(at + end.size());
}

std::string_view name_at(std::string_view text) {
  return text.substr(0, text.find_first_of(" \t\r\n/>=[\"'"));
}

// svg, alone or after a namespace prefix.
bool names_svg(std::string_view name) { return name.substr(name.rfind(':') + 1) == "svg"; }

// A document type ends at the first '>' after its internal subset, if it has one.
std::string_view after_doctype(std::string_view text) {
  const std::size_t end = text.find_first_of("[>");
  if (end != std::string_view::npos && text[end] == '[') return after(after(text, "]"), ">");
  return end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
}

// Whether the attributes at the start of `attributes` bind the prefix of the element `name`
// (none: the default namespace) to the SVG namespace.
bool declares_svg(std::string_view attributes, std::string_view name) {
  const std::size_t colon = name.find(':');
  const std::string wanted =
      colon == std::string_view::npos ? "xmlns" : "xmlns:" + std::string(name.substr(0, colon));
  for (;;) {
    attributes = without_blanks(attributes);
    const std::string_view attribute = name_at(attributes);
    attributes = without_blanks(attributes.substr(attribute.size()));
    if (attribute.empty() || !attributes.starts_with('=')) return false;
    attributes = without_blanks(attributes.substr(1));
    const char quote = attributes.empty() ? '\0' : attributes[0];
    const std::size_t close = attributes.find(quote, 1);
    if ((quote != '"' && quote != '\'') || close == std::string_view::npos) return false;
    if (attribute == wanted && attributes.substr(1, close - 1) == kSvgNamespace) return true;
    attributes.remove_prefix(close + 1);
  }
}

// No target: `error` names the path and the reason.
std::nullopt_t refuse(const std::string& path, std::string_view reason, std::string* error) {
  *error = messages::filled(messages::translated("cannot write the chart to '{0}': {1}"),
                            {path, std::string(reason)});
  return std::nullopt;
}

// A regular file with a name of its own and no other is replaced by a new file; any other is
// written in place.
bool replaced_whole(const platform::FileFacts& facts) {
  return facts.kind == Kind::regular && facts.links == 1 && !facts.target.empty();
}

// 128 random bits: a name that no other user can foresee, and so take first.
std::string random_temporary_name() {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::random_device source;
  std::string name(kTemporaryChartName);
  for (int word = 0; word < 4; ++word) {
    std::uint32_t bits = source();
    for (int digit = 0; digit < 8; ++digit, bits >>= 4) name += kDigits[bits & 15];
  }
  return name;
}

// An unnamed file where the system can make one, else one of a random name: a name that
// another user holds, or a run killed earlier left, never blocks the chart.
std::unique_ptr<platform::ChartFile> create_temporary(platform::FileSystem& files,
                                                      const std::string& target, std::string* name,
                                                      std::string* error) {
  name->clear();
  bool unsupported = false;
  std::unique_ptr<platform::ChartFile> file =
      files.create_unnamed(platform::folder_of(target), &unsupported, error);
  if (!unsupported) return file;
  *name = platform::beside(target, random_temporary_name());
  return files.create_new(*name, error);
}

// An unnamed file gets a name only to be renamed over the target at once: the system has no
// call that puts it in place of another file.
bool name_temporary(platform::ChartFile& file, const std::string& target, std::string* name,
                    std::string* error) {
  if (!name->empty()) return true;
  const std::string random = platform::beside(target, random_temporary_name());
  if (!file.give_name(random, error)) return false;
  *name = random;
  return true;
}

// The temporary file is made, and removed again, before anything is written, so that a
// folder where it cannot be made is told at once.
bool may_make_temporary(platform::FileSystem& files, const std::string& target,
                        std::string* error) {
  const platform::EndingSignalsHeld held;
  std::string name;
  if (create_temporary(files, target, &name, error) == nullptr) return false;
  std::string ignored;
  if (!name.empty()) files.remove(name, &ignored);
  return true;
}

// The ending signals are held from the temporary file's making until it is renamed or
// removed, so that none of them leaves it behind. An unnamed one that fails goes by itself.
bool write_new(platform::FileSystem& files, const platform::FileFacts& facts, bool replacing,
               std::string_view bytes, std::string* error) {
  const platform::EndingSignalsHeld held;
  std::string temporary;
  std::unique_ptr<platform::ChartFile> file =
      create_temporary(files, facts.target, &temporary, error);
  if (file == nullptr) return false;
  bool ok = file->take_attributes(replacing ? &facts : nullptr, error) &&
            file->write_at(0, bytes, error) && file->sync(error) &&
            name_temporary(*file, facts.target, &temporary, error);
  file.reset();
  ok = ok && files.put_in_place(temporary, facts.target, replacing, error);
  if (!ok) {
    std::string ignored;
    if (!temporary.empty()) files.remove(temporary, &ignored);
    return false;
  }
  return files.sync_folder(platform::folder_of(facts.target), error);
}

// A FIFO or a device takes the bytes as they come. A regular file (one with other hard links)
// is given the space for the new bytes first, and where they still cannot all be written, the
// old bytes are written back; a process killed in the middle cannot do that (see
// chart_file.h).
bool write_in_place(platform::FileSystem& files, const std::string& path,
                    const platform::FileFacts& facts, std::string_view bytes, std::string* error) {
  std::unique_ptr<platform::ChartFile> file = files.open_in_place(path, error);
  if (file == nullptr) return false;
  if (facts.kind != Kind::regular) return file->write_at(0, bytes, error);
  const platform::EndingSignalsHeld held;
  std::string old;
  if (!file->read_all(&old, error) || !file->reserve(bytes.size(), error)) return false;
  if (file->write_at(0, bytes, error) && file->cut_to(bytes.size(), error) && file->sync(error))
    return true;
  std::string restore_error;
  if (file->write_at(0, old, &restore_error) && file->cut_to(old.size(), &restore_error) &&
      file->sync(&restore_error)) {
    *error += messages::translated("; the old chart was written back");
  } else {
    *error += messages::filled(messages::translated("; the old chart could not be written back "
                                                    "({0}): the file holds a part of the new one"),
                               {restore_error});
  }
  return false;
}

}  // namespace

// The prolog (declarations, processing instructions, comments, a document type) is passed
// over to the first element.
bool is_svg_document(std::string_view start) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  constexpr std::string_view kDoctype = "<!DOCTYPE";
  if (start.starts_with(kByteOrderMark)) start.remove_prefix(kByteOrderMark.size());
  bool declared = false;
  for (start = without_blanks(start);; start = without_blanks(start)) {
    if (start.starts_with("<?")) {
      declared = declared || (start.starts_with("<?xml") && start.size() > 5 &&
                              kXmlBlanks.find(start[5]) != std::string_view::npos);
      start = after(start, "?>");
    } else if (start.starts_with("<!--")) {
      start = after(start.substr(4), "-->");
    } else if (start.starts_with(kDoctype)) {
      start = without_blanks(start.substr(kDoctype.size()));
      declared = declared || names_svg(name_at(start));
      start = after_doctype(start);
    } else {
      break;
    }
  }
  if (!start.starts_with('<')) return false;
  const std::string_view name = name_at(start.substr(1));
  return names_svg(name) && (declared || declares_svg(start.substr(1 + name.size()), name));
}

std::optional<ChartTarget> check_chart_target(platform::FileSystem& files, const std::string& path,
                                              std::string* error) {
  ChartTarget target{path, files.is_standard_output(path), nullptr};
  if (target.standard_output) return target;
  platform::FileFacts facts;
  std::string reason;
  if (!files.look_at(path, &facts, &reason)) return refuse(path, reason, error);
  switch (facts.kind) {
    case Kind::folder:
      return refuse(path, messages::translated("it is a folder"), error);
    case Kind::block_device:
      return refuse(path, messages::translated(kBlockDevice), error);
    case Kind::device:
      return target;
    case Kind::fifo:
      target.fifo = files.open_in_place(path, &reason);
      if (target.fifo == nullptr) {
        return refuse(path, messages::translated("it is a FIFO that no program reads"), error);
      }
      return target;
    case Kind::absent:
    case Kind::regular:
      break;
  }
  if (!facts.may_write) return refuse(path, std::strerror(EACCES), error);
  std::string start;
  bool found = false;
  if (facts.size > 0 && !files.read_start(path, kSvgStart, &start, &found, &reason))
    return refuse(path, reason, error);
  if (found && !is_svg_document(start)) {
    return refuse(
        path, messages::translated("it holds something other than an SVG document, which is kept"),
        error);
  }
  const bool in_place = facts.kind == Kind::regular && !replaced_whole(facts);
  if (in_place || may_make_temporary(files, facts.target, &reason)) return target;
  return refuse(path,
                messages::filled(messages::translated("no file can be made in '{0}': {1}"),
                                 {platform::folder_of(facts.target), reason}),
                error);
}

bool write_chart(platform::FileSystem& files, const ChartTarget& target, std::string_view bytes,
                 std::string* error) {
  if (target.fifo != nullptr) return target.fifo->write_at(0, bytes, error);
  return replace_file(files, target.path, bytes, error);
}

bool replace_file(platform::FileSystem& files, const std::string& path, std::string_view bytes,
                  std::string* error) {
  if (files.is_standard_output(path)) {
    *error = messages::translated(
        "it is standard output, which gets the chart after what was written there");
    return false;
  }
  platform::FileFacts facts;
  if (!files.look_at(path, &facts, error)) return false;
  if (facts.kind == Kind::absent) return write_new(files, facts, false, bytes, error);
  if (facts.kind == Kind::block_device) {
    *error = messages::translated(kBlockDevice);
    return false;
  }
  if (facts.kind == Kind::regular && !facts.may_write) {
    *error = std::strerror(EACCES);
    return false;
  }
  return replaced_whole(facts) ? write_new(files, facts, true, bytes, error)
                               : write_in_place(files, path, facts, bytes, error);
}

}  // namespace chart_file
