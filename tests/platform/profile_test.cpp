// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

TEST(Profile, ReadsWithWindowsSemantics) {
  TempDir dir;
  const std::string ini = dir.WriteFile("s.ini",
                                        "; comment\r\n[Main]\r\nName = Value \r\nQuoted=\"a b\"\r\nNumber=42abc\r\n"
                                        "[Other]\r\nName=Second\r\n");
  EXPECT_EQ(GetProfileString(ini, "main", "NAME", "d"), "Value");
  EXPECT_EQ(GetProfileString(ini, "Main", "Quoted", "d"), "a b");
  EXPECT_EQ(GetProfileString(ini, "Other", "Name", "d"), "Second");
  EXPECT_EQ(GetProfileString(ini, "Main", "Missing", "d"), "d");
  EXPECT_EQ(GetProfileString(ini, "Nope", "Name", "d"), "d");
  EXPECT_EQ(GetProfileString(dir.Sub("none.ini"), "Main", "Name", "d"), "d");
  EXPECT_EQ(GetProfileString(ini, "Main", "Name", "d", 4), "Val");  // N-1 characters
  EXPECT_EQ(GetProfileInt(ini, "Main", "Number", 7), 42);
  EXPECT_EQ(GetProfileInt(ini, "Main", "Name", 7), 0);
  EXPECT_EQ(GetProfileInt(ini, "Main", "Missing", 7), 7);
}

TEST(Profile, WritesInPlaceKeepingEverythingElse) {
  TempDir dir;
  const std::string ini = dir.WriteFile("s.ini", "; keep me\n[Main]\nA=1\n\n; note\nB=2\n[Tail]\nC=3\n");
  ASSERT_TRUE(WriteProfileString(ini, "MAIN", "a", "10"));
  ASSERT_TRUE(WriteProfileString(ini, "Main", "New", "x"));
  ASSERT_TRUE(WriteProfileString(ini, "Added", "K", "v"));
  EXPECT_EQ(ReadWholeFile(ini), "; keep me\n[Main]\nA=10\n\n; note\nB=2\nNew=x\n[Tail]\nC=3\n[Added]\nK=v\n");
  ASSERT_TRUE(DeleteProfileKey(ini, "Main", "B"));
  EXPECT_EQ(GetProfileString(ini, "Main", "B", "gone"), "gone");
  const auto section = GetProfileSection(ini, "main");
  ASSERT_EQ(section.size(), 2u);
  EXPECT_EQ(section[1].first, "New");
  EXPECT_FALSE(WriteProfileString(dir.Sub("missing/s.ini"), "Main", "A", "1"));
}

TEST(Profile, ConcurrentWritersLoseNothing) {
  TempDir dir;
  const std::string ini = dir.Sub("s.ini");
  constexpr int kKeys = 40;
  std::vector<pid_t> children;
  for (int p = 0; p < 2; ++p) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int k = 0; k < kKeys; ++k)
        ok = WriteProfileString(ini, "S", "p" + std::to_string(p) + "k" + std::to_string(k), "v") && ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(GetProfileSection(ini, "S").size(), 2u * kKeys);
}

}  // namespace
}  // namespace braxel
