// SPDX-License-Identifier: GPL-3.0-or-later
// clsConversionOptions: the record of one conversion item (one job line or one command line).
// A plain value: every path that builds an item fills its own; the run engine copies it.
#pragma once

#include <cstdint>
#include <string>

namespace braxel {

// Format code meaning "no format was given".
inline constexpr int32_t UNSET_FILE_TYPE = -12345678;
// Input format code meaning "take the format from the file itself".
inline constexpr int32_t FormatAutodetect = -1;

struct clsConversionOptions {
  std::string sActionToDo = "C";  // "C" conversion, "S" or "S<n>" special process
  std::string sCurrentBatchJobFile;
  std::string sOriginalFile;  // input file or folder wildcard
  int32_t lOriginalFileType = UNSET_FILE_TYPE;
  std::string sTargetFile;  // output file or folder wildcard
  int32_t lTargetFileType = UNSET_FILE_TYPE;
  bool bVerbose = false;
  bool bVerboseLog = false;
  bool bDoSubfolders = false;
  bool bSaveInOriginalFolder = false;
  bool bExportFormula = false;
  int32_t lConversionMethod = 1;
  std::string sExtraParams = "1";  // "^"-separated parameter string
  bool bOpenButDoNotRun = false;
  bool bShellExtenderOptionsChange = false;
  std::string sSubFolder;  // run-time: the current file's folder relative to the input folder
  int32_t lSpecialProcess = 0;
  int32_t lCommandLineExitCode = 0;
  std::string sLogFile;
  std::string sLogAsConversionJobFile;
  std::string sCLBatchJobFile;
  std::string sErr;
  int32_t lErr = 0;
  int32_t lJPegQuality = 75;

  // The action letters may carry a process number ("S12"); tests look for the letter anywhere.
  bool IsConversion() const { return sActionToDo.find('C') != std::string::npos; }
  bool IsSpecialProcess() const { return sActionToDo.find('S') != std::string::npos; }
};

}  // namespace braxel
