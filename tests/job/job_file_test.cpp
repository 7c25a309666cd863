// SPDX-License-Identifier: GPL-3.0-or-later
// Job file reading and writing: round trips, skipped and odd lines, first tasks, reload rows,
// failed writes and the job written from a log grid.
#include "job/job_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "engine/process_state.h"
#include "job/job_test_support.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::AddRow;
using test::ItemCells;
using test::JobLine;
using test::PrepareSession;
using test::ReadWholeFile;
using test::TempDir;

std::vector<std::string> RowCells(const Grid& grid, int row) { return grid.Row(row).cells; }

TEST(JobFile, SaveAndReopenOneItemGivesTheSameGrid) {
  TempDir dir;
  Session saved;
  PrepareSession(saved);
  auto item = ItemCells(1);
  item[todo::kInput] = "/in/Bilder äöü/*.png";  // non-ASCII text survives as UTF-8
  item[todo::kPass] = "+";
  AddRow(saved.fgToDo, item);
  const std::string path = dir.Sub("one.bxj");
  ASSERT_TRUE(WriteJobFile(path, saved.fgToDo).ok());

  // One line per row, each cell followed by a TAB; the marker line is "*" after two TABs with
  // nine after it.
  EXPECT_EQ(ReadWholeFile(path), JobLine(item) + "\n" + "\t\t*\t\t\t\t\t\t\t\t\t\n");

  Session reopened;
  PrepareSession(reopened);
  AddRow(reopened.fgToDo, ItemCells(7));  // replaced by the loaded job
  ASSERT_TRUE(LoadJobFile(path, 1, reopened));
  ASSERT_EQ(reopened.fgToDo.Rows(), 3);  // header, the item, one marker row
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(RowCells(reopened.fgToDo, row), RowCells(saved.fgToDo, row)) << row;
  EXPECT_EQ(reopened.fgToDo.currentRow, 2);  // the marker row

  // Saving the reopened job writes the same file again.
  const std::string again = dir.Sub("again.bxj");
  ASSERT_TRUE(WriteJobFile(again, reopened.fgToDo).ok());
  EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(path));
}

