// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/global_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

// Each child appends long lines in small pieces while holding the lock; without the lock the
// pieces of two writers would interleave.
TEST(GlobalMutex, SerialisesAppendsAcrossProcesses) {
  TempDir dir;
  setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  const std::string log = dir.Sub("log.txt");
  constexpr int kLines = 50;
  std::vector<pid_t> children;
  for (char letter : {'a', 'b'}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int i = 0; i < kLines; ++i) {
        GlobalMutexLock lock;
        if (!lock.locked()) _exit(1);
        for (int piece = 0; piece < 20; ++piece) (void)AppendToFile(log, std::string(10, letter));
        (void)AppendToFile(log, "\n");
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto lines = SplitTextLines(ReadWholeFile(log));
  ASSERT_EQ(lines.size(), 2u * kLines);
  for (const std::string& line : lines)
    EXPECT_TRUE(line == std::string(200, 'a') || line == std::string(200, 'b')) << line;
  EXPECT_EQ(GlobalMutexPath(), dir.Sub("Halvick_Global_Mutex.lock"));
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace braxel
