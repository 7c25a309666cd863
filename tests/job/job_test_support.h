// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the job tests: item rows as the window adds them, and job files made of lines.
#pragma once

#include <string>
#include <vector>

#include "engine/grid.h"
#include "engine/session.h"
#include "job/job_file.h"

namespace braxel::test {

// The cells of a conversion row as the window adds it, for task `n`.
inline std::vector<std::string> ItemCells(int n) {
  return {"RGM",
          "1^^^^^^^^^^^^^^^^^^^",
          std::to_string(n),
          "C",
          "/in/set" + std::to_string(n) + "/*.png",
          "8",
          "png",
          "/out/*.jpg",
          "1",
          "jpg",
          ""};
}

// Adds a row above the marker row, as the window's add does.
inline void AddRow(Grid& grid, std::vector<std::string> cells) {
  grid.InsertRow(grid.Rows() - 1, std::move(cells));
}

// A job line: the cells, each followed by a TAB.
inline std::string JobLine(const std::vector<std::string>& cells) {
  std::string line;
  for (const auto& cell : cells) line += cell + "\t";
  return line;
}

// A session with an empty job (header and marker row) and the loader hook installed.
inline void PrepareSession(Session& session) {
  ResetToDoGrid(session.fgToDo);
  InstallJobFileLoader(session);
}

}  // namespace braxel::test
