// SPDX-License-Identifier: GPL-3.0-or-later
// The run options of section frmMain of the settings file (the keys from
// bWarnedAboutPrivacyMode to chkPersistRunning), read into a session. Reading writes nothing.
#pragma once

#include <string>

#include "engine/session.h"

namespace braxel {

struct MainWindowFlags {
  bool bWarnedAboutPrivacyMode = false;
  bool bEnablePrivacyMode = false;
  bool bWarnedAboutChangingOptionsFromShellExtender = false;
  bool bAutoLoadImages = true;
  bool bDontShowFileMismatchAgain = false;
  int chkPersistRunning = 0;
};

// A "TRUE"/"FALSE" value of section frmMain: true exactly when its upper-cased text is "TRUE".
bool ReadMainBoolean(const std::string& iniFile, const char* key, const char* defaultValue);

// Reads the run options into `session` and returns the window flags read with them.
MainWindowFlags ReadRunOptions(const std::string& iniFile, Session& session);

}  // namespace braxel
