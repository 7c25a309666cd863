// SPDX-License-Identifier: GPL-3.0-or-later
// The braxel program: decides the run mode from the command line. Batch runs happen here,
// without Qt; the window modes hand over to the desktop program braxel-gui.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_prompter.h"
#include "app/progress_line.h"
#include "app/startup.h"
#include "cli/command_line_run.h"
#include "engine/process_state.h"
#include "engine/prompter.h"
#include "engine/session.h"
#include "job/job_file.h"
#include "platform/clock.h"
#include "settings/run_options.h"
#include "cli/help_text.h"
#include "platform/path.h"
#include "platform/process.h"

namespace {

using namespace braxel;

// Runs the parsed item or job without any window; 0 when it succeeded.
int RunBatch(clsConversionOptions& item) {
  Session session;
  // Like the hidden main window, the run takes its options from the settings file.
  ReadRunOptions(Process().sIniFilePath, session);
  InstallJobFileLoader(session);
  session.bRunning = true;
  session.lTotalTimeStart = TickCountMs();
  std::optional<ProgressLine> progress;
  if (StandardErrorIsTerminal()) progress.emplace(session);
  return RunCommandLineJob(session, item) == 0 ? 0 : 1;
}

int StartDesktopProgram(const std::vector<std::string>& arguments) {
  const std::string gui = JoinPath(ProgramFolder(), "braxel-gui");
  ReplaceProcess(gui, arguments);
  WriteErrorLine("braxel: cannot start the desktop program " + gui);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string commandLine = JoinArguments(argc, argv);
  if (commandLine == "--help" || commandLine == "-h") {
    std::fputs(CommandLineHelpText().c_str(), stdout);
    return 0;
  }
  if (commandLine == "--version") {
    std::printf("braxel %s\n", ProgramVersionText().c_str());
    return 0;
  }

  InitialiseProcess(/*commandLine=*/!commandLine.empty());
  // Messages of /V are dialogs on a display and lines on standard error without one.
  if (HasDisplay() && !commandLine.empty())
    SetCurrentPrompter(std::make_shared<DialogPrompter>(JoinPath(ProgramFolder(), "braxel-gui")));
  StartDecision decision = DecideRunMode(commandLine);
  switch (decision.mode) {
    case RunMode::kHelp:
      std::fputs(CommandLineHelpText().c_str(), stdout);
      return 0;
    case RunMode::kExit:
      return 0;
    case RunMode::kInteractive:
      return StartDesktopProgram({});
    case RunMode::kOpenJob:
      return StartDesktopProgram({"--open-job", decision.item.sCLBatchJobFile});
    case RunMode::kChangeOptions:
      return StartDesktopProgram({"--change-options", std::to_string(decision.item.lSpecialProcess),
                                  decision.item.sOriginalFile});
    case RunMode::kBatch:
      return RunBatch(decision.item);
    case RunMode::kInvalid:
      return 2;
  }
  return 2;
}
