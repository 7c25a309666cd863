// SPDX-License-Identifier: GPL-3.0-or-later
// The job file commands of the main window: open, save, save as, new job, ask to save, and the
// log saved as a job.
#include "job/job_commands.h"

#include "engine/logging.h"
#include "engine/process_state.h"
#include "engine/prompter.h"
#include "engine/translate.h"
#include "job/job_file.h"
#include "platform/app_data.h"
#include "platform/files.h"
#include "platform/folder_helpers.h"
#include "platform/path.h"

namespace braxel {

namespace {

// A job path names a file: neither empty (a cancelled open) nor "*" (a new job).
bool NamesFile(const std::string& path) { return !path.empty() && path != "*"; }

}  // namespace

void JobFileCommands::ShowUnableToCreate() {
  CurrentPrompter().Information("", Translate(kUnableToCreateFileText));
}

JobWriteOutcome JobFileCommands::WriteJob(const std::string& path) {
  // An empty job holds only the marker row: save the item being composed instead of nothing.
  if (session_.fgToDo.Rows() <= 2 && !window_.AddComposedItem()) return JobWriteOutcome::kRefused;
  return WriteJobFile(path, session_.fgToDo).ok() ? JobWriteOutcome::kWritten
                                                  : JobWriteOutcome::kFailed;
}

void JobFileCommands::ConversionJobOpen(const std::string& path) {
  CheckToSaveFileBeforeErasing();
  if (session_.bRunning) {
    window_.PauseRun(session_);
    session_.panels[panel::kProgress].text.clear();
    session_.panels[panel::kProgress].picture = 0;
  }

  std::string chosen;
  if (!path.empty()) {
    chosen = ExpandFolderVariables(path);
  } else {
    std::string start;
    if (!openedBefore_) {
      start = Process().sAppDataFolder.empty() ? AppDataFolder() : Process().sAppDataFolder;
    } else if (session_.sCurrentJobFile.size() >= 2) {
      start = session_.sCurrentJobFile;
    }
    openedBefore_ = true;
    chosen = window_.PickFile(Translate("Open Conversion Job"), Translate(kJobFileFilter), start,
                              /*save=*/false);
  }

  session_.sCurrentJobFile = chosen;
  if (chosen.empty()) return;

  LoadJobFile(chosen, 1, session_);
  Grid& grid = session_.fgToDo;
  for (int row = 1; row < grid.Rows(); ++row) {
    const std::string& pass = grid.Cell(row, todo::kPass);
    grid.Row(row).mark = pass == "+"   ? PassMark::kPass
                         : pass == "-" ? PassMark::kFail
                                       : PassMark::kNone;
  }
  ResetLogGrid(session_.fgLog);
  window_.UpdateMenuToolbar();
  grid.currentRow = grid.Rows() > 1 ? 1 : 0;
  session_.bCurrentActionItemDirty = false;
  if (!Process().bCommandLineMode) {
    window_.SelectCurrentRow();
    window_.AddToJobHistory(chosen);
    window_.SetCaption(FileNameOf(chosen));
  }
  session_.bAskToSaveBXJFileBeforeExit = false;
}

void JobFileCommands::ConversionJobSave() {
  const std::string path = session_.sCurrentJobFile;
  if (!NamesFile(path)) {
    ConversionJobSaveAs();
    return;
  }
  const JobWriteOutcome outcome = WriteJob(path);
  if (outcome == JobWriteOutcome::kFailed || !FileExists(path)) {
    ShowUnableToCreate();
    // The job was not saved: keep asking before it is thrown away.
    return;
  }
  session_.bAskToSaveBXJFileBeforeExit = false;
}

void JobFileCommands::ConversionJobSaveAs() {
  const std::string start =
      session_.sCurrentJobFile.size() >= 2 ? session_.sCurrentJobFile : std::string();
  const std::string path =
      window_.PickFile(Translate("Save"), Translate(kJobFileFilter), start, /*save=*/true);
  if (path.empty()) return;
  const std::string folder = ParentFolder(path);
  if (!IsFolderWriteable(folder.empty() ? std::string(kPathSeparatorText) : folder)) {
    ShowUnableToCreate();
    return;
  }
  session_.sCurrentJobFile = path;
  const JobWriteOutcome outcome = WriteJob(path);
  if (outcome == JobWriteOutcome::kFailed || !FileExists(path)) {
    ShowUnableToCreate();
    return;
  }
  window_.SetCaption(FileNameOf(path));
  window_.AddToJobHistory(path);
  session_.bAskToSaveBXJFileBeforeExit = false;
}

void JobFileCommands::NewJob() {
  CheckToSaveFileBeforeErasing();
  session_.bAskToSaveBXJFileBeforeExit = false;
  ResetToDoGrid(session_.fgToDo);
  ResetLogGrid(session_.fgLog);
  session_.sCurrentJobFile = std::string(1, '*');  // (GCC 12 warns falsely on = "*")
  window_.SetCaption("*");
  window_.UpdateMenuToolbar();
}

void JobFileCommands::CheckToSaveFileBeforeErasing() {
  // Nothing may wait for a user while a command line or the automation object runs.
  if (!Process().Interactive() || !session_.bAskToSaveBXJFileBeforeExit) return;
  const int items = session_.fgToDo.Rows() - 2;
  if (!NamesFile(session_.sCurrentJobFile) && items < 2) return;
  if (CurrentPrompter().YesNo(Translate("Save"), Translate("Save Conversion Job") + "?") ==
      PromptAnswer::kYes) {
    ConversionJobSave();
  }
}

void JobFileCommands::SaveLogAsConversionJob() {
  const std::string path =
      window_.PickFile(Translate("Save"), Translate(kJobFileFilter), "", /*save=*/true);
  if (path.empty()) return;
  if (!WriteJobFileFromLog(path, session_.fgLog).ok() || !FileExists(path)) ShowUnableToCreate();
}

}  // namespace braxel
