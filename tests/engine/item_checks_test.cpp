// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/item_checks.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "engine/process_state.h"
#include "engine/prompter.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::TempDir;

// Answers questions from a script and records every message.
class ScriptedPrompter : public Prompter {
 public:
  std::deque<PromptAnswer> answers;
  std::vector<std::string> messages;
  void Information(const std::string&, const std::string& text) override { messages.push_back(text); }
  void Warning(const std::string&, const std::string& text) override { messages.push_back(text); }
  PromptAnswer YesNo(const std::string&, const std::string& text) override { return Answer(text); }
  PromptAnswer YesNoCancel(const std::string&, const std::string& text) override { return Answer(text); }
  PromptAnswer OkCancel(const std::string&, const std::string& text) override { return Answer(text); }

 private:
  PromptAnswer Answer(const std::string& text) {
    messages.push_back(text);
    PromptAnswer a = answers.empty() ? PromptAnswer::kCancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }
};

class ItemChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    prompter = std::make_shared<ScriptedPrompter>();
    SetCurrentPrompter(prompter);
    Process().bCommandLineMode = false;
  }
  void TearDown() override { SetCurrentPrompter(nullptr); }

  clsConversionOptions Item(const std::string& in, const std::string& out, int32_t inCode = 8,
                            int32_t outCode = 1) {
    clsConversionOptions item;
    item.sOriginalFile = in;
    item.sTargetFile = out;
    item.lOriginalFileType = inCode;
    item.lTargetFileType = outCode;
    item.sExtraParams = std::string(20, '^');
    return item;
  }

  TempDir dir;
  std::shared_ptr<ScriptedPrompter> prompter;
};

TEST_F(ItemChecks, ConversionCodes) {
  const std::string file = dir.WriteFile("in/a.png");
  const std::string blocker = dir.WriteFile("blocker");
  struct Case {
    const char* name;
    clsConversionOptions item;
    int32_t code;
  };
  std::vector<Case> cases = {
      {"valid folder item", Item(dir.Sub("in/*.png"), dir.Sub("out/*.jpg")), 0},
      {"input prefix is not a folder", Item(dir.Sub("in/img*.png"), dir.Sub("out/*.jpg")), -1},
      {"output folder cannot be made", Item(dir.Sub("in/*.png"), blocker + "/x/*.jpg"), -3},
      {"missing input file", Item(dir.Sub("in/none.png"), dir.Sub("o.jpg")), -4},
      {"one file to a wildcard", Item(file, dir.Sub("out/*.jpg")), -5},
      {"output parent cannot be made", Item(file, blocker + "/x/o.jpg"), -6},
      {"output code without extension", Item(file, dir.Sub("o.jpg"), 8, 99), -7},
      {"type mismatch in the window", Item(file, dir.Sub("o.jpg"), 1, 1), -13},
      {"jpeg counts as jpg", Item(dir.WriteFile("p.jpeg"), dir.Sub("o.png"), 1, 8), 0},
  };
  cases.push_back({"empty parameters", Item(file, dir.Sub("o.jpg")), -10});
  cases.back().item.sExtraParams = "  ";
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompleteAndValidateItem(c.item);
    EXPECT_EQ(c.item.lErr, c.code);
  }
  // A one-file output in a missing folder creates that folder.
  clsConversionOptions created = Item(file, dir.Sub("new/deep/o.jpg"));
  CompleteAndValidateItem(created);
  EXPECT_EQ(created.lErr, 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Sub("new/deep")));
}

