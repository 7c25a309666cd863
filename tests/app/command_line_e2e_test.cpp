// SPDX-License-Identifier: GPL-3.0-or-later
// The braxel program run as a process on temporary folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

using test::BraxelExe;
using test::ReadWholeFile;
using test::RunProgram;
using test::TempDir;

using CommandLine = test::ProgramTest;

TEST_F(CommandLine, HelpAndVersion) {
  for (const char* flag : {"--help", "-h", "/?"}) {
    const auto result = Run({flag});
    EXPECT_EQ(result.exitCode, 0) << flag;
    EXPECT_NE(result.out.find("/S path"), std::string::npos) << flag;
    EXPECT_NE(result.out.find("[YMD]"), std::string::npos) << flag;
  }
  // "/?" after other switches still only shows the help.
  EXPECT_EQ(Run({"/S", "x", "/?"}).exitCode, 0);
  const auto version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.starts_with("braxel "));
}

// Every check code a command line can reach, with the text that lands in the log file.
TEST_F(CommandLine, RejectedItemsReportTheirCheck) {
  const std::string in = dir.MakeDir("in");
  const std::string file = dir.WriteFile("in/a.png");
  const std::string blocker = dir.WriteFile("blocker");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"-1", {"/S", dir.Sub("no/such/*.png"), "/T", dir.Sub("out/*.jpg")},
       "Input Folder\n" + dir.Sub("no/such") + "\ndoes not exist."},
      {"-3", {"/S", in + "/*.png", "/T", blocker + "/x/*.jpg"},
       "Output Folder\n" + blocker + "/x\ndoes not exist."},
      {"-4", {"/S", dir.Sub("in/none.png"), "/T", dir.Sub("o.jpg")},
       "Input File\n" + dir.Sub("in/none.png") + "\ndoes not exist."},
      {"-5", {"/S", file, "/T", dir.Sub("out/*.jpg")},
       "Output File\n" + dir.Sub("out/*.jpg") + "\ncannot have a wildcard (*) in it unless the Input file does."},
      {"-6", {"/S", file, "/T", blocker + "/x/o.jpg"},
       "Output Folder\n" + blocker + "/x\ndoes not exist.\nCreate it?"},
      {"-7", {"/S", file, "/T", dir.Sub("o.jpg"), "/C", "99"}, "Invalid Output File type specified (/C# switch)."},
      {"-8", {"/J", dir.Sub("none.bxj")},
       "Conversion Job File (*.BXJ) specified in the command line (/J) does not exist."},
      {"-202", {"/S", dir.WriteFile("a.xyz"), "/T", dir.Sub("o.png")},
       "Input or Output file type not properly specified. Specify /F# and /C#"},
      {"-9", {"/P", "12", "/S", file}, "The Input or the Output file is empty"},
      {"-2", {"/P", "12", "/S", in + "/*.png", "/T", dir.Sub("o.png")},
       "'Output File' must have wild card (*) since Input file has a wildcard.\nFor example: 'C:\\MyFiles\\*.CSV'"},
      {"-101", {"/P", "30", "/S", file, "/T", dir.Sub("o.png")}, "Invalid Special Process Identifier specified"},
      {"-102", {"/P", "100", "/S", in + "/*.sh", "/F", "1", "/C", "1"},
       "Invalid input file format/type for the Special Process specified."},
      {"-1000000", {"/S", file, "/T", "/proc/out.jpg"},
       "Output Folder: Output folder is a system folder and should not be used.\n/proc/out.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string log = dir.Sub(std::string("logs/") + c.name + ".log");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"/L", log});
    const auto result = Run(args);
    EXPECT_EQ(result.exitCode, 2);
    const std::string text = ReadWholeFile(log);
    EXPECT_TRUE(text.starts_with("---------- braxel (v")) << text;
    EXPECT_NE(text.find("\nDate: "), std::string::npos);
    EXPECT_NE(text.find(c.expected + "\nMissing required or invalid command line argument(s)\n"), std::string::npos)
        << text;
  }
}

TEST_F(CommandLine, RejectionWithoutLogLeavesNoTrace) {
  const auto result = Run({"/S", dir.Sub("none/*.png"), "/T", dir.Sub("o/*.jpg")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "");
  // Text without any switch is rejected too.
  EXPECT_EQ(Run({"hello"}).exitCode, 2);
}

TEST_F(CommandLine, VerboseWithoutDisplayWritesToStandardError) {
  const auto result = Run({"/S", dir.Sub("none/*.png"), "/T", dir.Sub("o/*.jpg"), "/V"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("does not exist."), std::string::npos);
  EXPECT_NE(result.err.find("Missing required or invalid command line argument(s)"), std::string::npos);
}

TEST_F(CommandLine, FirstStartInstallsSampleData) {
  Run({"--nothing"});
  EXPECT_TRUE(std::filesystem::exists(home + "/.config/Tarnwell, Inc/Braxel/Braxel.registry.ini"));
  EXPECT_TRUE(std::filesystem::is_directory(home + "/.local/share/Tarnwell, Inc/Braxel/Demo Data"));
}

}  // namespace
}  // namespace braxel
