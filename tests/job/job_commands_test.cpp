// SPDX-License-Identifier: GPL-3.0-or-later
// The window's job file commands driven through a scripted window and prompter: opening,
// saving an empty job, the ask-to-save rule, failed saves, new jobs and the log saved as a job.
#include "job/job_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/process_state.h"
#include "engine/prompter.h"
#include "job/job_file.h"
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

// Answers Yes/No questions as scripted and records every message.
class ScriptedPrompter : public Prompter {
 public:
  void Information(const std::string& title, const std::string& text) override {
    shown.push_back(title + "|" + text);
  }
  void Warning(const std::string& title, const std::string& text) override {
    shown.push_back(title + "|" + text);
  }
  PromptAnswer YesNo(const std::string& title, const std::string& text) override {
    asked.push_back(title + "|" + text);
    return answer;
  }
  PromptAnswer YesNoCancel(const std::string&, const std::string&) override {
    return PromptAnswer::kCancel;
  }
  PromptAnswer OkCancel(const std::string&, const std::string&) override {
    return PromptAnswer::kCancel;
  }

  PromptAnswer answer = PromptAnswer::kNo;
  std::vector<std::string> asked;
  std::vector<std::string> shown;
};

// The window side: a file dialog that returns the next scripted path, and an add that either
// adds the composed item or rejects it.
class ScriptedWindow : public JobWindow {
 public:
  explicit ScriptedWindow(Session& session) : session_(session) {}
  std::string PickFile(const std::string& title, const std::string&, const std::string& start,
                       bool save) override {
    picks.push_back({title, start, save});
    return pickResult;
  }
  bool AddComposedItem() override {
    ++addCalls;
    if (!acceptItem) return false;
    AddRow(session_.fgToDo, ItemCells(session_.fgToDo.Rows() - 1));
    return true;
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void AddToJobHistory(const std::string& path) override { history.push_back(path); }

  struct Pick {
    std::string title, start;
    bool save;
  };
  std::string pickResult;
  bool acceptItem = true;
  int addCalls = 0;
  std::vector<Pick> picks;
  std::string caption;
  std::vector<std::string> history;

 private:
  Session& session_;
};

class JobCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareSession(session_);
    Process().bCommandLineMode = false;
    Process().sAppDataFolder = dir_.Sub("appdata/");
    previous_ = SetCurrentPrompter(prompter_);
  }
  void TearDown() override {
    SetCurrentPrompter(previous_);
    Process().bCommandLineMode = false;
    Process().sAppDataFolder.clear();
  }

  TempDir dir_;
  Session session_;
  ScriptedWindow window_{session_};
  JobFileCommands commands_{session_, window_};
  std::shared_ptr<ScriptedPrompter> prompter_ = std::make_shared<ScriptedPrompter>();
  std::shared_ptr<Prompter> previous_;
};

TEST_F(JobCommands, OpenLoadsTheJobAndShowsItsMarks) {
  auto passed = ItemCells(1);
  passed[todo::kPass] = "+";
  auto failed = ItemCells(2);
  failed[todo::kPass] = "-";
  const std::string path =
      dir_.WriteFile("marks.bxj", JobLine(passed) + "\n" + JobLine(failed) + "\n");
  session_.fgLog.SetRows(5);
  session_.bAskToSaveBXJFileBeforeExit = true;  // one unsaved item: no question
  AddRow(session_.fgToDo, ItemCells(1));
  session_.bRunning = true;
  session_.panels[panel::kProgress].text = " 40 Percent Complete ";

  commands_.ConversionJobOpen(path);

  EXPECT_TRUE(prompter_->asked.empty());
  EXPECT_FALSE(session_.bRunning);  // the run was paused first
  EXPECT_EQ(session_.panels[panel::kProgress].text, "");
  ASSERT_EQ(session_.fgToDo.Rows(), 4);
  EXPECT_EQ(session_.fgToDo.Row(1).mark, PassMark::kPass);
  EXPECT_EQ(session_.fgToDo.Row(2).mark, PassMark::kFail);
  EXPECT_EQ(session_.fgToDo.currentRow, 1);
  EXPECT_EQ(session_.fgLog.Rows(), 2);  // reset
  EXPECT_EQ(session_.sCurrentJobFile, path);
  EXPECT_EQ(window_.caption, "marks.bxj");
  EXPECT_EQ(window_.history, std::vector<std::string>{path});
  EXPECT_FALSE(session_.bAskToSaveBXJFileBeforeExit);
}

TEST_F(JobCommands, OpenDialogStartsInTheDataFolderThenAtTheCurrentJob) {
  const std::string path = dir_.WriteFile("picked.bxj", JobLine(ItemCells(1)) + "\n");
  window_.pickResult = path;
  commands_.ConversionJobOpen("");
  window_.pickResult = "";  // cancelled
  commands_.ConversionJobOpen("");
  ASSERT_EQ(window_.picks.size(), 2u);
  EXPECT_EQ(window_.picks[0].title, "Open Conversion Job");
  EXPECT_FALSE(window_.picks[0].save);
  EXPECT_EQ(window_.picks[0].start, dir_.Sub("appdata/"));
  EXPECT_EQ(window_.picks[1].start, path);
  EXPECT_EQ(session_.sCurrentJobFile, "");  // a cancelled open leaves the job unnamed
  EXPECT_EQ(session_.fgToDo.Rows(), 3);     // and the grid as it was
}

