// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/app_data.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

// HOME and the XDG folders inside a temporary tree for one test.
class UserTree : public ::testing::Test {
 protected:
  void SetUp() override {
    home = dir.MakeDir("home/me");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  }
  TempDir dir;
  std::string home;
};

TEST_F(UserTree, FolderVariables) {
  EXPECT_EQ(ExpandFolderVariables(" %appdata%/Foo "), home + "/.config/Foo");
  EXPECT_EQ(ExpandFolderVariables("%APPDATA%/Foo"), home + "/.config/Foo");
  // Only the first variable found is expanded.
  EXPECT_EQ(ExpandFolderVariables("%APPDATA%/a/%WINDIR%"), home + "/.config/a/%WINDIR%");
  EXPECT_EQ(ExpandFolderVariables("%UserProfile%/x/%USERPROFILE%"), home + "/x/" + home);
  EXPECT_EQ(ExpandFolderVariables("%HOMEPATH%/x"), home + "/x");
  EXPECT_EQ(ExpandFolderVariables("%LOCALAPPDATA%"), home + "/.local/share");
  EXPECT_EQ(ExpandFolderVariables("%WINDIR%/x"), "/usr/x");
  EXPECT_EQ(ExpandFolderVariables("%PROGRAMFILES(X86)%"), "/usr/local");
  EXPECT_EQ(ExpandFolderVariables("%PROGRAMFILES%"), "/opt");
  EXPECT_EQ(ExpandFolderVariables("%MYDOCUMENTS%/a"), home + "/a");
  EXPECT_EQ(ExpandFolderVariables("~/pics"), home + "/pics");
  // The documents folder comes from user-dirs.dirs when it exists.
  dir.MakeDir("home/me/Docs");
  dir.WriteFile("home/me/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
  EXPECT_EQ(ExpandFolderVariables("%MYDOCUMENTS%/a"), home + "/Docs/a");
  EXPECT_EQ(GetSpecialFolder(99), "(error)");
  EXPECT_EQ(GetSpecialFolderOrReason(99), "Folder Not Valid On this OS");
}

TEST_F(UserTree, CheckOutputFolderStatuses) {
  struct Case {
    std::string path;
    int status;
    std::string corrected;
  };
  const Case cases[] = {
      {home + "/out", 0, home + "/out"},
      {"/usr/share/x", 2, home + "/share/x"},
      {"/opt/app/out", 2, home + "/app/out"},
      {"/etc/out", 2, home + "/out"},
      {"/var/lib/x", 2, home + "/lib/x"},
      {"/nonexistent-top/out", 4, home + "/nonexistent-top/out"},
      {dir.Sub("home") + "/", 3, home},
      // Root can write almost anywhere; /proc refuses even root.
      {"/proc/self/x", 2, home + "/self/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const OutputFolderCheck check = CheckOutputFolder(c.path);
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.correctedPath, c.corrected);
  }
  EXPECT_EQ(CheckOutputFolder("/usr/x").message, "Output folder is a system folder and should not be used.");
  // Not writeable: a folder without write permission, or for root (who ignores permissions)
  // an immutable folder.
  const std::string locked = dir.MakeDir("home/me/locked");
  bool lockedDown = false;
  if (geteuid() != 0) {
    lockedDown = chmod(locked.c_str(), 0500) == 0;
  } else {
    lockedDown = std::system(("chattr +i '" + locked + "' 2>/dev/null").c_str()) == 0;
  }
  if (lockedDown) {
    const OutputFolderCheck check = CheckOutputFolder(locked + "/out");
    EXPECT_EQ(check.status, 5);
    EXPECT_EQ(check.message, "Output folder is not writeable.");
    EXPECT_EQ(check.correctedPath, home);
    if (geteuid() == 0) EXPECT_EQ(std::system(("chattr -i '" + locked + "'").c_str()), 0);
  }
  EXPECT_FALSE(IsFolderWriteable("/proc/x"));
}

TEST_F(UserTree, WriteabilityProbeLeavesNothing) {
  const std::string folder = dir.MakeDir("w");
  EXPECT_TRUE(IsFolderWriteable(folder + "/not/yet/made"));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_FALSE(IsFolderWriteable(""));
  const std::string name = MakeUniqueTempFileName(folder, "ab", "");
  EXPECT_TRUE(name.starts_with(folder + "/ab"));
  EXPECT_TRUE(name.ends_with(".TMP"));
}

TEST_F(UserTree, DeleteAndMoveNeverLoseTheSource) {
  const std::string file = dir.WriteFile("src/a.txt", "data");
  EXPECT_TRUE(DeleteFileWithRetry(dir.Sub("src/none.txt")));
  // Moving a file onto itself keeps it.
  EXPECT_TRUE(MoveFileToFolder(file, dir.Sub("src")));
  EXPECT_EQ(ReadWholeFile(file), "data");
  // Into a new folder on the same file system, replacing a file of that name.
  dir.WriteFile("dst/a.txt", "old");
  EXPECT_TRUE(MoveFileToFolder(file, dir.Sub("dst")));
  EXPECT_EQ(ReadWholeFile(dir.Sub("dst/a.txt")), "data");
  EXPECT_FALSE(std::filesystem::exists(file));
  // Across file systems (tmpfs): copied, then the source removed.
  if (std::filesystem::is_directory("/dev/shm")) {
    TempDir shm;
    const std::string far = std::string("/dev/shm/braxel-move-") + std::to_string(getpid());
    EXPECT_TRUE(MoveFileToFolder(dir.Sub("dst/a.txt"), far));
    EXPECT_EQ(ReadWholeFile(far + "/a.txt"), "data");
    EXPECT_FALSE(std::filesystem::exists(dir.Sub("dst/a.txt")));
    EXPECT_TRUE(MoveFileOverwrite(far + "/a.txt", dir.Sub("back.txt")));
    EXPECT_EQ(ReadWholeFile(dir.Sub("back.txt")), "data");
    std::filesystem::remove_all(far);
  }
  // A move into a folder that cannot be made fails and keeps the source.
  const std::string keep = dir.WriteFile("keep.txt", "k");
  EXPECT_FALSE(MoveFileToFolder(keep, keep + "/sub"));
  EXPECT_EQ(ReadWholeFile(keep), "k");
  EXPECT_TRUE(DeleteFileWithRetry(keep, 1));
  EXPECT_FALSE(std::filesystem::exists(keep));
}

TEST_F(UserTree, TimeStampsCopied) {
  const std::string a = dir.WriteFile("a"), b = dir.WriteFile("b");
  ASSERT_TRUE(SetFileTimes(a, {1500000000, 5}, {1600000000, 7}));
  const auto times = ReadFileTimeStamps(a);
  ASSERT_TRUE(times);
  ASSERT_TRUE(WriteFileTimeStamps(b, *times));
  EXPECT_EQ(ReadFileTimeStamps(b)->modification, (FileTime{1600000000, 7}));
  ASSERT_TRUE(SetFileTimeStampsToNow(b));
  EXPECT_GT(ReadFileTimeStamps(b)->modification.seconds, 1700000000);
}

TEST_F(UserTree, FirstStartCopiesSampleDataOnce) {
  const std::string shared = dir.MakeDir("share/braxel");
  dir.WriteFile("share/braxel/Demo Data/a.bmp", "img");
  dir.WriteFile("share/braxel/Languages/Deutsch.txt", "lang");
  const std::string appData = AppDataFolder();
  EXPECT_EQ(appData, home + "/.local/share/Tarnwell, Inc/Braxel/");
  InstallSampleData(shared, appData);
  EXPECT_EQ(ReadWholeFile(appData + "Demo Data/a.bmp"), "img");
  EXPECT_EQ(ReadWholeFile(appData + "Languages/Deutsch.txt"), "lang");
  EXPECT_EQ(GetProfileString(RegistryStorePath(), "Settings", "bDInstalled", ""), "TRUE");
  // A second start copies nothing, even after the copies were deleted.
  std::filesystem::remove_all(appData + "Demo Data");
  InstallSampleData(shared, appData);
  EXPECT_FALSE(std::filesystem::exists(appData + "Demo Data"));
}

TEST_F(UserTree, FirstStartWithDemoFolderCopiesNothing) {
  const std::string shared = dir.MakeDir("share/braxel");
  dir.WriteFile("share/braxel/Demo Data/a.bmp", "img");
  const std::string appData = AppDataFolder();
  dir.MakeDir("home/me/.local/share/Tarnwell, Inc/Braxel/Demo");
  InstallSampleData(shared, appData);
  EXPECT_EQ(GetProfileString(RegistryStorePath(), "Settings", "bDInstalled", ""), "TRUE");
  EXPECT_FALSE(std::filesystem::exists(appData + "Demo Data"));
}

TEST_F(UserTree, SettingsFileProbe) {
  ResetSettingsFileCache();
  const std::string path = FindSettingsFile("QV_SearchHistory.INI", "Tarnwell, Inc", "Braxel", 26);
  EXPECT_EQ(path, home + "/.config/Tarnwell, Inc/Braxel/QV_SearchHistory.INI");
  EXPECT_EQ(GetProfileString(path, "Main", "Partial", ""), "Level3");
  // Cached for the rest of the run.
  setenv("XDG_CONFIG_HOME", dir.Sub("elsewhere").c_str(), 1);
  EXPECT_EQ(FindSettingsFile("QV_SearchHistory.INI", "Tarnwell, Inc", "Braxel", 26), path);
  ResetSettingsFileCache();
  EXPECT_FALSE(IsUsableSettingsFile("/proc/nope/QV_SearchHistory.INI"));
  EXPECT_FALSE(IsUsableSettingsFile("Folder Not Valid On this OS/Tarnwell, Inc/Braxel/x.INI"));
}

}  // namespace
}  // namespace braxel
