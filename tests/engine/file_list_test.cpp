// SPDX-License-Identifier: GPL-3.0-or-later
// Input file lists (patterns, subfolder order, loops, stops), per-file output names and the
// completion of output specifications.
#include "engine/file_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "engine/formats.h"
#include "platform/files.h"
#include "platform/path.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::TempDir;

constexpr int32_t kJpeg = 1;

std::set<std::string> AsSet(const std::vector<std::string>& list) {
  return {list.begin(), list.end()};
}

size_t PositionOf(const std::vector<std::string>& list, const std::string& path) {
  return static_cast<size_t>(std::find(list.begin(), list.end(), path) - list.begin());
}

clsConversionOptions Item(const std::string& input, const std::string& output) {
  clsConversionOptions item;
  item.sOriginalFile = input;
  item.sTargetFile = output;
  item.lOriginalFileType = 8;
  item.lTargetFileType = kJpeg;
  return item;
}

TEST(FileList, MatchesExtensionPatterns) {
  struct Case {
    const char* pattern;
    const char* extension;
    bool expected;
  };
  const Case cases[] = {
      {"*.PNG", "png", true},   {"*.png", "PNG", true}, {"*.jpg", "jpeg", false},
      {"*.jpeg", "jpg", false}, {"*.*", "", true},      {"*.*", "tif", true},
      {"*.", "", true},         {"*.png", "", false},   {"*.", "png", false},
      {"*png", "png", false},   {"*.pn", "png", false}, {"*", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesExtensionPattern(c.pattern, c.extension), c.expected)
        << c.pattern << " / " << c.extension;
}

TEST(FileList, PatternSelectsFiles) {
  TempDir dir;
  for (const char* name : {"a.png", "b.PNG", "c.jpeg", "noext", "d.png.bak", "e.b.png"})
    dir.WriteFile(std::string("In/") + name);
  dir.MakeDir("In/folder.png");  // folders are never files of the list
  struct Case {
    const char* pattern;
    std::set<std::string> names;
  };
  const Case cases[] = {
      {"*.PNG", {"a.png", "b.PNG", "e.b.png"}},
      {"*.*", {"a.png", "b.PNG", "c.jpeg", "noext", "d.png.bak", "e.b.png"}},
      {"*.", {"noext"}},
      {"*.jpg", {}},
  };
  for (const Case& c : cases) {
    clsConversionOptions item = Item(dir.Sub("In/") + c.pattern, dir.Sub("Out/*.jpg"));
    std::vector<std::string> list{"stale entry"};
    ASSERT_TRUE(BuildFileList(item, list)) << c.pattern;
    std::set<std::string> expected;
    for (const std::string& name : c.names) expected.insert(dir.Sub("In/" + name));
    EXPECT_EQ(AsSet(list), expected) << c.pattern;
  }
}

// In/x1.png In/x2.png In/Sub/y.png In/Sub/Deep/z.png In/Other/w.png
void MakeTree(const TempDir& dir) {
  for (const char* name : {"x1.png", "x2.png", "Sub/y.png", "Sub/Deep/z.png", "Other/w.png"})
    dir.WriteFile(std::string("In/") + name);
}

TEST(FileList, OwnFilesBeforeSubfoldersDepthFirst) {
  TempDir dir;
  MakeTree(dir);
  clsConversionOptions item = Item(dir.Sub("In/*.png"), dir.Sub("Out/*.jpg"));
  std::vector<std::string> list;
  ASSERT_TRUE(BuildFileList(item, list));
  EXPECT_EQ(AsSet(list), (std::set<std::string>{dir.Sub("In/x1.png"), dir.Sub("In/x2.png")}));

  item.bDoSubfolders = true;
  ASSERT_TRUE(BuildFileList(item, list));
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(AsSet({list[0], list[1]}),
            (std::set<std::string>{dir.Sub("In/x1.png"), dir.Sub("In/x2.png")}));
  // Sub's own file, then its subfolder's, with no other folder's file between them.
  const size_t y = PositionOf(list, dir.Sub("In/Sub/y.png"));
  EXPECT_EQ(PositionOf(list, dir.Sub("In/Sub/Deep/z.png")), y + 1);
  EXPECT_LT(PositionOf(list, dir.Sub("In/Other/w.png")), list.size());
}

TEST(FileList, MirroredOutputsCreateFolders) {
  TempDir dir;
  MakeTree(dir);
  clsConversionOptions item = Item(dir.Sub("In/*.png"), dir.Sub("Out/*.jpg"));
  item.bDoSubfolders = true;
  std::vector<std::string> list;
  ASSERT_TRUE(BuildFileList(item, list));
  ASSERT_EQ(GetItemShape(item), ItemShape::kFolderToFolder);
  OutputNaming naming = ComputeOutputNaming(item);
  clsConversionOptions perFile = MakePerFileItem(item, ItemShape::kFolderToFolder);
  std::set<std::pair<std::string, std::string>> named;
  for (const std::string& file : list) {
    ApplyOutputName(naming, file, perFile);
    EXPECT_EQ(perFile.sOriginalFile, file);
    named.insert({perFile.sSubFolder, perFile.sTargetFile});
  }
  const std::set<std::pair<std::string, std::string>> expected = {
      {"", dir.Sub("Out/x1.jpg")},
      {"", dir.Sub("Out/x2.jpg")},
      {"Sub/", dir.Sub("Out/Sub/y.jpg")},
      {"Sub/Deep/", dir.Sub("Out/Sub/Deep/z.jpg")},
      {"Other/", dir.Sub("Out/Other/w.jpg")},
  };
  EXPECT_EQ(named, expected);
  EXPECT_TRUE(FolderExists(dir.Sub("Out/Sub/Deep")));
  EXPECT_TRUE(FolderExists(dir.Sub("Out/Other")));
}

TEST(FileList, SaveNextToInputCreatesNoOutputFolder) {
  TempDir dir;
  MakeTree(dir);
  clsConversionOptions item = Item(dir.Sub("In/*.png"), dir.Sub("Out/*.jpg"));
  item.bSaveInOriginalFolder = true;
  OutputNaming naming = ComputeOutputNaming(item);
  const OutputName name = PrepareOutputFile(naming, dir.Sub("In/Sub/y.png"));
  EXPECT_EQ(name.sTargetFile, dir.Sub("In/Sub/y.jpg"));
  EXPECT_EQ(name.sSubFolder, "Sub/");
  EXPECT_FALSE(PathEntryExists(dir.Sub("Out")));
}

TEST(FileList, NamesOutputs) {
  struct Case {
    const char* name;
    const char* input;
    const char* output;
    bool saveNextToInput;
    const char* file;
    const char* subFolder;
    const char* target;
  };
  const Case cases[] = {
      {"plain", "/In/*.png", "/Out/*.jpg", false, "/In/a.png", "", "/Out/a.jpg"},
      {"subfolder", "/In/*.png", "/Out/*.jpg", false, "/In/S1/S2/a.png", "S1/S2/",
       "/Out/S1/S2/a.jpg"},
      {"inner dots", "/In/*.png", "/Out/*.jpg", false, "/In/a.b.png", "", "/Out/a.b.jpg"},
      {"extension from pattern", "/In/*.png", "/Out/*.jpeg", false, "/In/a.png", "", "/Out/a.jpeg"},
      {"extension from format", "/In/*.png", "/Out/*", false, "/In/a.png", "", "/Out/a.jpg"},
      {"root input", "/*.png", "/Out/*.jpg", false, "/a.png", "", "/Out/a.jpg"},
      {"root input subfolder", "/*.png", "/Out/*.jpg", false, "/S/a.png", "S/", "/Out/S/a.jpg"},
      {"doubled separator", "/In//*.png", "/Out/*.jpg", false, "/In//S/a.png", "S/",
       "/Out/S/a.jpg"},
      {"next to input", "/In/*.png", "/Out/*.jpg", true, "/In/S/y.png", "S/", "/In/S/y.jpg"},
      {"next to input in root", "/*.png", "/Out/*.jpg", true, "/y.png", "", "/y.jpg"},
      {"many to one", "/In/*.png", "/Out/book.tif", false, "/In/S/p.png", "S/", "/Out/book.tif"},
      {"many to one ignores next to input", "/In/*.png", "/Out/book.tif", true, "/In/p.png", "",
       "/Out/book.tif"},
  };
  for (const Case& c : cases) {
    clsConversionOptions item = Item(c.input, c.output);
    item.bSaveInOriginalFolder = c.saveNextToInput;
    const OutputName name = NameOutputFile(ComputeOutputNaming(item), c.file);
    EXPECT_EQ(name.sSubFolder, c.subFolder) << c.name;
    EXPECT_EQ(name.sTargetFile, c.target) << c.name;
  }
  EXPECT_EQ(ComputeOutputNaming(Item("/*.png", "/Out/*.jpg")).sInputRoot, "/");
}

TEST(FileList, MissingInputs) {
  TempDir dir;
  clsConversionOptions item = Item(dir.Sub("missing.png"), dir.Sub("out.jpg"));
  std::vector<std::string> list;
  EXPECT_FALSE(BuildFileList(item, list));
  EXPECT_EQ(item.sErr, "File: " + dir.Sub("missing.png") + " does not exist");

  item = Item(dir.Sub("Nope/*.png"), dir.Sub("Out/*.jpg"));
  EXPECT_FALSE(BuildFileList(item, list));
  EXPECT_EQ(item.sErr, "Folder: " + dir.Sub("Nope/") + " does not exist");
  // Text before the "*" makes the folder part name a folder that does not exist.
  dir.WriteFile("In/a1.png");
  item = Item(dir.Sub("In/a*.png"), dir.Sub("Out/*.jpg"));
  EXPECT_FALSE(BuildFileList(item, list));

  const std::string single = dir.WriteFile("one.png");
  item = Item(single, dir.Sub("one.jpg"));
  ASSERT_TRUE(BuildFileList(item, list));
  EXPECT_EQ(list, std::vector<std::string>{single});
}

TEST(FileList, SymlinkLoopsAndUnreadableFolders) {
  TempDir dir;
  dir.WriteFile("In/a.png");
  dir.WriteFile("In/Sub/b.png");
  ASSERT_EQ(symlink(dir.Sub("In").c_str(), dir.Sub("In/Sub/loop").c_str()), 0);
  ASSERT_EQ(symlink(dir.Sub("In/Sub").c_str(), dir.Sub("In/again").c_str()), 0);
  const bool privileged = geteuid() == 0;  // permissions do not stop root
  if (!privileged) {
    dir.WriteFile("In/Locked/c.png");
    ASSERT_EQ(chmod(dir.Sub("In/Locked").c_str(), 0), 0);
  }

  clsConversionOptions item = Item(dir.Sub("In/*.png"), dir.Sub("Out/*.jpg"));
  item.bDoSubfolders = true;
  std::vector<std::string> list;
  ASSERT_TRUE(BuildFileList(item, list));
  // Each file once: the loop back to In and the second link to Sub are not scanned again.
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(AsSet({FileNameOf(list[0]), FileNameOf(list[1])}),
            (std::set<std::string>{"a.png", "b.png"}));

  if (!privileged) {  // root reads every folder
    item = Item(dir.Sub("In/Locked/*.png"), dir.Sub("Out/*.jpg"));
    EXPECT_FALSE(BuildFileList(item, list));
    EXPECT_EQ(item.sErr, "Folder: " + dir.Sub("In/Locked/") + " cannot be read");
  }
}

TEST(FileList, StopDuringScanKeepsFilesFound) {
  TempDir dir;
  for (int i = 0; i < 6; ++i) dir.WriteFile("In/f" + std::to_string(i) + ".png");
  dir.WriteFile("In/Sub/g.png");
  int events = 0;
  int runningChecks = 0;
  std::vector<std::string> statuses;
  ScanControl control;
  control.doEvents = [&] { ++events; };
  control.isRunning = [&] { return ++runningChecks <= 3; };
  control.showStatus = [&](const std::string& text) { statuses.push_back(text); };

  std::vector<std::string> list;
  EXPECT_EQ(CollectFolderFiles(dir.Sub("In"), "*.png", list, true, control), kCollectStopped);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_GE(events, 4);  // once for the folder, then before every file
  EXPECT_EQ(statuses, std::vector<std::string>{"Creating File List: " + dir.Sub("In/")});

  runningChecks = 0;
  clsConversionOptions item = Item(dir.Sub("In/*.png"), dir.Sub("Out/*.jpg"));
  item.bDoSubfolders = true;
  EXPECT_TRUE(BuildFileList(item, list, control));
  EXPECT_EQ(list.size(), 3u);
}

TEST(FileList, ShapesAndPerFileItem) {
  EXPECT_EQ(GetItemShape(Item("/a.png", "/b.jpg")), ItemShape::kSingleFile);
  EXPECT_EQ(GetItemShape(Item("/In/*.png", "/Out/*.jpg")), ItemShape::kFolderToFolder);
  EXPECT_EQ(GetItemShape(Item("/In/*.png", "/Out/b.tif")), ItemShape::kManyToOne);
  EXPECT_EQ(GetItemShape(Item("/a.png", "/Out/*.jpg")), ItemShape::kRejected);

  clsConversionOptions item = Item("/In/*.png", "/Out/*.jpg");
  item.sActionToDo = "S12";
  item.lSpecialProcess = 12;
  item.sExtraParams = "1^0^FALSE^";
  item.bVerboseLog = true;
  item.sLogFile = "/tmp/log.txt";
  item.lConversionMethod = 1;
  item.bSaveInOriginalFolder = true;
  const clsConversionOptions perFile = MakePerFileItem(item, ItemShape::kFolderToFolder);
  EXPECT_EQ(perFile.sActionToDo, "S12");
  EXPECT_EQ(perFile.lSpecialProcess, 12);
  EXPECT_EQ(perFile.sExtraParams, item.sExtraParams);
  EXPECT_TRUE(perFile.bVerboseLog);
  EXPECT_EQ(perFile.sLogFile, item.sLogFile);
  EXPECT_EQ(perFile.lOriginalFileType, 8);
  EXPECT_EQ(perFile.lTargetFileType, kJpeg);
  EXPECT_TRUE(perFile.sOriginalFile.empty());
  EXPECT_EQ(MakePerFileItem(item, ItemShape::kSingleFile).lTargetFileType, UNSET_FILE_TYPE);
}

TEST(FileList, CompletesOutputSpecification) {
  TempDir dir;
  dir.MakeDir("Existing");
  dir.MakeDir("my.folder");
  const std::string root = dir.path();
  struct Case {
    const char* name;
    std::string input;
    std::string output;
    int32_t format;
    std::string expected;
  };
  const Case cases[] = {
      {"folder with separator", "/In/*.png", "/Out/", kJpeg, "/Out/*.jpg"},
      {"folder without separator", "/In/*.png", root + "/Out", kJpeg, root + "/Out/*.jpg"},
      {"trailing dot", "/In/*.png", "/Out/*.", kJpeg, "/Out/*.jpg"},
      {"bare star", "/In/*.png", "/Out/*", kJpeg, "/Out/*.jpg"},
      {"complete pattern", "/In/*.png", "/Out/*.jpeg", kJpeg, "/Out/*.jpeg"},
      {"folder with dot for a list", "/In/*.png", root + "/my.folder", kJpeg,
       root + "/my.folder/*.jpg"},
      {"file without extension", "/In/photo.png", root + "/photo", kJpeg, root + "/photo.jpg"},
      {"file with extension", "/In/photo.png", "/Out/x.png", kJpeg, "/Out/x.png"},
      {"file with trailing dot", "/In/photo.png", "/Out/x.", kJpeg, "/Out/x.jpg"},
      {"single into folder", "/In/photo.png", "/Out/", kJpeg, "/Out/photo.jpg"},
      {"single into existing folder", "/In/a.b.png", root + "/Existing", kJpeg,
       root + "/Existing/a.b.jpg"},
      {"single into folder with dot", "/In/photo.png", root + "/my.folder", kJpeg,
       root + "/my.folder/photo.jpg"},
      {"single dot-file into folder", "/In/.scan", "/Out/", kJpeg, "/Out/.scan.jpg"},
      {"format without extension", "/In/*.png", "/Out/", UNSET_FILE_TYPE, "/Out/"},
      {"empty output", "/In/*.png", "", kJpeg, ""},
  };
  for (const Case& c : cases) {
    clsConversionOptions item = Item(c.input, c.output);
    item.lTargetFileType = c.format;
    CompleteOutputSpecification(item);
    EXPECT_EQ(item.sTargetFile, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace braxel
