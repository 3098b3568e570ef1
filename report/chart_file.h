// The chart's file: what k-berg-table may write its chart over, and how it writes it, the same
// on every system, over the primitives of platform::FileSystem; tests stand a fake in for them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace chart_file {

// A path that check_chart_target found fit for the chart.
struct ChartTarget {
  std::string path;
  // The path names standard output, which gets the chart after what was written there.
  bool standard_output = false;
  // A FIFO that a program read at the check, kept open so that the chart reaches that reader.
  std::unique_ptr<platform::ChartFile> fifo;
};

// Checks, before anything is written, that the chart may be written to `path`: refuses a
// folder, a block device, a folder to put it in where no temporary file can be made (one is
// made and removed to see), a file that may not be written, a non-empty file that is not an
// SVG document (such as K-Berg.txt), and a FIFO that no program reads. Standard output is
// always fine. `error` gets one line naming the path and the reason.
std::optional<ChartTarget> check_chart_target(platform::FileSystem& files, const std::string& path,
                                              std::string* error);

// Writes `bytes` to a checked target other than standard output: into its FIFO, else as
// replace_file does, which looks at the path again, since a long run may have passed since
// the check.
bool write_chart(platform::FileSystem& files, const ChartTarget& target, std::string_view bytes,
                 std::string* error);

// Writes `bytes` to `path` as an editor saves a file. A symbolic link is followed and its
// target replaced. A regular file is replaced whole: the bytes go to a new temporary file
// beside it, which is flushed, given the old file's permissions and owner, and renamed over
// it; the folder is flushed after that. The temporary file has no name until just before
// the rename where the system can make such a file, else a random name after
// kTemporaryChartName: either way no other user can take it first. A file its user may not
// write is refused ("Permission denied"), and so is a block device. A device, a FIFO and a
// file with several hard links are written in place, so that every name of it shows the new
// bytes; such a file is given the space for them first, and where they cannot all be
// written its old bytes are written back (the error says whether that worked). Only a
// process that lives on can do that: one killed outright (SIGKILL) while the bytes go in
// can leave the new chart's start over the rest of the old one, and a crash of the system
// any mix of the two. The ending signals are held meanwhile, except for a FIFO or a device,
// which may take for ever.
// Standard output is refused: the caller writes the chart after its output instead.
bool replace_file(platform::FileSystem& files, const std::string& path, std::string_view bytes,
                  std::string* error);

// The start of a temporary chart's name: visible, and saying what it is, so that one a killed
// run left is seen and can be removed.
constexpr std::string_view kTemporaryChartName = "k-berg-table-unfinished-chart-";

// Whether a file that starts with `start` is an SVG document, which a chart may replace: its
// root element is svg (svg:svg with a prefix), and the document says it is SVG, by the SVG
// namespace on that element, an XML declaration or a document type svg.
bool is_svg_document(std::string_view start);

}  // namespace chart_file
