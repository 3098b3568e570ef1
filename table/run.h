// A run of k-berg-table: the answer its options ask for, written to standard output (or what
// stands for it), and the chart put in its file through the file system.
#pragma once

#include "platform/files.h"
#include "table/options.h"
#include "table/progress.h"
#include "textio/channels.h"

namespace table {

// Each kind of answer on its own. The answer goes to `output` unless the chart goes there
// instead (--svg -). The chart is put in place only after everything else was written, so
// that a run that failed leaves its file as it was; a chart whose file is standard output
// follows what was written there. A long search tells `progress` how far it is. A failure
// raises a textio::Error.
void answer_rows(const Options& options, textio::ByteSink& output, platform::FileSystem& files);
void answer_optimum(const Options& options, textio::ByteSink& output, platform::FileSystem& files,
                    Progress& progress);
void answer_angle_for_g1(const Options& options, textio::ByteSink& output,
                         platform::FileSystem& files, Progress& progress);
void answer_stage(const Options& options, textio::ByteSink& output, platform::FileSystem& files);

// The answer of options.answer.
void run(const Options& options, textio::ByteSink& output, platform::FileSystem& files,
         Progress& progress);

}  // namespace table
