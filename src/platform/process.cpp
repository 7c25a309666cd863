// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/path.h"

namespace braxel {

std::string ProgramPath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "";
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

std::string ProgramFolder() { return ParentFolder(ProgramPath()); }

std::string SharedDataFolder() {
  const std::string prefix = ParentFolder(ProgramFolder());
  return JoinPath(prefix.empty() ? "/" : prefix, "share/braxel");
}

std::string CurrentFolder() {
  std::string buffer(4096, '\0');
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return "";
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return WithoutTrailingSeparator(buffer);
}

std::optional<std::string> GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool HasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void WriteErrorLine(std::string_view line) {
  std::string text(line);
  text.push_back('\n');
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<size_t>(n);
  }
}

}  // namespace braxel

namespace braxel {

void ReplaceProcess(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
}

}  // namespace braxel

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace braxel {

int RunProgramAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace braxel
