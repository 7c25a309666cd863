// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/item_checks.h"

#include <atomic>

#include "engine/file_list.h"
#include "engine/formats.h"
#include "engine/process_state.h"
#include "engine/prompter.h"
#include "engine/report.h"
#include "engine/translate.h"
#include "platform/files.h"
#include "platform/folder_helpers.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

std::atomic<bool> gMismatchNoticeOff{false};

bool HasWildcard(const std::string& text) { return text.find('*') != std::string::npos; }
std::string BeforeFirstStar(const std::string& text) { return text.substr(0, text.find('*')); }

// Creates a missing folder; true when it exists afterwards.
bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  if (!FolderExists(folder)) CreateFolderPath(folder);
  return FolderExists(folder);
}

// The checks of a one-file input shared by both kinds; false when a code was set.
bool CheckSingleInput(clsConversionOptions& item) {
  item.bDoSubfolders = false;
  item.bSaveInOriginalFolder = false;
  if (!FileExists(item.sOriginalFile)) {
    item.lErr = -4;
    return false;
  }
  if (HasWildcard(item.sTargetFile)) {
    item.lErr = -5;
    return false;
  }
  if (!EnsureFolder(ParentFolder(item.sTargetFile))) {
    item.lErr = -6;
    return false;
  }
  return true;
}

std::string Lines(std::initializer_list<std::string> pieces) {
  std::string out;
  for (const std::string& piece : pieces) {
    if (!out.empty()) out += "\n";
    out += piece;
  }
  return out;
}

}  // namespace

bool IsValidSpecialProcess(int32_t process) {
  return (process >= 2 && process <= 29) || (process >= 31 && process <= 60) || process == 100;
}

void SetTypeMismatchNoticeOff(bool off) { gMismatchNoticeOff = off; }
bool TypeMismatchNoticeOff() { return gMismatchNoticeOff; }

void ValidateConversionItem(clsConversionOptions& item) {
  if (item.bShellExtenderOptionsChange) {
    item.lErr = 0;
    return;
  }
  if (!item.sCLBatchJobFile.empty()) {
    if (!FileExists(item.sCLBatchJobFile)) item.lErr = -8;
    return;
  }
  if (HasWildcard(item.sOriginalFile)) {
    if (!FolderExists(BeforeFirstStar(item.sOriginalFile))) {
      item.lErr = -1;
      return;
    }
    if (HasWildcard(item.sTargetFile) && !EnsureFolder(BeforeFirstStar(item.sTargetFile))) {
      item.lErr = -3;
      return;
    }
  } else if (!CheckSingleInput(item)) {
    return;
  }
  if (GetExtensionForFormat(item.lTargetFileType).empty()) {
    item.lErr = -7;
    return;
  }
  if (Trim(item.sExtraParams).empty()) {
    item.lErr = -10;
    return;
  }
  if (!TypeMismatchNoticeOff() && item.lOriginalFileType != FormatAutodetect && !Process().bCommandLineMode) {
    const auto normalise = [](std::string ext) {
      if (ext == "tiff") return std::string("tif");
      if (ext == "jpeg") return std::string("jpg");
      return ext;
    };
    const std::string expected = ToLowerAscii(GetExtensionForFormat(item.lOriginalFileType));
    const size_t dot = item.sOriginalFile.rfind('.');
    const std::string actual =
        dot == std::string::npos ? expected : ToLowerAscii(TrimBlanks(item.sOriginalFile.substr(dot + 1)));
    if (normalise(actual) != normalise(expected)) item.lErr = -13;
  }
  CompleteOutputSpecification(item);
}

void ValidateSpecialItem(clsConversionOptions& item) {
  if (!item.sCLBatchJobFile.empty()) {
    if (!FileExists(item.sCLBatchJobFile)) item.lErr = -8;
    return;
  }
  if (item.bShellExtenderOptionsChange) {
    item.lErr = IsValidSpecialProcess(item.lSpecialProcess) ? 0 : -101;
    return;
  }
  if (item.lSpecialProcess != 100) {
    if (Trim(item.sOriginalFile).empty() || Trim(item.sTargetFile).empty()) {
      item.lErr = -9;
      return;
    }
    if (!HasWildcard(item.sOriginalFile)) {
      if (!CheckSingleInput(item)) return;
    } else {
      if (!FolderExists(BeforeFirstStar(item.sOriginalFile))) {
        item.lErr = -1;
        return;
      }
      if (!HasWildcard(item.sTargetFile)) {
        item.lErr = -2;
        return;
      }
      if (!EnsureFolder(BeforeFirstStar(item.sTargetFile))) {
        item.lErr = -3;
        return;
      }
    }
  }
  if (item.lSpecialProcess == 100 && HasWildcard(item.sOriginalFile)) {
    item.lErr = -102;
    return;
  }
  item.lTargetFileType = item.lOriginalFileType;
  if (!IsValidSpecialProcess(item.lSpecialProcess)) item.lErr = -101;
}

