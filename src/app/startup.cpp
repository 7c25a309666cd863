// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "engine/process_state.h"
#include "engine/report.h"
#include "engine/translate.h"
#include "platform/app_data.h"
#include "platform/process.h"
#include "platform/special_folders.h"
#include "platform/text.h"

namespace braxel {

void InitialiseProcess(bool commandLine) {
  ProcessState& process = Process();
  process.sIniFilePath = FindSettingsFile(kSettingsFileName, kCompanyFolder, kProductFolder,
                                          static_cast<int>(SpecialFolderId::kRoamingAppData), !commandLine);
  process.sAppDataFolder = AppDataFolder();
  InstallSampleData(SharedDataFolder(), process.sAppDataFolder);
}

StartDecision DecideRunMode(const std::string& commandLine) {
  StartDecision decision;
  if (ParseCommandLine(commandLine, decision.item, &decision.parse)) {
    const clsConversionOptions& item = decision.item;
    if (item.bShellExtenderOptionsChange)
      decision.mode = RunMode::kChangeOptions;
    else if (!item.sCLBatchJobFile.empty() && item.bOpenButDoNotRun)
      decision.mode = RunMode::kOpenJob;
    else
      decision.mode = RunMode::kBatch;
    return decision;
  }
  if (decision.parse.exitRequested) {
    decision.mode = RunMode::kExit;
  } else if (decision.parse.helpRequested || commandLine.find("/?") != std::string::npos) {
    decision.mode = RunMode::kHelp;
  } else if (Trim(commandLine).empty()) {
    decision.mode = RunMode::kInteractive;
  } else {
    decision.mode = RunMode::kInvalid;
    ReportCommandLineMessage(Translate("Missing required or invalid command line argument(s)"),
                             decision.item.sLogFile, decision.item.bVerbose);
  }
  return decision;
}

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text.push_back(' ');
    text += argv[i];
  }
  return text;
}

}  // namespace braxel
