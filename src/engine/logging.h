// SPDX-License-Identifier: GPL-3.0-or-later
// Result logging: every outcome worth reporting becomes a row of the log grid and, when a log
// file is set, one line of twelve tab-separated fields in that file.
#pragma once

#include <string>

#include "engine/conversion_item.h"
#include "engine/grid.h"

namespace braxel {

struct Session;

// Empties the log grid and writes its header ("#", "Do", "Output File", "Type", "Pass",
// "Status", translated); leaves the header and one empty row, the empty row current.
void ResetLogGrid(Grid& grid);

// The twelve fields of a conversion entry joined by tabs: the job row's option letters (to-do
// row jobNumber modulo 30000), parameters, job number, action, input, input code, input
// extension (conversion method 1 only), output, output code, output extension, the empty Pass
// field and sErr.
std::string BuildConversionLogEntry(const Grid& fgToDo, int jobNumber,
                                    const clsConversionOptions& item);

// Logs the item's current result: outside command-line and automation mode the line breaks of
// sErr become spaces (in the item too); a row goes into the log grid above its empty last row
// with "+" or "-" in its Pass cell; and, when a log file is set (the session's, replaced for good
// by the item's own when it has one) or the item logs verbosely, the entry is appended as one
// line to that file under the global lock.
void LogConversionError(Session& session, int jobNumber, clsConversionOptions& item);

// Logs the exit code of a launched program: a grid row with the status "Exit Code: " + code,
// always marked as passed; nothing goes to the log file.
void LogExitCode(Session& session, int jobNumber, const clsConversionOptions& item);

}  // namespace braxel
