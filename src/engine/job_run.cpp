// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/job_run.h"


#include "engine/conversion.h"
#include "engine/logging.h"
#include "engine/process_state.h"
#include "engine/prompter.h"
#include "engine/translate.h"
#include "platform/clock.h"
#include "platform/folder_helpers.h"
#include "platform/text.h"

namespace braxel {
namespace {

// Picture indices of the window's image list.
constexpr int kPictureComplete = 9;

int LastItemRow(const Grid& grid) { return grid.Rows() - 2; }

bool FlagWithinFirstNine(const std::string& flags, char letter) {
  return flags.substr(0, 9).find(letter) != std::string::npos;
}

}  // namespace

int FindStartPoint(const Grid& grid) {
  for (int row = 1; row <= LastItemRow(grid); ++row)
    if (grid.Cell(row, todo::kPass).empty()) return row;
  return grid.Rows() - 1;
}

void UpdatePassedCell(Grid& grid, int row, int32_t result) {
  if (row < 0 || row >= grid.Rows()) return;
  grid.SetCell(row, todo::kPass, result != 0 ? "-" : "+");
  grid.Row(row).mark = result != 0 ? PassMark::kFail : PassMark::kPass;
  grid.currentRow = row;
}

void ReadJobRowIntoItem(clsConversionOptions& item, int row, Grid& grid) {
  if (row <= 0 || row >= grid.Rows() - 1) return;
  const bool ignoring = Process().bIgnoreGuiEvents.exchange(true);
  grid.currentRow = row;
  Process().bIgnoreGuiEvents = ignoring;
  const std::string& flags = grid.Cell(row, todo::kFlags);
  if (FlagWithinFirstNine(flags, 'G')) item.bSaveInOriginalFolder = true;
  if (FlagWithinFirstNine(flags, 'R')) item.bDoSubfolders = true;
  if (FlagWithinFirstNine(flags, 'F')) item.bExportFormula = true;
  item.sExtraParams = grid.Cell(row, todo::kParams);
  item.sActionToDo = grid.Cell(row, todo::kAction);
  if (item.IsConversion()) item.lConversionMethod = FlagWithinFirstNine(flags, 'M') ? 1 : 2;
  item.sOriginalFile = grid.Cell(row, todo::kInput);
  if (const std::string& code = grid.Cell(row, todo::kInputType); !code.empty())
    if (auto v = ParseInt32(code)) item.lOriginalFileType = *v;
  item.sTargetFile = grid.Cell(row, todo::kOutput);
  if (const std::string& code = grid.Cell(row, todo::kOutputType); !code.empty())
    if (auto v = ParseInt32(code)) item.lTargetFileType = *v;
  if (item.IsSpecialProcess()) {
    if (auto v = ParseInt32(ReplaceAll(item.sActionToDo, "S", ""))) item.lSpecialProcess = *v;
  }
}

int32_t PerformBlock(Session& session, int jobNumber, clsConversionOptions& item) {
  item.sTargetFile = ExpandFolderVariables(item.sTargetFile);
  item.sOriginalFile = ExpandFolderVariables(item.sOriginalFile);
  item.sLogFile = ExpandFolderVariables(item.sLogFile);
  item.sLogAsConversionJobFile = ExpandFolderVariables(item.sLogAsConversionJobFile);
  item.sCurrentBatchJobFile = ExpandFolderVariables(item.sCurrentBatchJobFile);
  if (item.IsConversion()) return PerformBlockConversion(session, jobNumber, item);
  if (!item.IsSpecialProcess()) return 0;
  // A reload row: load the job file named in the output cell from the task in the output
  // type cell; the row walk then starts again at row 1.
  if (item.lSpecialProcess == 1 && session.loadJobFile) {
    if (session.loadJobFile(item.sTargetFile, item.lTargetFileType)) return 0;
    // A job file that vanished must not restart the walk over the unchanged grid forever.
    item.lErr = -10000;
    item.sErr = Translate("File: ") + item.sTargetFile + Translate(" does not exist");
    LogConversionError(session, jobNumber, item);
    return item.lErr;
  }
  if (session.performBlockSpecialized) return session.performBlockSpecialized(jobNumber, item);
  // Without the special-process layer the item cannot run: a failure, never a silent success.
  item.lErr = -101;
  item.sErr = Translate("Invalid Special Process Identifier specified");
  LogConversionError(session, jobNumber, item);
  return item.lErr;
}

bool bCheckToUpdateDirtyConversionItem(Session& session) {
  if (session.bSchedulerEnabled || session.bRunning) return true;
  const Grid& grid = session.fgToDo;
  const int selected = grid.currentRow;
  const bool itemRow = selected >= 1 && selected <= LastItemRow(grid);
  if (!itemRow || grid.Rows() <= 2 || !session.bCurrentActionItemDirty) return true;
  PromptAnswer answer = PromptAnswer::kYes;
  if (LastItemRow(grid) >= 2) {
    answer = CurrentPrompter().YesNoCancel(
        Translate("Update Conversion Item"),
        Translate("You've changed the current conversion item #") + std::to_string(selected) + "\n\n" +
            Translate("Do you want to update your changes?"));
  }
  if (answer == PromptAnswer::kCancel) return false;
  if (answer == PromptAnswer::kYes) {
    if (!session.updateCurrentItem || !session.updateCurrentItem()) return false;
  } else {
    session.bCurrentActionItemDirty = false;
  }
  return true;
}

bool bCheckToZeroConversionItems(Session& session) {
  if (session.bSchedulerEnabled || session.bRunning || !session.bWindowVisible) return true;
  const int items = session.fgToDo.Rows() - 2;
  if (items <= 0) return session.addComposedItem && session.addComposedItem();
  if (items == 1) ConversionJobRewind(session);
  return true;
}

void ConversionJobBegin(Session& session) {
  session.timerRunning = false;
  session.panels[panel::kProgress] = StatusPanel{};
  if (!bCheckToUpdateDirtyConversionItem(session)) return;
  if (!bCheckToZeroConversionItems(session)) return;

  ProcessState& process = Process();
  session.bRunning = true;
  process.bIgnoreGuiEvents = true;
  session.Changed();
  ResetLogGrid(session.fgLog);

  int startRow = FindStartPoint(session.fgToDo);
  if (process.bCommandLineMode) {
    startRow = 1;
  } else if (startRow > LastItemRow(session.fgToDo)) {
    ConversionJobRewind(session);
    startRow = 1;
  }
  session.SetPanel(panel::kProgress, Translate("Working") + "...");
  session.SetPanel(panel::kElapsed, "");
  session.lTotalTimeStart = TickCountMs();

  clsConversionOptions item;
  bool completed = true;
  for (int row = startRow; row <= LastItemRow(session.fgToDo); ++row) {
    session.SetPanel(panel::kRow, std::to_string(row));
    session.Changed();
    ReadJobRowIntoItem(item, row, session.fgToDo);
    const int32_t result = PerformBlock(session, row, item);
    UpdatePassedCell(session.fgToDo, row, result);
    session.DoEvents();
    if (!session.bRunning) {
      completed = false;
      break;
    }
    // After a reload row the walk starts again at row 1 of the reloaded grid.
    if (item.IsSpecialProcess() && item.lSpecialProcess == 1 && result == 0) row = 0;
  }

  session.SetPanel(panel::kRow, "-");
  if (item.lErr != 0 && item.sErr.size() > 2)
    session.SetPanel(panel::kCurrentFile, "!!! " + Translate("Error") + ":  " + item.sErr);
  if (completed && session.bRunning && process.Interactive()) {
    if (!session.bSchedulerEnabled) session.timerRunning = true;
    session.panels[panel::kProgress] =
        StatusPanel{" 100" + Translate(" Percent Complete "), kPictureComplete, true};
  }
  if (!completed) session.SetPanel(panel::kProgress, Translate("Pause"));
  session.bRunning = false;
  process.bIgnoreGuiEvents = false;
  session.Changed();
}

void ConversionJobPause(Session& session) {
  session.bRunning = false;
  if (session.bSchedulerEnabled && session.stopScheduler) session.stopScheduler();
  session.Changed();
}

void ConversionJobRewind(Session& session) {
  session.lResumeFileIndex = 0;
  const bool ignoring = Process().bIgnoreGuiEvents.exchange(true);
  Grid& grid = session.fgToDo;
  for (int row = grid.Rows() - 1; row >= 1; --row) {
    grid.SetCell(row, todo::kPass, "");
    grid.Row(row).mark = PassMark::kNone;
  }
  Process().bIgnoreGuiEvents = ignoring;
  ResetLogGrid(session.fgLog);
  session.panels[panel::kProgress] = StatusPanel{};
  session.timerRunning = false;
  session.Changed();
}

}  // namespace braxel
