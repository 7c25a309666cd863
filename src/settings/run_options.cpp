// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/run_options.h"

#include "engine/item_checks.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace braxel {
namespace {

constexpr size_t kValueBuffer = 500;

std::string ReadMainText(const std::string& iniFile, const char* key, const char* defaultValue) {
  return GetProfileString(iniFile, "frmMain", key, defaultValue, kValueBuffer);
}

// The general truth conversion: "True"/"False" in any case, or a number (0 false).
bool GeneralBoolean(const std::string& text) {
  const std::string t = Trim(text);
  if (EqualsNoCase(t, "TRUE")) return true;
  if (auto v = ParseInt64(t)) return *v != 0;
  return false;
}

}  // namespace

bool ReadMainBoolean(const std::string& iniFile, const char* key, const char* defaultValue) {
  return ToUpperAscii(ReadMainText(iniFile, key, defaultValue)) == "TRUE";
}

MainWindowFlags ReadRunOptions(const std::string& iniFile, Session& session) {
  MainWindowFlags flags;
  flags.bWarnedAboutPrivacyMode = ReadMainBoolean(iniFile, "bWarnedAboutPrivacyMode", "FALSE");
  flags.bEnablePrivacyMode = ReadMainBoolean(iniFile, "bEnablePrivacyMode", "FALSE");
  flags.bWarnedAboutChangingOptionsFromShellExtender =
      ReadMainBoolean(iniFile, "bWarnedAboutChangingOptionsFromShellExtender", "FALSE");
  flags.bAutoLoadImages = ReadMainBoolean(iniFile, "bAutoLoadImages", "TRUE");
  session.bDeleteOriginalFileAfterProcessing = ReadMainBoolean(iniFile, "bDeleteOriginalFileAfterProcessing", "FALSE");
  session.bTryAutodetectIfFailed = ReadMainBoolean(iniFile, "bTryAutodetectIfFailed", "TRUE");
  session.sLogFile = ReadMainText(iniFile, "sLogFile", "");
  session.bSkipProcessedFiles = ReadMainBoolean(iniFile, "bSkipProcessedFiles", "FALSE");
  session.bRetainInputFileTimeStamp = ReadMainBoolean(iniFile, "bRetainInputFileTimeStamp", "FALSE");
  session.bMoveOriginalFileAfterProcessing = ReadMainBoolean(iniFile, "bMoveOriginalFileAfterProcessing", "FALSE");
  session.sMoveFileToFolder = ReadMainText(iniFile, "sMoveFileToFolder", "");
  flags.bDontShowFileMismatchAgain = GeneralBoolean(
      GetProfileString(iniFile, "frmTypeMatchNotification", "bDontShowFileMismatchAgain", "False", kValueBuffer));
  SetTypeMismatchNoticeOff(flags.bDontShowFileMismatchAgain);
  flags.chkPersistRunning = GetProfileInt(iniFile, "frmScheduler", "chkPersistRunning", 0);
  return flags;
}

}  // namespace braxel
