// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/process_state.h"
#include "platform/process.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::ReadWholeFile;
using test::TempDir;

struct TokenCase {
  const char* name;
  const char* text;
  int index;
  const char* letter;
  const char* value;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

class WindowsTokenizer : public ::testing::TestWithParam<TokenCase> {};

TEST_P(WindowsTokenizer, Token) {
  const TokenCase& c = GetParam();
  const CommandLineToken token = GetCommandLineToken(c.index, c.text, CommandLineSyntax::kWindows);
  EXPECT_EQ(token.letter, c.letter);
  EXPECT_EQ(token.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsTokenizer,
    ::testing::Values(TokenCase{"Glued", "/X3", 2, "X", "3"}, TokenCase{"Spaced", "/X 3", 2, "X", "3"},
                      TokenCase{"ManyBlanks", "/X   3   ", 2, "X", "3"},
                      TokenCase{"TextBeforeFirstSwitch", "ignored /S a", 1, "i", "gnored"},
                      TokenCase{"BlankAfterSlash", "/ S x", 2, "", "S x"},
                      TokenCase{"SlashAtEndRepeatsLetter", "/S C:\\In\\a.bmp /", 3, "S", ""},
                      TokenCase{"DoubleSlashRepeatsLetter", "/S a //T b", 3, "S", ""},
                      TokenCase{"ValueCutAtSlash", "/L C:\\Logs\\1/2/x.txt", 2, "L", "C:\\Logs\\1"},
                      TokenCase{"RestReadAsSwitches", "/L C:\\Logs\\1/2/x.txt", 4, "x", ".txt"},
                      TokenCase{"BlankValue", "/2/x", 2, "2", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowsTokenizer, CountsEverySlash) {
  EXPECT_EQ(CountCommandLineTokens("/S a /T b", CommandLineSyntax::kWindows), 3);
  EXPECT_EQ(CountCommandLineTokens("/S /home/a/b.png", CommandLineSyntax::kWindows), 5);
  EXPECT_EQ(CountCommandLineTokens("", CommandLineSyntax::kWindows), 1);
}

TEST(LinuxTokenizer, PathsAreValues) {
  const auto tokens = TokenizeCommandLine("/S /home/me/in/*.png /T /tmp/my out/*.jpg /C1 /P12 /F-1 /L /tmp");
  ASSERT_EQ(tokens.size(), 7u);
  const std::pair<const char*, const char*> expected[] = {
      {"S", "/home/me/in/*.png"}, {"T", "/tmp/my out/*.jpg"}, {"C", "1"}, {"P", "12"}, {"F", "-1"}, {"L", "/tmp"}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(tokens[i + 1].letter, expected[i].first);
    EXPECT_EQ(tokens[i + 1].value, expected[i].second);
  }
  // A "/" inside a word or after a longer run is not a switch.
  EXPECT_EQ(CountCommandLineTokens("/S a/b /tmp/c /x.y"), 2);
  EXPECT_EQ(GetCommandLineToken(2, "/? /S x").letter, "?");
}

TEST(DateTimeTokens, UpperCaseTokensOnly) {
  const LocalDateTime t{2026, 3, 7, 9, 5, 4, 6};
  EXPECT_EQ(ExpandDateTimeTokens("/l/run[YMD]-[HIS].txt", t), "/l/run20260307-090504.txt");
  EXPECT_EQ(ExpandDateTimeTokens("[Y]/[M]/[D] [MDY] [H]:[I]:[S]", t), "2026/03/07 03072026 09:05:04");
  EXPECT_EQ(ExpandDateTimeTokens("a[ymd]b", t), "a[ymd]b");
  EXPECT_EQ(ExpandDateTimeTokens("", t), "");
}

TEST(LogHeader, TwoLines) {
  const std::string header = CommandLineLogHeader({2026, 1, 2, 3, 4, 5, 0});
  EXPECT_EQ(header, "---------- braxel (v" + ProgramVersionText() + ") ----------\nDate: 2026-01-02 03:04:05");
}

class Parser : public ::testing::Test {
 protected:
  void TearDown() override { Process().bCommandLineMode = false; }
  bool Parse(const std::string& text, CommandLineSyntax syntax = CommandLineSyntax::kLinux) {
    item = clsConversionOptions();
    details = CommandLineParse();
    return ParseCommandLine(text, item, &details, syntax);
  }
  TempDir dir;
  clsConversionOptions item;
  CommandLineParse details;
};

TEST_F(Parser, FolderToFolderItem) {
  dir.WriteFile("in/a.bmp");
  const std::string log = dir.Sub("logs/run[YMD].txt");
  ASSERT_TRUE(Parse("/S " + dir.Sub("in/*.bmp") + " /T " + dir.Sub("out/*.jpg") + " /R /V /Z /L " + log));
  EXPECT_TRUE(Process().bCommandLineMode);
  EXPECT_EQ(item.sOriginalFile, dir.Sub("in/*.bmp"));
  EXPECT_EQ(item.sTargetFile, dir.Sub("out/*.jpg"));
  EXPECT_EQ(item.lOriginalFileType, 2);
  EXPECT_EQ(item.lTargetFileType, 1);
  EXPECT_TRUE(item.bDoSubfolders && item.bVerbose && item.bVerboseLog);
  EXPECT_EQ(item.sExtraParams, std::string(20, '^'));
  EXPECT_EQ(item.sLogFile.find("[YMD]"), std::string::npos);
  EXPECT_TRUE(item.sLogFile.starts_with(dir.Sub("logs/run20")));
  // The output folder and the log folder were created; the log holds the header.
  EXPECT_TRUE(std::filesystem::is_directory(dir.Sub("out")));
  EXPECT_TRUE(ReadWholeFile(item.sLogFile).starts_with("---------- braxel (v"));
}

TEST_F(Parser, ParameterSlots) {
  dir.WriteFile("a.png");
  const std::string io = "/S " + dir.Sub("a.png") + " /T " + dir.Sub("b.png");
  ASSERT_TRUE(Parse(io + " /1 90 /2 0"));
  EXPECT_EQ(item.sExtraParams, "90^0^" + std::string(18, '^'));
  ASSERT_TRUE(Parse(io + " /a 200 /b 150 /j 7 /9 x"));
  EXPECT_EQ(item.sExtraParams, std::string(8, '^') + "x^^^200^150^" + std::string(7, '^'));
}

TEST_F(Parser, SpecialProcessCopiesInputCode) {
  dir.WriteFile("in/a.png");
  ASSERT_TRUE(Parse("/P 12 /S " + dir.Sub("in/*.png") + " /T " + dir.Sub("out/*.bmp")));
  EXPECT_EQ(item.sActionToDo, "S");
  EXPECT_EQ(item.lSpecialProcess, 12);
  EXPECT_EQ(item.lTargetFileType, 8);
}

TEST_F(Parser, GluedNumbersAndExplicitCodes) {
  dir.WriteFile("in/a.dat");
  ASSERT_TRUE(Parse("/S " + dir.Sub("in/*.dat") + " /F-1 /T " + dir.Sub("out/x") + " /C8"));
  EXPECT_EQ(item.lOriginalFileType, -1);
  EXPECT_EQ(item.lTargetFileType, 8);
  // A wildcard input with an output folder without pattern is completed with the extension.
  EXPECT_EQ(item.sTargetFile, dir.Sub("out/x/*.png"));
}

TEST_F(Parser, SaveNextToInputReplacesOutput) {
  dir.WriteFile("in/a.bmp");
  ASSERT_TRUE(Parse("/S " + dir.Sub("in/*.bmp") + " /T " + dir.Sub("out/*.jpg") + " /G"));
  EXPECT_EQ(item.sTargetFile, dir.Sub("in/*.jpg"));
}

TEST_F(Parser, BareNamesResolveInTheWorkingFolder) {
  EXPECT_EQ(ResolveCommandLinePath("photo.bmp"), CurrentFolder() + "/photo.bmp");
  EXPECT_EQ(ResolveCommandLinePath(" \"/a b/c.png\" "), "/a b/c.png");
}

TEST_F(Parser, UnknownFormatIsRejected) {
  dir.WriteFile("a.xyz");
  const std::string log = dir.Sub("r.log");
  EXPECT_FALSE(Parse("/S " + dir.Sub("a.xyz") + " /T " + dir.Sub("b.png") + " /L " + log));
  EXPECT_EQ(item.lErr, -202);
  EXPECT_NE(ReadWholeFile(log).find("Input or Output file type not properly specified. Specify /F# and /C#"),
            std::string::npos);
}

TEST_F(Parser, UnrecognizedSwitchesAreReportedNotFatal) {
  dir.WriteFile("a.png");
  const std::string log = dir.Sub("r.log");
  ASSERT_TRUE(Parse("/S " + dir.Sub("a.png") + " /T " + dir.Sub("b.png") + " /s x /Q /L " + log));
  EXPECT_NE(ReadWholeFile(log).find("Command line IS case sensitive. Check: /s /Q"), std::string::npos);
}

TEST_F(Parser, HelpAndExitStopParsing) {
  EXPECT_FALSE(Parse("/? /S x"));
  EXPECT_TRUE(details.helpRequested);
  EXPECT_EQ(item.sOriginalFile, "");
  EXPECT_FALSE(Parse("/X /S x"));
  EXPECT_TRUE(details.exitRequested);
}

TEST_F(Parser, WindowModesClearCommandLineMode) {
  const std::string job = dir.WriteFile("job.bxj");
  ASSERT_TRUE(Parse("/J " + job + " /O"));
  EXPECT_TRUE(item.bOpenButDoNotRun);
  EXPECT_FALSE(Process().bCommandLineMode);
  ASSERT_TRUE(Parse("/0 12"));
  EXPECT_TRUE(item.bShellExtenderOptionsChange);
  EXPECT_EQ(item.lSpecialProcess, 12);
  EXPECT_FALSE(Process().bCommandLineMode);
  EXPECT_FALSE(Parse(""));
}

TEST_F(Parser, WindowsSyntaxSlashCutsValue) {
  // In the described syntax every "/" starts a switch: "2" becomes slot 2 and "x" unknown.
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_FALSE(Parse("/L 1/2/x.txt", CommandLineSyntax::kWindows));
  std::filesystem::current_path(previous);
  EXPECT_EQ(details.unrecognized, std::vector<std::string>{"x"});
  EXPECT_EQ(item.sLogFile, dir.Sub("1"));
}

}  // namespace
}  // namespace braxel
