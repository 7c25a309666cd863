// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/logging.h"

#include "engine/process_state.h"
#include "engine/translate.h"

namespace braxel {

void ResetLogGrid(Grid& grid) {
  const bool ignoring = Process().bIgnoreGuiEvents.exchange(true);
  grid.SetRows(0);
  grid.SetRows(2);
  grid.SetCell(0, 2, Translate("#"));
  grid.SetCell(0, 3, Translate("Do"));
  grid.SetCell(0, 7, Translate("Output File"));
  grid.SetCell(0, 9, Translate("Type"));
  grid.SetCell(0, 10, Translate("Pass"));
  grid.SetCell(0, 11, Translate("Status"));
  grid.currentRow = 1;
  Process().bIgnoreGuiEvents = ignoring;
}

}  // namespace braxel