TEST(JobFile, LinesAreReadAsTheyStand) {
  struct Case {
    const char* name;
    std::string line;
    bool added;
    std::vector<std::string> cells;  // expected cells 0.. (the rest empty; "#" is renumbered)
  };
  const std::vector<Case> cases = {
      {"empty", "", false, {}},
      {"blanks", "   ", false, {}},
      {"marker", "\t\t*\t\t\t\t\t\t\t\t\t", false, {}},
      {"bare star", "*", false, {}},
      {"tabs only", "\t\t\t", true, {"", "", "1", ""}},
      {"star with blank", " *\t", true, {" *", "", "1"}},
      {"few cells", "R\tp\t9\tC", true, {"R", "p", "1", "C"}},
      {"cr lf", "G\tx\t3\tS12\r", true, {"G", "x", "1", "S12"}},
      {"more than eleven",
       "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\textra\tmore",
       true,
       {"0", "1", "1", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"windows-1252",
       "\tcaf\xE9\t1\tC\t/in/\xFC.png",
       true,
       {"", "caf\xC3\xA9", "1", "C", "/in/\xC3\xBC.png"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.WriteFile("job.bxj", c.line + "\n");
    Session session;
    PrepareSession(session);
    ASSERT_TRUE(LoadJobFile(path, 1, session));
    ASSERT_EQ(session.fgToDo.Rows(), c.added ? 3 : 2);
    EXPECT_EQ(session.fgToDo.Cell(session.fgToDo.Rows() - 1, todo::kTask), "*");
    if (!c.added) continue;
    std::vector<std::string> expected = c.cells;
    expected.resize(todo::kColumns);
    EXPECT_EQ(RowCells(session.fgToDo, 1), expected);
  }
}

TEST(JobFile, FirstTaskSkipsEarlierLinesAndNumbersFromIt) {
  TempDir dir;
  std::string content;
  for (int n = 1; n <= 8; ++n) content += JobLine(ItemCells(n)) + "\r\n";
  content += JobLine({"", "", "*", "", "", "", "", "", "", "", ""}) + "\r\n";
  const std::string path = dir.WriteFile("eight.bxj", content);

  Session session;
  PrepareSession(session);
  ASSERT_TRUE(LoadJobFile(path, 5, session));
  const Grid& grid = session.fgToDo;
  ASSERT_EQ(grid.Rows(), 2 + 4);
  for (int row = 1; row <= 4; ++row) {
    EXPECT_EQ(grid.Cell(row, todo::kTask), std::to_string(row + 4));
    EXPECT_EQ(grid.Cell(row, todo::kInput), ItemCells(row + 4)[todo::kInput]);
  }
  EXPECT_EQ(grid.Cell(5, todo::kTask), "*");
}

TEST(JobFile, MissingFileLeavesTheGridAlone) {
  TempDir dir;
  Session session;
  PrepareSession(session);
  AddRow(session.fgToDo, ItemCells(1));
  EXPECT_FALSE(LoadJobFile(dir.Sub("missing.bxj"), 1, session));
  EXPECT_EQ(session.fgToDo.Rows(), 3);
}

class LargeJob : public ::testing::Test {
 protected:
  static constexpr int kLines = 40000;
  void SetUp() override {
    std::string content;
    for (int n = 1; n <= kLines; ++n) content += JobLine(ItemCells(n)) + "\n";
    content += "\t\t*\t\t\t\t\t\t\t\t\t\n";
    path_ = dir_.WriteFile("large.bxj", content);
  }
  TempDir dir_;
  std::string path_;
};

TEST_F(LargeJob, LoadsUpToTheReloadRowAndTheRunLoadsTheRest) {
  Session session;
  PrepareSession(session);
  int eventCalls = 0;
  session.doEvents = [&] { ++eventCalls; };
  ASSERT_TRUE(LoadJobFile(path_, 1, session));
  const Grid& grid = session.fgToDo;

  // 29999 item rows, then the reload row naming task 30000, then the marker row.
  ASSERT_EQ(grid.Rows(), 30002);
  EXPECT_EQ(grid.Cell(29999, todo::kInput), ItemCells(29999)[todo::kInput]);
  EXPECT_EQ(grid.Cell(29999, todo::kTask), "29999");
  const std::vector<std::string> reload = {
      " ",   " ",     "30000", "S1", "Reload conversion job start at task 30000", "0", "0",
      path_, "30000", "",      ""};
  EXPECT_EQ(RowCells(grid, 30000), reload);
  EXPECT_EQ(grid.Cell(30001, todo::kTask), "*");
  EXPECT_EQ(eventCalls, 29);       // after every 1000 lines read
  EXPECT_FALSE(session.bRunning);  // restored

  // The run engine reaches the reload row and hands its file and task to the loader hook.
  session.bRunning = true;
  ASSERT_TRUE(session.loadJobFile);
  session.loadJobFile(grid.Cell(30000, todo::kOutput),
                      std::stoi(grid.Cell(30000, todo::kOutputType)));
  ASSERT_EQ(grid.Rows(), 2 + (kLines - 30000 + 1));
  EXPECT_EQ(grid.Cell(1, todo::kTask), "30000");
  EXPECT_EQ(grid.Cell(1, todo::kInput), ItemCells(30000)[todo::kInput]);
  EXPECT_EQ(grid.Cell(grid.Rows() - 2, todo::kTask), "40000");
  EXPECT_EQ(grid.Cell(grid.Rows() - 2, todo::kInput), ItemCells(40000)[todo::kInput]);
  EXPECT_EQ(grid.Cell(grid.Rows() - 1, todo::kTask), "*");
  EXPECT_TRUE(session.bRunning);  // the run goes on
}

TEST_F(LargeJob, SavingTheOpenedPartKeepsEveryItem) {
  Session session;
  PrepareSession(session);
  ASSERT_TRUE(LoadJobFile(path_, 1, session));
  // Saved over itself: the reload row stands for lines 30000 to 40000 of the file.
  ASSERT_TRUE(WriteJobFile(path_, session.fgToDo).ok());
  Session reread;
  PrepareSession(reread);
  ASSERT_TRUE(LoadJobFile(path_, 30000, reread));
  ASSERT_EQ(reread.fgToDo.Rows(), 2 + (kLines - 30000 + 1));
  EXPECT_EQ(reread.fgToDo.Cell(reread.fgToDo.Rows() - 2, todo::kInput),
            ItemCells(kLines)[todo::kInput]);
  ASSERT_TRUE(LoadJobFile(path_, 1, reread));
  EXPECT_EQ(reread.fgToDo.Cell(29999, todo::kInput), ItemCells(29999)[todo::kInput]);
  EXPECT_EQ(reread.fgToDo.Cell(30000, todo::kAction), "S1");
}

TEST_F(LargeJob, PauseWhileLoadingStopsAndStaysPaused) {
  Session session;
  PrepareSession(session);
  session.bRunning = true;                               // a run reached a reload row
  session.doEvents = [&] { session.bRunning = false; };  // the user pressed Pause
  ASSERT_TRUE(LoadJobFile(path_, 1, session));
  EXPECT_EQ(session.fgToDo.Rows(), 2 + 1000);
  EXPECT_EQ(session.fgToDo.Cell(1000, todo::kTask), "1000");
  EXPECT_FALSE(session.bRunning);
  EXPECT_FALSE(Process().bIgnoreGuiEvents);
}

TEST(JobFile, CellsThatWouldSplitTheLineAreWrittenAsBlanks) {
  TempDir dir;
  Session session;
  PrepareSession(session);
  auto item = ItemCells(1);
  item[todo::kInput] = "/in/a\tb\r\nc.png";
  AddRow(session.fgToDo, item);
  const std::string path = dir.Sub("tabs.bxj");
  ASSERT_TRUE(WriteJobFile(path, session.fgToDo).ok());
  ASSERT_TRUE(LoadJobFile(path, 1, session));
  ASSERT_EQ(session.fgToDo.Rows(), 3);
  EXPECT_EQ(session.fgToDo.Cell(1, todo::kInput), "/in/a b  c.png");
  EXPECT_EQ(session.fgToDo.Cell(1, todo::kOutput), item[todo::kOutput]);
}

TEST(JobFile, FailedWriteKeepsThePreviousFile) {
  TempDir dir;
  Session session;
  PrepareSession(session);
  for (int n = 1; n <= 200; ++n) AddRow(session.fgToDo, ItemCells(n));
  const std::string path = dir.WriteFile("kept.bxj", "previous\n");

  // A file-size limit makes the write fail part way (also for root, unlike permissions).
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status written = WriteJobFile(path, session.fgToDo);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written.ok());
  EXPECT_EQ(ReadWholeFile(path), "previous\n");
  auto entries = ListFolder(dir.path());
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->size(), 1u);  // no temporary file left behind

  EXPECT_FALSE(WriteJobFile(dir.Sub("no/such/folder/job.bxj"), session.fgToDo).ok());
}

// A log grid after a failed run, as the logger fills it: twelve fields per row, the empty row last.
Grid FailedRunLog() {
  Grid log(logcol::kColumns);
  log.SetRows(1);
  auto entry = [&](std::vector<std::string> fields, PassMark mark) {
    log.InsertRow(log.Rows(), std::move(fields));
    log.Row(log.Rows() - 1).mark = mark;
  };
  entry({"RGM", "1^^^^^^^^^^^^^^^^^^^", "1", "C", "/in/a.png", "8", "png", "/out/a.jpg", "1", "jpg",
         "+", ""},
        PassMark::kPass);
  entry({"M", "1^85^^^^^^^^^^^^^^^^", "2", "C", "/in/broken.png", "8", "png", "/out/broken.jpg",
         "1", "jpg", "-", "Unable to load file"},
        PassMark::kFail);
  entry({"", "1^^^^^^^^^^^^^^^^^^^^90", "3", "S12", "/in/b.tif", "3", "", "/out/b.tif", "3", "",
         "-", "Failed"},
        PassMark::kFail);
  log.SetRows(log.Rows() + 1);
  return log;
}

TEST(JobFile, JobFromTheLogRebuildsTheLoggedItems) {
  TempDir dir;
  const Grid log = FailedRunLog();
  const std::string path = dir.Sub("failed.bxj");
  ASSERT_TRUE(WriteJobFileFromLog(path, log).ok());

  Session session;
  PrepareSession(session);
  ASSERT_TRUE(LoadJobFile(path, 1, session));
  const Grid& grid = session.fgToDo;
  ASSERT_EQ(grid.Rows(), 2 + 3);  // the empty last log row is not written
  for (int row = 1; row <= 3; ++row) {
    SCOPED_TRACE(row);
    for (int col = 0; col < todo::kPass; ++col) {
      if (col == todo::kTask) continue;
      EXPECT_EQ(grid.Cell(row, col), log.Cell(row, col)) << "column " << col;
    }
    EXPECT_EQ(grid.Cell(row, todo::kTask), std::to_string(row));
    EXPECT_EQ(grid.Cell(row, todo::kPass), "");  // not run yet, so the run takes it again
  }
  EXPECT_EQ(grid.Cell(4, todo::kTask), "*");
}

}  // namespace
}  // namespace braxel
