// SPDX-License-Identifier: GPL-3.0-or-later
// Result logging: every outcome worth reporting becomes a row of the log grid and, when a log
// file is set, one line of twelve tab-separated fields in that file.
#pragma once

#include "engine/grid.h"

namespace braxel {

// Empties the log grid and writes its header ("#", "Do", "Output File", "Type", "Pass",
// "Status", translated); leaves the header and one empty row, the empty row current.
void ResetLogGrid(Grid& grid);

}  // namespace braxel
