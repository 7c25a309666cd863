// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real braxel executable as a child process, as a user would.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace braxel::test {

struct ProgramResult {
  int exitCode = -1;  // 128 + signal when killed
  std::string out;
  std::string err;
};

// The braxel executable of this build (BRAXEL_EXE).
std::string BraxelExe();
// Runs `program` with `args`; `env` entries are added to (or, with an empty value, removed
// from) the environment. `workdir` is the child's working folder when not empty.
// An environment for a child whose user lives in `home` (HOME and the XDG folders below it),
// whose lock file lives in `runtime`, and which sees no display.
std::map<std::string, std::string> IsolatedUserEnvironment(const std::string& home, const std::string& runtime);

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env = {}, const std::string& workdir = "");

}  // namespace braxel::test
