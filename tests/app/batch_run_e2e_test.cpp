// SPDX-License-Identifier: GPL-3.0-or-later
// Converting real folders from the shell: braxel run as a process on generated folders.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/text.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::BraxelExe;
using test::ReadWholeFile;
using test::RunProgram;
using test::TempDir;
namespace fs = std::filesystem;

class BatchRun : public test::ProgramTest {
 protected:
  // A small image written by GraphicsMagick.
  std::string Image(const std::string& relative, const std::string& spec = "gradient:red-blue") {
    const std::string path = dir.Sub(relative);
    fs::create_directories(fs::path(path).parent_path());
    const auto made = RunProgram("/usr/bin/gm", {"convert", "-size", "40x30", spec, path});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return path;
  }
  std::string Settings() { return home + "/.config/Tarnwell, Inc/Braxel/QV_SearchHistory.INI"; }
};

TEST_F(BatchRun, FolderToFolderWithSubfolders) {
  Image("in/a.png");
  Image("in/sub/b.png");
  Image("in/c.bmp");
  const std::string log = dir.Sub("logs/run[YMD].log");
  const auto result = Run({"/S", dir.Sub("in/*.png"), "/T", dir.Sub("out/*.jpg"), "/R", "/L", log});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(dir.Sub("out/a.jpg")));
  EXPECT_TRUE(fs::exists(dir.Sub("out/sub/b.jpg")));
  EXPECT_FALSE(fs::exists(dir.Sub("out/c.jpg")));
  // The date token was replaced; the log holds the header, the success and the time line.
  std::string text;
  for (const auto& entry : fs::directory_iterator(dir.Sub("logs"))) text = ReadWholeFile(entry.path());
  const auto lines = SplitTextLines(text);
  ASSERT_EQ(lines.size(), 4u) << text;
  EXPECT_TRUE(lines[0].starts_with("---------- braxel (v"));
  EXPECT_TRUE(lines[1].starts_with("Date: "));
  EXPECT_EQ(lines[2], "Conversion Successful");
  EXPECT_TRUE(lines[3].starts_with("Time to complete job: "));
  EXPECT_NE(lines[3].find('.'), std::string::npos);
}

TEST_F(BatchRun, SaveNextToInputAndSingleFile) {
  Image("in/a.png");
  Image("in/sub/b.png");
  EXPECT_EQ(Run({"/S", dir.Sub("in/*.png"), "/G", "/R", "/C", "2"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.Sub("in/a.bmp")));
  EXPECT_TRUE(fs::exists(dir.Sub("in/sub/b.bmp")));
  EXPECT_EQ(Run({"/S", dir.Sub("in/a.png"), "/T", dir.Sub("single/a.tif")}).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.Sub("single/a.tif")));
}

