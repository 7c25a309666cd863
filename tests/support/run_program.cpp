// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace braxel::test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

std::string BraxelExe() {
  const char* exe = std::getenv("BRAXEL_EXE");
  return exe ? exe : "braxel";
}

std::map<std::string, std::string> IsolatedUserEnvironment(const std::string& home, const std::string& runtime) {
  return {{"HOME", home},
          {"XDG_CONFIG_HOME", home + "/.config"},
          {"XDG_DATA_HOME", home + "/.local/share"},
          {"XDG_RUNTIME_DIR", runtime},
          {"DISPLAY", ""},
          {"WAYLAND_DISPLAY", ""}};
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, const std::string& workdir) {
  char outName[] = "/tmp/braxel-out-XXXXXX";
  char errName[] = "/tmp/braxel-err-XXXXXX";
  const int outFd = mkstemp(outName);
  const int errFd = mkstemp(errName);
  ProgramResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outFd, 1);
    dup2(errFd, 2);
    const int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    for (const auto& [name, value] : env) {
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(outFd);
  close(errFd);
  result.out = Slurp(outName);
  result.err = Slurp(errName);
  unlink(outName);
  unlink(errName);
  return result;
}

}  // namespace braxel::test