void CompleteAndValidateItem(clsConversionOptions& item) {
  const std::string target = item.sTargetFile, original = item.sOriginalFile, log = item.sLogFile,
                    logJob = item.sLogAsConversionJobFile, batch = item.sCurrentBatchJobFile;
  item.sTargetFile = ExpandFolderVariables(target);
  item.sOriginalFile = ExpandFolderVariables(original);
  item.sLogFile = ExpandFolderVariables(log);
  item.sLogAsConversionJobFile = ExpandFolderVariables(logJob);
  item.sCurrentBatchJobFile = ExpandFolderVariables(batch);

  if (!item.IsSpecialProcess())
    ValidateConversionItem(item);
  else
    ValidateSpecialItem(item);

  if (!(item.IsSpecialProcess() && item.lSpecialProcess == 100)) {
    const std::string& probe = item.bSaveInOriginalFolder ? item.sOriginalFile : item.sTargetFile;
    if (!Trim(probe).empty() && !IsFolderWriteable(probe)) item.lErr = -1000000;
  }

  // The item keeps its folder variables unless a check changed the text (a completed name).
  if (Trim(item.sTargetFile) == Trim(ExpandFolderVariables(target))) item.sTargetFile = target;
  if (Trim(item.sOriginalFile) == Trim(ExpandFolderVariables(original))) item.sOriginalFile = original;
  item.sLogFile = log;
  item.sLogAsConversionJobFile = logJob;
  item.sCurrentBatchJobFile = batch;
}

std::string CommandLineItemErrorText(const clsConversionOptions& item) {
  const auto T = [](const char* text) { return Translate(text); };
  switch (item.lErr) {
    case -1000000:
      return T("Output Folder") + ": " + Translate(CheckOutputFolder(item.sTargetFile).message) + "\n" +
             ExpandFolderVariables(item.sTargetFile);
    case -202:
      return T("Input or Output file type not properly specified. Specify /F# and /C#");
    case -201:
      return T("Unrecognized interpolation method");
    case -200:
      return T("Invalid Width or Height");
    case -102:
      return T("Invalid input file format/type for the Special Process specified.");
    case -101:
      return T("Invalid Special Process Identifier specified");
    case -9:
      return T("The Input or the Output file is empty");
    case -8:
      return T("Conversion Job File (*.BXJ) specified in the command line (/J) does not exist.");
    case -7:
      return T("Invalid Output File type specified (/C# switch).");
    case -6:
      return Lines({T("Output Folder"), ParentFolder(item.sTargetFile), T("does not exist."), T("Create it?")});
    case -5:
      return Lines({T("Output File"), item.sTargetFile,
                    T("cannot have a wildcard (*) in it unless the Input file does.")});
    case -4:
      return Lines({T("Input File"), item.sOriginalFile, T("does not exist.")});
    case -3:
      return Lines({T("Output Folder"), ParentFolder(item.sTargetFile), T("does not exist.")});
    case -2:
      return T("'Output File' must have wild card (*) since Input file has a wildcard.") + "\n" +
             T("For example: 'C:\\MyFiles\\*.CSV'");
    case -1:
      return Lines({T("Input Folder"), ParentFolder(item.sOriginalFile), T("does not exist.")});
    default:
      return T("Unable to add/update: ") + std::to_string(item.lErr);
  }
}

void ReportCommandLineItemError(clsConversionOptions& item) {
  item.sErr = CommandLineItemErrorText(item);
  ReportCommandLineMessage(item.sErr, item.sLogFile, item.bVerbose);
}

