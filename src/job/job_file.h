// SPDX-License-Identifier: GPL-3.0-or-later
// Job files (*.BXJ): one line per to-do grid row, its eleven cells each followed by a TAB.
// Written as UTF-8 with LF line ends; read as UTF-8 with a Windows-1252 fallback per line, and
// CR LF accepted.
#pragma once

#include <string>

#include "engine/grid.h"
#include "engine/session.h"
#include "platform/result.h"

namespace braxel {

// Loading stops after this many grid rows (header and marker row included) and ends the grid
// with a reload row that names the next task, so the run engine loads the rest when it gets
// there.
inline constexpr int kMaxJobGridRows = 30000;
// The action of a reload row: special process 1, "load the job file again from a task".
inline constexpr std::string_view kReloadAction = "S1";

// Empties the to-do grid to its header (translated captions) and the marker row, which holds
// "*" in its "#" cell; the marker row becomes current.
void ResetToDoGrid(Grid& fgToDo);

// Writes rows 1 to the last row (the marker row included) of the to-do grid to `path`, through a
// temporary file beside it that replaces the target only when complete: a failed write leaves
// the previous file as it was. A TAB, CR or LF inside a cell is written as a blank, since the
// format cannot hold it. A reload row naming an existing job file is replaced by the item lines
// of that file from its task on, so saving a job that was loaded in parts keeps every item.
Status WriteJobFile(const std::string& path, const Grid& fgToDo);

// Loads `path` into the session's to-do grid from the line numbered `firstTask` (1 for the whole
// file); earlier lines are skipped. Does nothing when the file does not exist. Lines that are
// empty after trimming blanks, or are "*" once their TABs are removed (the marker row), are
// skipped; a line with more than eleven cells keeps the first eleven. When the grid exceeds
// kMaxJobGridRows rows a reload row is added and reading stops. Data rows are numbered from
// `firstTask`. Lets pending events run every 1000 lines; bRunning is set meanwhile, so a pause
// (bRunning cleared) stops the loading, and such a pause stays in force afterwards. The loading
// panel shows progress. Returns false when the file could not be read.
bool LoadJobFile(const std::string& path, int firstTask, Session& session);

// Writes a job file that re-runs the items logged in the log grid: per log row, the logged option
// letters, parameter string, the row number, action, input, input code, input extension,
// output, output code, output extension and an empty Pass cell; empty rows (the log's last row)
// are skipped. The marker line ends the file, as in a job saved from the window.
Status WriteJobFileFromLog(const std::string& path, const Grid& fgLog);

// Points the session's loadJobFile hook (used by the run engine for reload rows) at LoadJobFile.
void InstallJobFileLoader(Session& session);

}  // namespace braxel
