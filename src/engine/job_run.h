// SPDX-License-Identifier: GPL-3.0-or-later
// The job run engine: walks the to-do grid row by row, turns each row into an item, runs it,
// marks the row's Pass cell, and keeps the status panels up to date. Pause takes effect
// between files; a paused job continues at the first unmarked row; rewind starts over.
#pragma once

#include <cstdint>

#include "engine/conversion_item.h"
#include "engine/grid.h"
#include "engine/session.h"

namespace braxel {

// Starts the run (or continues it after a pause).
void ConversionJobBegin(Session& session);
// Requests a pause: the file in hand is finished, the run stops at its next check.
void ConversionJobPause(Session& session);
// Clears every Pass cell, the log grid and the resume position.
void ConversionJobRewind(Session& session);
// The first item row whose Pass cell is empty, or Rows() - 1 when every item row is marked.
int FindStartPoint(const Grid& grid);
// Runs one item (folder variables expanded first); the item's result code (0 success).
int32_t PerformBlock(Session& session, int jobNumber, clsConversionOptions& item);
// Marks the Pass cell of `row`: "+" for 0, "-" otherwise; the row becomes current.
void UpdatePassedCell(Grid& grid, int row, int32_t result);
// Fills the run's item from a grid row; empty cells keep the previous row's values.
void ReadJobRowIntoItem(clsConversionOptions& item, int row, Grid& grid);

// The two checks before a run; false abandons the start.
bool bCheckToUpdateDirtyConversionItem(Session& session);
bool bCheckToZeroConversionItems(Session& session);

}  // namespace braxel
