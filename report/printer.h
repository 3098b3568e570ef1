// The report file K-Berg.txt: a running record of calculations, one block appended per save.
#pragma once

#include "engine/berg.h"
#include "platform/files.h"
#include "textio/records.h"

namespace printer {

// Appends one block of 18 records to K-Berg.txt in the current directory of `files`,
// creating the file if absent: the angle and the exponent, then the table (moduli of
// harmonics 0 to 9 followed by their phases). The block reaches stable storage in one write,
// under a lock that keeps other savers out, before this returns. A file that cannot be opened
// or written throws textio::Failure; what the failed save wrote is cut back off, so that a
// save is whole or absent (a cut-back that fails is named in the report). Before it appends,
// a save notes where its block starts in K-Berg.txt.saving, a new file of the user's own, and
// removes the note once the block is on disk or cut back; where a save was killed and the file
// still ends in the part of its block that the note holds, the next save cuts that part off
// first, and nothing else, ever. A K-Berg.txt.saving that is not the user's own regular file
// is neither believed, written through nor removed. `screen` gets a line where a part is cut
// (or must stay), where there is no note of the user's own, and while the save waits for
// another saver, or for a program's lease on the file.
void output_printer(const berg::HarmonicTable& table, const double& exponent,
                    const double& cutoff_angle, platform::FileSystem& files,
                    textio::Records& screen);

}  // namespace printer
