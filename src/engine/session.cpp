// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/session.h"

#include <cstdio>

namespace braxel {

std::string FormatOneDecimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

Session::Session() {
  // A new job: the header row and the marker row that stands for the item being composed.
  fgToDo.SetRows(2);
  fgToDo.SetCell(1, todo::kTask, "*");
  fgToDo.currentRow = 1;
  fgLog.SetRows(2);
  fgLog.currentRow = 1;
}

}  // namespace braxel
