// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up shared by every entry: the settings file, the per-user data folder, the first-start
// copy of the sample data, and the run-mode decision of a command line.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "engine/conversion_item.h"

namespace braxel {

// Sets sIniFilePath and sAppDataFolder and copies the sample data on a user's first start.
// A command-line process finds its settings file without writing to it.
void InitialiseProcess(bool commandLine = false);

enum class RunMode { kInteractive, kBatch, kOpenJob, kChangeOptions, kHelp, kExit, kInvalid };

struct StartDecision {
  RunMode mode = RunMode::kInvalid;
  clsConversionOptions item;
  CommandLineParse parse;
};

// Parses the command-line text and decides the run mode. A rejected command line has been
// reported (the general message included) when this returns kInvalid.
StartDecision DecideRunMode(const std::string& commandLine);

// The process's arguments joined with single blanks.
std::string JoinArguments(int argc, char** argv);

}  // namespace braxel
