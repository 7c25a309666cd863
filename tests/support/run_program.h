// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real braxel executable as a child process, as a user would.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

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

// A test that runs braxel as a process inside a temporary folder, for a user of its own.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = dir.MakeDir("home");
    env = IsolatedUserEnvironment(home, dir.path());
  }
  ProgramResult Run(const std::vector<std::string>& args) { return RunProgram(BraxelExe(), args, env, dir.path()); }
  TempDir dir;
  std::string home;
  std::map<std::string, std::string> env;
};

}  // namespace braxel::test
