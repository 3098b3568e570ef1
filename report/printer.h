// The report file K-Berg.txt: a running record of calculations, one block appended per save.
#pragma once

#include "engine/berg.h"
#include "platform/files.h"

namespace printer {

// Appends one block of 18 records to K-Berg.txt in the current directory of `files`,
// creating the file if absent: the angle and the exponent, then the table (moduli of
// harmonics 0 to 9 followed by their phases). The block reaches stable storage in one write,
// under a lock that keeps other savers out, before this returns. A file that cannot be opened
// or written throws textio::Failure; what the failed save wrote is cut back off, so that a
// save is whole or absent (a cut-back that fails is named in the report).
void output_printer(const berg::HarmonicTable& table, const double& exponent,
                    const double& cutoff_angle, platform::FileSystem& files);

}  // namespace printer
