// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

TEST(Files, ExistenceAndPatterns) {
  TempDir dir;
  dir.WriteFile("Photo.png");
  dir.MakeDir("folder");
  EXPECT_TRUE(FileExists(dir.Sub("Photo.png")));
  EXPECT_TRUE(FileExists("  " + dir.Sub("Photo.png") + " "));
  EXPECT_FALSE(FileExists(dir.Sub("photo.png")));  // names are case-sensitive
  EXPECT_FALSE(FileExists(dir.Sub("folder")));
  EXPECT_TRUE(FolderExists(dir.Sub("folder")));
  // A pattern counts only when the first match's name occurs in the text.
  EXPECT_FALSE(FileExists(dir.Sub("*.png")));
  EXPECT_FALSE(FileExists(""));
}

TEST(Files, CreateFolderPathMakesParents) {
  TempDir dir;
  CreateFolderPath(dir.Sub("a/b//c/"));
  EXPECT_TRUE(FolderExists(dir.Sub("a/b/c")));
}

TEST(Files, ListFolderResolvesSymlinks) {
  TempDir dir;
  dir.WriteFile("f.txt");
  dir.MakeDir("sub");
  ASSERT_EQ(symlink(dir.Sub("sub").c_str(), dir.Sub("link").c_str()), 0);
  auto entries = ListFolder(dir.path());
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 3u);
  for (const auto& e : *entries) {
    if (e.name == "f.txt") EXPECT_EQ(e.type, EntryType::kFile);
    if (e.name == "sub") EXPECT_EQ(e.type, EntryType::kFolder);
    if (e.name == "link") {
      EXPECT_EQ(e.type, EntryType::kFolder);
      EXPECT_TRUE(e.isSymlink);
    }
  }
  EXPECT_FALSE(ListFolder(dir.Sub("missing")));
}

TEST(Files, AtomicOutputLeavesNoPartialFile) {
  TempDir dir;
  const std::string target = dir.WriteFile("out.bin", "old");
  {
    auto file = AtomicOutputFile::Create(target);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write("new!", 4));
    EXPECT_EQ(ReadWholeFile(target), "old");
    // Destroyed without Commit: the temporary file goes, the target stays.
  }
  EXPECT_EQ(ReadWholeFile(target), "old");
  EXPECT_EQ(ListFolder(dir.path())->size(), 1u);
  ASSERT_TRUE(WriteFileAtomic(target, "new", /*durable=*/true));
  EXPECT_EQ(ReadWholeFile(target), "new");
  EXPECT_EQ(ListFolder(dir.path())->size(), 1u);
}

TEST(Files, TimesRoundTripWithNanoseconds) {
  TempDir dir;
  const std::string f = dir.WriteFile("t");
  ASSERT_TRUE(SetFileTimes(f, {1000000000, 123456789}, {1100000000, 987654321}));
  const auto times = GetFileTimes(f);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->access, (FileTime{1000000000, 123456789}));
  EXPECT_EQ(times->modification, (FileTime{1100000000, 987654321}));
}

TEST(Files, SameFileByInode) {
  TempDir dir;
  const std::string a = dir.WriteFile("a");
  ASSERT_EQ(link(a.c_str(), dir.Sub("b").c_str()), 0);
  EXPECT_TRUE(IsSameFile(a, dir.Sub("b")));
  EXPECT_FALSE(IsSameFile(a, dir.Sub("missing")));
}

}  // namespace
}  // namespace braxel
