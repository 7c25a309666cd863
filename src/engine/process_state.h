// SPDX-License-Identifier: GPL-3.0-or-later
// Process-wide flags read throughout the program.
#pragma once

#include <atomic>
#include <string>

namespace braxel {

struct ProcessState {
  // True while a command line is parsed and run without the window: nothing may wait for a user.
  std::atomic<bool> bCommandLineMode{false};
  // True once the automation object exists; never cleared.
  std::atomic<bool> bAutomationMode{false};
  // While true the main window's change handlers do nothing.
  std::atomic<bool> bIgnoreGuiEvents{false};
  // The settings file and the per-user data folder, set at start-up.
  std::string sIniFilePath;
  std::string sAppDataFolder;

  // True when neither command-line nor automation mode is on.
  bool Interactive() const { return !bCommandLineMode && !bAutomationMode; }
};

ProcessState& Process();

}  // namespace braxel
