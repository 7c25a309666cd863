// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of the result log: grid rows, Pass marks, log file lines and line breaks.
#include "engine/logging.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/process_state.h"
#include "engine/session.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

clsConversionOptions Failed(const std::string& message) {
  clsConversionOptions item;
  item.sOriginalFile = "/in/a.png";
  item.lOriginalFileType = 8;
  item.sTargetFile = "/out/a.jpg";
  item.lTargetFileType = 1;
  item.sExtraParams = "1^0^FALSE^75^";
  item.lErr = -101;
  item.sErr = message;
  return item;
}

TEST(Logging, GridRowsAndFileLines) {
  TempDir dir;
  Session session;
  ResetLogGrid(session.fgLog);
  session.fgToDo.SetRows(4);
  session.fgToDo.SetCell(2, 0, "MR");
  session.sLogFile = dir.Sub("run.log");

  clsConversionOptions failed = Failed("Unable to convert");
  LogConversionError(session, 2, failed);
  clsConversionOptions passed = Failed("");
  passed.lErr = 0;
  passed.lConversionMethod = 2;                // no input extension for other methods
  LogConversionError(session, 30002, passed);  // option letters from row 30002 mod 30000

  ASSERT_EQ(session.fgLog.Rows(), 4);
  EXPECT_EQ(session.fgLog.Row(1).mark, PassMark::kFail);
  EXPECT_EQ(session.fgLog.Row(2).mark, PassMark::kPass);
  EXPECT_EQ(session.fgLog.Cell(1, 10), "-");
  EXPECT_EQ(session.fgLog.Cell(2, 10), "+");
  EXPECT_EQ(session.fgLog.Cell(3, 4), "") << "the empty row stays last";
  EXPECT_EQ(session.fgLog.currentRow, 3);

  const std::vector<std::string> lines = SplitTextLines(ReadWholeFile(dir.Sub("run.log")));
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines)
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 11) << line;
  EXPECT_EQ(lines[0],
            "MR\t1^0^FALSE^75^\t2\tC\t/in/a.png\t8\tpng\t/out/a.jpg\t1\tjpg\t\tUnable to convert");
  EXPECT_EQ(lines[1], "MR\t1^0^FALSE^75^\t30002\tC\t/in/a.png\t8\t\t/out/a.jpg\t1\tjpg\t\t");
  for (int col = 0; col < 12; ++col) {
    if (col == 10) continue;  // the grid's Pass cell holds the mark
    EXPECT_EQ(session.fgLog.Cell(1, col), Split(lines[0], '\t')[col]) << col;
  }
}

TEST(Logging, LogFileSelection) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string sessionLog, itemLog;
    bool verbose;
    std::string written;  // the file that gets the line ("" none)
  };
  const Case cases[] = {
      {"no log file, not verbose: grid only", "", "", false, ""},
      {"verbose without any log file writes nothing", "", "", true, ""},
      {"the session's log file", "s.log", "", false, "s.log"},
      {"the item's log file replaces the session's", "s.log", "i.log", false, "i.log"},
      {"the item's log file with verbose logging", "", "i.log", true, "i.log"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir run;
    Session session;
    session.sLogFile = c.sessionLog.empty() ? "" : run.Sub(c.sessionLog);
    clsConversionOptions item = Failed("x");
    item.sLogFile = c.itemLog.empty() ? "" : run.Sub(c.itemLog);
    item.bVerboseLog = c.verbose;
    LogConversionError(session, 1, item);
    EXPECT_EQ(session.fgLog.Rows(), 3);
    for (const char* name : {"s.log", "i.log"}) {
      const bool expected = c.written == name;
      EXPECT_EQ(!ReadWholeFile(run.Sub(name)).empty(), expected) << name;
    }
    if (!c.written.empty()) {
      EXPECT_EQ(session.sLogFile, run.Sub(c.written)) << "the replacement stays";
    }
  }
}

TEST(Logging, LineBreaksInMessages) {
  TempDir dir;
  for (bool commandLine : {false, true}) {
    SCOPED_TRACE(commandLine);
    Process().bCommandLineMode = commandLine;
    Session session;
    session.sLogFile = dir.Sub(commandLine ? "cl.log" : "gui.log");
    clsConversionOptions item = Failed("first\r\nsecond\nthird");
    LogConversionError(session, 1, item);
    const std::string expected = commandLine ? "first\r\nsecond\nthird" : "first  second third";
    EXPECT_EQ(item.sErr, expected);
    EXPECT_EQ(session.fgLog.Cell(1, 11), expected);
    const std::string text = ReadWholeFile(session.sLogFile);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 11);
    EXPECT_EQ(text.substr(text.rfind('\t') + 1), expected + "\n");
  }
  Process().bCommandLineMode = false;
}

TEST(Logging, ExitCodeRowsAlwaysPass) {
  TempDir dir;
  Session session;
  session.sLogFile = dir.Sub("run.log");
  clsConversionOptions item;
  item.sActionToDo = "S100";
  item.sOriginalFile = "/bin/false";
  item.lCommandLineExitCode = 3;
  LogExitCode(session, 4, item);
  ASSERT_EQ(session.fgLog.Rows(), 3);
  EXPECT_EQ(session.fgLog.Cell(1, 11), "Exit Code: 3");
  EXPECT_EQ(session.fgLog.Cell(1, 2), "4");
  EXPECT_EQ(session.fgLog.Cell(1, 6), "");
  EXPECT_EQ(session.fgLog.Row(1).mark, PassMark::kPass);
  EXPECT_EQ(ReadWholeFile(dir.Sub("run.log")), "") << "launches are not written to the log file";
}

TEST(Logging, ResetLeavesHeaderAndOneEmptyRow) {
  Session session;
  clsConversionOptions item = Failed("x");
  LogConversionError(session, 1, item);
  ResetLogGrid(session.fgLog);
  ASSERT_EQ(session.fgLog.Rows(), 2);
  EXPECT_EQ(session.fgLog.Cell(0, 2), "#");
  EXPECT_EQ(session.fgLog.Cell(0, 11), "Status");
  EXPECT_EQ(session.fgLog.Cell(1, 11), "");
  EXPECT_EQ(session.fgLog.currentRow, 1);
}

}  // namespace
}  // namespace braxel
