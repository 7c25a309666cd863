// SPDX-License-Identifier: GPL-3.0-or-later
// Facts about the running process: its program folder, shipped data, working folder, the
// environment, and whether a display and a terminal are present.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace braxel {

// The folder of the running executable (/proc/self/exe), without a trailing separator.
std::string ProgramFolder();
// The path of the running executable.
std::string ProgramPath();
// Shipped data: <program folder>/../share/braxel, without a trailing separator.
std::string SharedDataFolder();
// The current working folder, absolute, without a trailing separator.
std::string CurrentFolder();
std::optional<std::string> GetEnvironment(const char* name);
// True when an X11 or Wayland display is named in the environment.
bool HasDisplay();
bool StandardErrorIsTerminal();
// Writes a line to standard error (with a line end).
void WriteErrorLine(std::string_view line);

}  // namespace braxel

namespace braxel {

// Replaces the process with `program`, argv[0] = program, followed by `arguments`.
// Returns only when the program could not be started.
void ReplaceProcess(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace braxel

namespace braxel {

// Starts `program` (argv[0] = program) with `arguments` and waits for it; its exit code, or
// -1 when it could not be started (128 + N when killed by signal N).
int RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace braxel
