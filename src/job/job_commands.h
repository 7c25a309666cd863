// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's job file commands without its dialogs: open, save, save as, a new job, the
// ask-to-save rule and saving the log as a job. The window supplies the dialogs and
// notifications through JobWindow; messages go through the current prompter.
#pragma once

#include <string>

#include "engine/session.h"
#include "platform/result.h"

namespace braxel {

// What the window supplies to the job file commands.
class JobWindow {
 public:
  virtual ~JobWindow() = default;
  // The file dialog: the chosen path, or "" when cancelled. `save` opens it for saving; `start`
  // is the file or folder it starts at ("" for none).
  virtual std::string PickFile(const std::string& title, const std::string& filter,
                               const std::string& start, bool save) = 0;
  // AddFileToConvertGUI: adds the item composed in the window as a row; true when one was added.
  virtual bool AddComposedItem() = 0;
  // The window caption: the job file's name, or "*" for a new job.
  virtual void SetCaption(const std::string& /*caption*/) {}
  // Adds a job file to the job-file history and rebuilds its menu.
  virtual void AddToJobHistory(const std::string& /*path*/) {}
  // ConversionJobPause; without a window the run flag is cleared.
  virtual void PauseRun(Session& session) { session.bRunning = false; }
  // UpdateMenuToolbar.
  virtual void UpdateMenuToolbar() {}
  // Selects the to-do grid's current row whole and scrolls it into view.
  virtual void SelectCurrentRow() {}
};

// The outcome of writing the job: written, refused (an empty job whose composed item was
// rejected, nothing written) or failed.
enum class JobWriteOutcome { kWritten, kRefused, kFailed };

class JobFileCommands {
 public:
  JobFileCommands(Session& session, JobWindow& window) : session_(session), window_(window) {}

  // Opens a job file (folder variables expanded), or asks for one when `path` is empty.
  void ConversionJobOpen(const std::string& path);
  // Saves to the current job file, or asks for a name when the job has none.
  void ConversionJobSave();
  void ConversionJobSaveAs();
  // The toolbar's "keyNew": asks to save when the rule says so, then empties the job.
  void NewJob();
  // Asks "Save Conversion Job?" when the job changed and has a file or two or more items, and
  // not while a command line runs; saves on Yes.
  void CheckToSaveFileBeforeErasing();
  // mnuSaveLogAsConversionJob.
  void SaveLogAsConversionJob();

  // WriteJobFile for the window: an empty job first gets the composed item.
  JobWriteOutcome WriteJob(const std::string& path);

 private:
  void ShowUnableToCreate();

  Session& session_;
  JobWindow& window_;
  bool openedBefore_ = false;
};

// The text shown when a job file could not be written (untranslated key).
inline constexpr const char* kUnableToCreateFileText =
    "Unable to create file. Try a different folder such as 'My Documents'";
inline constexpr const char* kJobFileFilter = "Braxel (*.BXJ)|*.BXJ";

}  // namespace braxel
