// SPDX-License-Identifier: GPL-3.0-or-later
// The run engine over real job grids: start points, pause between files, rewind, reload rows.
#include "engine/job_run.h"

#include <gtest/gtest.h>

#include <fstream>

#include "engine/process_state.h"
#include "job/job_file.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::TempDir;

// A row of an action that does nothing ("X"): the walk runs it and marks it.
std::vector<std::string> IdleRow(int task) { return {"", "", std::to_string(task), "X", "", "", "", "", "", "", ""}; }

class JobRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Process().bCommandLineMode = false;
    session.bWindowVisible = true;
  }
  void TearDown() override { Process().bCommandLineMode = false; }
  void AddRows(int count) {
    for (int i = 1; i <= count; ++i) session.fgToDo.InsertRow(session.fgToDo.Rows() - 1, IdleRow(i));
  }
  Session session;
  TempDir dir;
};

TEST(ReportNumbers, OneDecimal) {
  EXPECT_EQ(FormatOneDecimal(0.049), "0.0");
  EXPECT_EQ(FormatOneDecimal(1234.56), "1234.6");
  EXPECT_EQ(FormatOneDecimal(100.0), "100.0");
}

TEST_F(JobRun, StartPointsAndRewind) {
  AddRows(3);
  EXPECT_EQ(FindStartPoint(session.fgToDo), 1);
  UpdatePassedCell(session.fgToDo, 1, 0);
  UpdatePassedCell(session.fgToDo, 2, -5);
  EXPECT_EQ(session.fgToDo.Cell(2, todo::kPass), "-");
  EXPECT_EQ(FindStartPoint(session.fgToDo), 3);
  UpdatePassedCell(session.fgToDo, 3, 0);
  EXPECT_EQ(FindStartPoint(session.fgToDo), 4);  // every item row marked
  // A fully marked job starts over at row 1.
  ConversionJobBegin(session);
  EXPECT_EQ(session.fgToDo.Cell(1, todo::kPass), "+");
  EXPECT_EQ(session.fgToDo.Cell(2, todo::kPass), "+");
  EXPECT_EQ(session.panels[panel::kProgress].text, " 100 Percent Complete ");
  EXPECT_EQ(session.panels[panel::kRow].text, "-");
  ConversionJobRewind(session);
  EXPECT_EQ(FindStartPoint(session.fgToDo), 1);
  EXPECT_EQ(session.lResumeFileIndex, 0);
}

TEST_F(JobRun, PauseStopsBetweenRowsAndContinues) {
  AddRows(4);
  int events = 0;
  session.doEvents = [&] {
    if (++events == 2) ConversionJobPause(session);
  };
  ConversionJobBegin(session);
  EXPECT_EQ(session.panels[panel::kProgress].text, "Pause");
  EXPECT_EQ(session.fgToDo.Cell(2, todo::kPass), "+");
  EXPECT_EQ(session.fgToDo.Cell(3, todo::kPass), "");
  EXPECT_FALSE(session.bRunning);
  session.doEvents = nullptr;
  ConversionJobBegin(session);  // continues at the first unmarked row
  EXPECT_EQ(session.fgToDo.Cell(4, todo::kPass), "+");
}

TEST_F(JobRun, ReadsRowsIntoTheItem) {
  session.fgToDo.InsertRow(1, {"RGM", "5^^", "1", "C", "/in/*.png", "8", "png", "/out/*.jpg", "1", "jpg", ""});
  session.fgToDo.InsertRow(2, {"", "p", "2", "S12", "", "", "", "", "", "", ""});
  clsConversionOptions item;
  ReadJobRowIntoItem(item, 1, session.fgToDo);
  EXPECT_TRUE(item.bDoSubfolders && item.bSaveInOriginalFolder);
  EXPECT_EQ(item.lConversionMethod, 1);
  EXPECT_EQ(item.lTargetFileType, 1);
  ReadJobRowIntoItem(item, 2, session.fgToDo);
  EXPECT_EQ(item.lSpecialProcess, 12);
  EXPECT_EQ(item.sOriginalFile, "");     // an empty cell replaces the text
  EXPECT_EQ(item.lTargetFileType, 1);    // an empty code cell keeps the previous value
  EXPECT_TRUE(item.bDoSubfolders);       // flags are only ever set
}

TEST_F(JobRun, ReloadRowLoadsTheRestOfALargeJob) {
  const std::string job = dir.Sub("big.bxj");
  {
    std::ofstream out(job);
    for (int i = 1; i <= 40000; ++i) {
      for (const std::string& cell : IdleRow(i)) out << cell << '\t';
      out << '\n';
    }
  }
  InstallJobFileLoader(session);
  ASSERT_TRUE(LoadJobFile(job, 1, session));
  ASSERT_EQ(session.fgToDo.Rows(), 30002);
  EXPECT_EQ(session.fgToDo.Cell(30000, todo::kAction), "S1");
  Process().bCommandLineMode = true;
  ConversionJobBegin(session);
  // The run reached the reload row, loaded lines 30000 to 40000 and ran them.
  EXPECT_EQ(session.fgToDo.Rows(), 10001 + 2);
  EXPECT_EQ(session.fgToDo.Cell(1, todo::kTask), "30000");
  EXPECT_EQ(session.fgToDo.Cell(10001, todo::kTask), "40000");
  EXPECT_EQ(session.fgToDo.Cell(10001, todo::kPass), "+");
}

TEST_F(JobRun, ReloadOfAVanishedFileStops) {
  InstallJobFileLoader(session);
  session.fgToDo.InsertRow(1, {" ", " ", "1", "S1", "Reload conversion job start at task 5", "0", "0",
                               dir.Sub("gone.bxj"), "5", "", ""});
  Process().bCommandLineMode = true;
  ConversionJobBegin(session);
  EXPECT_EQ(session.fgToDo.Cell(1, todo::kPass), "-");
  EXPECT_EQ(session.fgLog.Rows(), 3);  // one logged failure
}

}  // namespace
}  // namespace braxel