bool ShowItemError(clsConversionOptions& item, const ItemErrorView& view) {
  Prompter& prompter = CurrentPrompter();
  const std::string title = Translate("Error");
  const auto T = [](const char* text) { return Translate(text); };
  const auto visible = [](const std::function<bool()>& f) { return !f || f(); };
  const auto focusOutput = [&](bool selectAll) {
    if (view.focusOutput && visible(view.outputVisible)) view.focusOutput(selectAll);
  };
  const auto focusInput = [&](bool selectAll) {
    if (view.focusInput && visible(view.inputVisible)) view.focusInput(selectAll);
  };
  switch (item.lErr) {
    case -1000000: {
      const OutputFolderCheck check = CheckOutputFolder(item.sTargetFile);
      std::string text = T(check.message.c_str()) + "\n\n" + ExpandFolderVariables(item.sTargetFile) + "\n\n";
      bool accepted = false;
      if (check.status == 5) {
        prompter.Warning(title, text);
      } else {
        text += T("Do you want to use the recommended output folder path below instead") + ":" + "\n\n" +
                check.correctedPath;
        if (prompter.OkCancel(title, text) == PromptAnswer::kOk) {
          item.sTargetFile = check.correctedPath;
          if (view.setOutputText) view.setOutputText(check.correctedPath);
          accepted = true;
        }
      }
      focusOutput(true);
      return accepted;
    }
    case -201:
      if (view.showSpecialParameterTab) view.showSpecialParameterTab(2);
      prompter.Information(title, T("Unrecognized interpolation method"));
      return false;
    case -200:
      if (view.showSpecialParameterTab) view.showSpecialParameterTab(1);
      prompter.Information(title, T("Invalid Width or Height"));
      return false;
    case -102:
      if (view.focusSpecialInputFormat) view.focusSpecialInputFormat();
      prompter.Information(title, T("Invalid input file format/type for the Special Process specified."));
      return false;
    case -101:
      prompter.Information(title, T("Invalid Special Process Identifier specified"));
      return false;
    case -13: {
      const bool off = view.mismatchNoticeOff ? view.mismatchNoticeOff() : TypeMismatchNoticeOff();
      if (off || (view.confirmTypeMismatch && view.confirmTypeMismatch())) {
        item.lErr = 0;
        return true;
      }
      focusInput(true);
      return false;
    }
    case -9:
      prompter.Information(title, T("The Input or the Output file is empty"));
      return false;
    case -7:
      prompter.Information(title, T("Invalid Output File type specified"));
      return false;
    case -6:
    case -3: {
      const std::string folder = item.lErr == -6 ? ParentFolder(item.sTargetFile) : BeforeFirstStar(item.sTargetFile);
      if (Trim(folder).empty()) {
        prompter.Information(title, T("Output file not specified. Use a wildcard to specify whole folder."));
        if (view.focusOutput) view.focusOutput(false);
        return false;
      }
      const char* question = item.lErr == -6 ? "does not exist.  Create it?" : "does not exist. Create it?";
      const std::string text = T("Output Folder") + "\n\n" + folder + "\n\n" + T(question);
      if (prompter.YesNo(title, text) == PromptAnswer::kYes) {
        CreateFolderPath(folder);
        return true;
      }
      if (item.lErr == -6)
        focusOutput(true);
      else if (view.focusOutput)
        view.focusOutput(true);
      return false;
    }
    case -5:
      prompter.Information(title, T("Output File") + "\n\n" + item.sTargetFile + "\n\n" +
                                      T("cannot have a wildcard (*) in it unless the Input file does."));
      focusOutput(true);
      return false;
    case -4:
      if (view.focusInput) view.focusInput(false);
      if (!item.sOriginalFile.empty()) {
        const std::string text = T("Unable to add/update: ") + "\n\n" + T("Input File") + "\n\n" + item.sOriginalFile +
                                 "\n\n" + T("does not exist.") + "\n\n" + T("Add anyway?");
        return prompter.YesNo(title, text) == PromptAnswer::kYes;
      }
      prompter.Information(title, T("Unable to add/update: ") + "\n\n" + T("Input File has not been specified."));
      return false;
    case -2: {
      const std::string text = T("Output File' must have wild card (*) since Input file has a wildcard.") + "\n\n" +
                               T("For example: 'C:\\MyFiles\\*.PDF'");
      prompter.Information(title, text);
      focusOutput(true);
      prompter.Information(title, T("Unable to add/update: ") + "\n\n" + text);
      return false;
    }
    case -1:
      prompter.Information(title, T("Input Folder") + "\n\n" + ParentFolder(item.sOriginalFile) + "\n\n" +
                                      T("does not exist."));
      if (view.focusInput) view.focusInput(false);
      return false;
    default:
      prompter.Information(title, T("Unable to add/update: ") + "\n\n");
      return false;
  }
}

}  // namespace braxel
