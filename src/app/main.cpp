// SPDX-License-Identifier: GPL-3.0-or-later
// The braxel program: decides the run mode from the command line. Batch runs happen here,
// without Qt; the window modes hand over to the desktop program braxel-gui.
#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "cli/help_text.h"
#include "platform/path.h"
#include "platform/process.h"

namespace {

using namespace braxel;

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

  InitialiseProcess();
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
      WriteErrorLine("braxel: running a job from the command line is not built yet");
      return 1;
    case RunMode::kInvalid:
      return 2;
  }
  return 2;
}