TEST_F(JobCommands, SavingAnEmptyJobAddsTheComposedItemFirst) {
  const std::string path = dir_.Sub("empty.bxj");
  session_.sCurrentJobFile = path;
  session_.bAskToSaveBXJFileBeforeExit = true;
  commands_.ConversionJobSave();
  EXPECT_EQ(window_.addCalls, 1);
  EXPECT_EQ(ReadWholeFile(path), JobLine(ItemCells(1)) + "\n" +
                                     JobLine({"", "", "*", "", "", "", "", "", "", "", ""}) + "\n");
  EXPECT_TRUE(prompter_->shown.empty());
  EXPECT_FALSE(session_.bAskToSaveBXJFileBeforeExit);
}

TEST_F(JobCommands, SavingAnEmptyJobWritesNothingWhenTheItemIsRejected) {
  window_.acceptItem = false;
  const std::string path = dir_.Sub("rejected.bxj");
  window_.pickResult = path;
  commands_.ConversionJobSave();  // a new job: asks for a name
  ASSERT_EQ(window_.picks.size(), 1u);
  EXPECT_TRUE(window_.picks[0].save);
  EXPECT_FALSE(PathEntryExists(path));
  EXPECT_EQ(prompter_->shown,
            std::vector<std::string>{
                "|Unable to create file. Try a different folder such as 'My Documents'"});
}

TEST_F(JobCommands, AskToSaveRule) {
  struct Case {
    const char* name;
    int items;
    std::string path;
    bool changed;
    bool commandLine;
    bool asks;
  };
  const Case cases[] = {
      {"one unsaved item in a new job", 1, "*", true, false, false},
      {"two unsaved items in a new job", 2, "*", true, false, true},
      {"one changed item of a named job", 1, "named", true, false, true},
      {"unchanged named job", 3, "named", false, false, false},
      {"command-line run", 3, "named", true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PrepareSession(session_);
    for (int n = 1; n <= c.items; ++n) AddRow(session_.fgToDo, ItemCells(n));
    session_.sCurrentJobFile = c.path == "named" ? dir_.Sub("named.bxj") : c.path;
    session_.bAskToSaveBXJFileBeforeExit = c.changed;
    Process().bCommandLineMode = c.commandLine;
    prompter_->asked.clear();
    commands_.CheckToSaveFileBeforeErasing();
    EXPECT_EQ(prompter_->asked.size(), c.asks ? 1u : 0u);
    if (c.asks) {
      EXPECT_EQ(prompter_->asked[0], "Save|Save Conversion Job?");
    }
  }
}

TEST_F(JobCommands, NewJobSavesOnYesThenEmptiesTheJob) {
  const std::string path = dir_.Sub("kept.bxj");
  session_.sCurrentJobFile = path;
  AddRow(session_.fgToDo, ItemCells(1));
  AddRow(session_.fgToDo, ItemCells(2));
  session_.bAskToSaveBXJFileBeforeExit = true;
  prompter_->answer = PromptAnswer::kYes;
  commands_.NewJob();
  EXPECT_EQ(prompter_->asked.size(), 1u);
  EXPECT_EQ(ReadWholeFile(path).substr(0, JobLine(ItemCells(1)).size()), JobLine(ItemCells(1)));
  EXPECT_EQ(session_.fgToDo.Rows(), 2);
  EXPECT_EQ(session_.fgToDo.Cell(1, todo::kTask), "*");
  EXPECT_EQ(session_.sCurrentJobFile, "*");
  EXPECT_EQ(window_.caption, "*");
  EXPECT_FALSE(session_.bAskToSaveBXJFileBeforeExit);
}

TEST_F(JobCommands, SaveAsToAFolderThatCannotHoldTheFileKeepsTheJobUnsaved) {
  AddRow(session_.fgToDo, ItemCells(1));
  session_.bAskToSaveBXJFileBeforeExit = true;
  // The folder part names a file, so nothing can be created there.
  const std::string blocker = dir_.WriteFile("blocker", "x");
  window_.pickResult = blocker + "/job.bxj";
  commands_.ConversionJobSaveAs();
  EXPECT_EQ(prompter_->shown.size(), 1u);
  EXPECT_TRUE(session_.bAskToSaveBXJFileBeforeExit);  // still asks before the job is thrown away
  EXPECT_TRUE(window_.history.empty());

  window_.pickResult = dir_.Sub("saved.bxj");
  commands_.ConversionJobSaveAs();
  EXPECT_TRUE(FileExists(dir_.Sub("saved.bxj")));
  EXPECT_EQ(session_.sCurrentJobFile, dir_.Sub("saved.bxj"));
  EXPECT_EQ(window_.caption, "saved.bxj");
  EXPECT_EQ(window_.history, std::vector<std::string>{dir_.Sub("saved.bxj")});
  EXPECT_FALSE(session_.bAskToSaveBXJFileBeforeExit);
}

TEST_F(JobCommands, SaveLogAsJob) {
  session_.fgLog.InsertRow(1, {"M", "1^^", "4", "C", "/in/bad.png", "8", "png", "/out/bad.jpg", "1",
                               "jpg", "-", "Unable to load file"});
  window_.pickResult = dir_.Sub("failed.bxj");
  commands_.SaveLogAsConversionJob();
  EXPECT_TRUE(prompter_->shown.empty());
  EXPECT_EQ(
      ReadWholeFile(dir_.Sub("failed.bxj")),
      JobLine({"M", "1^^", "1", "C", "/in/bad.png", "8", "png", "/out/bad.jpg", "1", "jpg", ""}) +
          "\n" + JobLine({"", "", "*", "", "", "", "", "", "", "", ""}) + "\n");
}

}  // namespace
}  // namespace braxel
