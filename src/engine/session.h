// SPDX-License-Identifier: GPL-3.0-or-later
// The state of one job session, without any window: the to-do and log grids, the run state,
// the run options, the job file state and the status-bar panels. A batch run uses it headless;
// the main window binds its widgets to the same object. Only the run's file loop and row walk
// touch it; per-file conversion work never does.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/conversion_item.h"
#include "engine/grid.h"

namespace braxel {

// Status-bar panels the run writes (by number).
namespace panel {
inline constexpr int kRow = 3, kProgress = 6, kCurrentFile = 8, kElapsed = 11, kLoading = 2;
inline constexpr int kCount = 12;
}  // namespace panel

// A number with exactly one decimal and at least one digit before it ("##0.0", "#0.0"): the
// form of elapsed seconds and percentages in the panels and reports.
std::string FormatOneDecimal(double value);

struct StatusPanel {
  std::string text;
  int picture = 0;  // 0 none; otherwise the index in the window's picture list
  bool enabled = true;
};

struct Session {
  Session();

  Grid fgToDo{todo::kColumns};
  Grid fgLog{logcol::kColumns};

  // Run state.
  bool bRunning = false;
  int64_t lTotalTimeStart = 0;
  int32_t lResumeFileIndex = 0;
  std::string sCurrentFile;
  // Progress of the item in hand: files handled and the length of its file list.
  int32_t lFilesDone = 0;
  int32_t lFilesTotal = 0;
  bool bCurrentActionItemDirty = false;
  bool bSchedulerEnabled = false;
  bool bWindowVisible = false;

  // Run options (the options window; section frmMain of the settings file).
  bool bSkipProcessedFiles = false;
  bool bRetainInputFileTimeStamp = false;
  bool bMoveOriginalFileAfterProcessing = false;
  std::string sMoveFileToFolder;
  bool bDeleteOriginalFileAfterProcessing = false;
  bool bTryAutodetectIfFailed = false;
  std::string sLogFile;

  // Job file state: "*" for a new, unnamed job.
  std::string sCurrentJobFile = "*";
  bool bAskToSaveBXJFileBeforeExit = false;

  std::array<StatusPanel, panel::kCount> panels;

  // Lets pending window events run (no-op without a window).
  std::function<void()> doEvents;
  // Called after panels or grids changed so a window can repaint (optional).
  std::function<void()> onChanged;
  // Loads a job file into fgToDo from a first task (set by the layer that owns job files);
  // the run engine calls it for reload rows. False when nothing was loaded.
  std::function<bool(const std::string& path, int firstTask)> loadJobFile;
  // Runs a special-process item (set by the special-process layer); without it such an item
  // gets the result of an unknown action.
  std::function<int32_t(int jobNumber, clsConversionOptions& item)> performBlockSpecialized;

  // Stores the item being edited into its row (the window's update); false when refused.
  std::function<bool()> updateCurrentItem;
  // Adds the item being composed in the window as a new row; false when refused.
  std::function<bool()> addComposedItem;
  // Stops the scheduler's timer when a pause arrives while it is enabled.
  std::function<void()> stopScheduler;
  // The blink timer of a completed run.
  bool timerRunning = false;

  void Changed() const {
    if (onChanged) onChanged();
  }
  void DoEvents() const {
    if (doEvents) doEvents();
  }
  void SetPanel(int index, std::string text) {
    if (index >= 0 && index < panel::kCount) panels[static_cast<size_t>(index)].text = std::move(text);
  }
};

}  // namespace braxel