TEST_F(BatchRun, ManyFilesIntoOneTiff) {
  Image("in/a.png");
  Image("in/b.png");
  Image("in/c.png");
  const auto result = Run({"/S", dir.Sub("in/*.png"), "/T", dir.Sub("book.tif"), "/3", "TRUE"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto pages = RunProgram("/usr/bin/gm", {"identify", dir.Sub("book.tif")});
  EXPECT_EQ(SplitTextLines(pages.out).size(), 3u) << pages.out;
}

TEST_F(BatchRun, UnreadableFileAmongGoodOnes) {
  Image("in/a.png");
  dir.WriteFile("in/broken.png", "this is not a picture");
  Image("in/c.png");
  const std::string log = dir.Sub("run.log");
  const auto result =
      Run({"/S", dir.Sub("in/*.png"), "/T", dir.Sub("out/*.jpg"), "/L", log, "/Z", "/B", dir.Sub("failed.bxj")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(fs::exists(dir.Sub("out/a.jpg")));
  EXPECT_TRUE(fs::exists(dir.Sub("out/c.jpg")));
  const std::string text = ReadWholeFile(log);
  // The problem line written while running (twelve fields), then the report line.
  EXPECT_NE(text.find("\t" + dir.Sub("in/broken.png") + "\t"), std::string::npos) << text;
  EXPECT_NE(text.find("Job # 1  ALT: Unsupported source image file format. Unable to load image. - " +
                      dir.Sub("in/broken.png")),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Conversion Successful"), std::string::npos);
  for (const std::string& line : SplitTextLines(text))
    if (line.find('\t') != std::string::npos) {
      EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 11) << line;
    }
  // The job saved from the log re-runs the failed file only: fix it and run the job.
  ASSERT_TRUE(fs::exists(dir.Sub("failed.bxj")));
  Image("in/broken.png");
  const auto rerun = Run({"/J", dir.Sub("failed.bxj"), "/L", dir.Sub("rerun.log")});
  EXPECT_EQ(rerun.exitCode, 0) << ReadWholeFile(dir.Sub("rerun.log"));
  EXPECT_TRUE(fs::exists(dir.Sub("out/broken.jpg")));
  EXPECT_NE(ReadWholeFile(dir.Sub("rerun.log")).find("Conversion Successful"), std::string::npos);
}

TEST_F(BatchRun, JobFileRun) {
  Image("in/a.png");
  const std::string job = dir.WriteFile("job.bxj", "M\t" + std::string(20, '^') + "\t1\tC\t" + dir.Sub("in/*.png") +
                                                        "\t8\tpng\t" + dir.Sub("out/*.gif") + "\t4\tgif\t\t\n" +
                                                        "\t\t*\t\t\t\t\t\t\t\t\t\n");
  const auto result = Run({"/J", job, "/L", dir.Sub("job.log")});
  EXPECT_EQ(result.exitCode, 0) << ReadWholeFile(dir.Sub("job.log"));
  EXPECT_TRUE(fs::exists(dir.Sub("out/a.gif")));
  EXPECT_NE(ReadWholeFile(dir.Sub("job.log")).find("Conversion Successful"), std::string::npos);
}

TEST_F(BatchRun, MissingInputFolderAndVerboseWithoutDisplay) {
  const auto result = Run({"/S", dir.Sub("none/*.png"), "/T", dir.Sub("out/*.jpg"), "/V"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("Input Folder"), std::string::npos);
  Image("in/a.png");
  const auto ok = Run({"/S", dir.Sub("in/a.png"), "/T", dir.Sub("a.jpg"), "/V"});
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_NE(ok.err.find("Conversion Successful"), std::string::npos);
  EXPECT_NE(ok.err.find("Time to complete job: "), std::string::npos);
  // Not a terminal: no progress line.
  EXPECT_EQ(ok.err.find('\r'), std::string::npos);
}

// On a terminal (made by script(1)) the run shows a progress line on standard error.
TEST_F(BatchRun, ProgressLineOnATerminal) {
  if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) is not installed";
  Image("in/a.png");
  Image("in/b.png");
  const std::string command = BraxelExe() + " /S '" + dir.Sub("in/*.png") + "' /T '" + dir.Sub("out/*.bmp") + "'";
  const auto result = RunProgram("/usr/bin/script", {"-qec", command, "/dev/null"}, env, dir.path());
  EXPECT_EQ(result.exitCode, 0) << result.out;
  EXPECT_NE(result.out.find("\r"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("/2  "), std::string::npos) << result.out;
  EXPECT_TRUE(fs::exists(dir.Sub("out/b.bmp")));
}

TEST_F(BatchRun, VerboseLoggingAndSettingsOptions) {
  Image("in/a.png");
  fs::create_directories(fs::path(Settings()).parent_path());
  // Options of the settings file apply to command-line runs: delete the input after success.
  test::TempDir unused;
  std::ofstream(Settings()) << "[frmMain]\nbDeleteOriginalFileAfterProcessing=TRUE\nsLogFile=" << dir.Sub("window.log")
                            << "\n";
  const auto result = Run({"/S", dir.Sub("in/*.png"), "/T", dir.Sub("out/*.jpg"), "/Z"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(dir.Sub("out/a.jpg")));
  EXPECT_FALSE(fs::exists(dir.Sub("in/a.png")));
  // The window's log file receives the successful file's line.
  EXPECT_NE(ReadWholeFile(dir.Sub("window.log")).find(dir.Sub("out/a.jpg")), std::string::npos);
  // A batch run writes nothing to the settings file.
  EXPECT_EQ(ReadWholeFile(Settings()).find("Partial"), std::string::npos);
}

TEST_F(BatchRun, TwoInstancesAppendWholeLines) {
  for (int i = 0; i < 6; ++i) dir.WriteFile("in/bad" + std::to_string(i) + ".png", "not an image");
  const std::string log = dir.Sub("shared.log");
  std::vector<pid_t> children;
  for (int k = 0; k < 2; ++k) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const auto r =
          Run({"/S", dir.Sub("in/*.png"), "/T", dir.Sub("out" + std::to_string(k) + "/*.jpg"), "/Z", "/L", log});
      _exit(r.exitCode);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);
  }
  int entries = 0;
  for (const std::string& line : SplitTextLines(ReadWholeFile(log))) {
    if (line.find('\t') == std::string::npos) continue;
    ++entries;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 11) << line;
  }
  EXPECT_EQ(entries, 12);
}

}  // namespace
}  // namespace braxel
