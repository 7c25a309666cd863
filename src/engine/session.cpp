// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/session.h"

namespace braxel {

Session::Session() {
  // A new job: the header row and the marker row that stands for the item being composed.
  fgToDo.SetRows(2);
  fgToDo.SetCell(1, todo::kTask, "*");
  fgToDo.currentRow = 1;
  fgLog.SetRows(2);
  fgLog.currentRow = 1;
}

}  // namespace braxel