TEST_F(ItemChecks, SpecialCodes) {
  const std::string file = dir.WriteFile("in/a.png");
  const auto special = [&](int32_t process, const std::string& in, const std::string& out) {
    clsConversionOptions item = Item(in, out, 8, UNSET_FILE_TYPE);
    item.sActionToDo = "S";
    item.lSpecialProcess = process;
    CompleteAndValidateItem(item);
    return item;
  };
  EXPECT_EQ(special(12, dir.Sub("in/*.png"), dir.Sub("o.png")).lErr, -2);
  EXPECT_EQ(special(12, file, "").lErr, -9);
  EXPECT_EQ(special(30, file, dir.Sub("o.png")).lErr, -101);
  EXPECT_EQ(special(61, file, dir.Sub("o.png")).lErr, -101);
  EXPECT_EQ(special(100, dir.Sub("in/*.sh"), "").lErr, -102);
  const clsConversionOptions ok = special(12, dir.Sub("in/*.png"), dir.Sub("out/*.png"));
  EXPECT_EQ(ok.lErr, 0);
  EXPECT_EQ(ok.lTargetFileType, 8);
}

TEST_F(ItemChecks, UnwritableOutputReplacesEarlierCode) {
  clsConversionOptions item = Item(dir.Sub("in/none.png"), "/proc/out.jpg");
  CompleteAndValidateItem(item);
  EXPECT_EQ(item.lErr, -1000000);
  EXPECT_EQ(CommandLineItemErrorText(item),
            "Output Folder: Output folder is a system folder and should not be used.\n/proc/out.jpg");
}

TEST_F(ItemChecks, FolderVariablesAreKept) {
  setenv("HOME", dir.path().c_str(), 1);
  dir.WriteFile("in/a.png");
  clsConversionOptions item = Item("%USERPROFILE%/in/*.png", "%userprofile%/out/*.jpg");
  CompleteAndValidateItem(item);
  EXPECT_EQ(item.lErr, 0);
  EXPECT_EQ(item.sOriginalFile, "%USERPROFILE%/in/*.png");
  EXPECT_EQ(item.sTargetFile, "%userprofile%/out/*.jpg");
  // A completed output name keeps its expanded, completed text.
  clsConversionOptions completed = Item("%USERPROFILE%/in/*.png", "%USERPROFILE%/out2");
  CompleteAndValidateItem(completed);
  EXPECT_EQ(completed.sTargetFile, dir.Sub("out2/*.jpg"));
}

TEST_F(ItemChecks, WindowPresenterRepairs) {
  const std::string file = dir.WriteFile("a.png");
  // -6 answered Yes creates the folder.
  clsConversionOptions missing = Item(file, dir.Sub("x/o.jpg"));
  missing.lErr = -6;
  prompter->answers = {PromptAnswer::kYes};
  EXPECT_TRUE(ShowItemError(missing));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Sub("x")));
  EXPECT_EQ(prompter->messages.back(), "Output Folder\n\n" + dir.Sub("x") + "\n\ndoes not exist.  Create it?");

  // -1000000 answered OK takes the corrected path into the item and the output box.
  clsConversionOptions system = Item(file, "/usr/out/o.jpg");
  system.lErr = -1000000;
  std::string shown;
  ItemErrorView view;
  view.setOutputText = [&](const std::string& text) { shown = text; };
  prompter->answers = {PromptAnswer::kOk};
  EXPECT_TRUE(ShowItemError(system, view));
  EXPECT_NE(system.sTargetFile.find("/out/o.jpg"), std::string::npos);
  EXPECT_FALSE(system.sTargetFile.starts_with("/usr/"));
  EXPECT_EQ(shown, system.sTargetFile);

  // -13: continuing clears the code; declining keeps it.
  clsConversionOptions mismatch = Item(file, dir.Sub("o.jpg"));
  mismatch.lErr = -13;
  view.confirmTypeMismatch = [] { return false; };
  EXPECT_FALSE(ShowItemError(mismatch, view));
  view.confirmTypeMismatch = [] { return true; };
  EXPECT_TRUE(ShowItemError(mismatch, view));
  EXPECT_EQ(mismatch.lErr, 0);

  // -4 asks whether to add anyway.
  clsConversionOptions absent = Item(dir.Sub("none.png"), dir.Sub("o.jpg"));
  absent.lErr = -4;
  prompter->answers = {PromptAnswer::kNo};
  EXPECT_FALSE(ShowItemError(absent));
  EXPECT_NE(prompter->messages.back().find("Add anyway?"), std::string::npos);
}

}  // namespace
}  // namespace braxel
