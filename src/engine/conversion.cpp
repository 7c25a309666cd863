// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion run of an item, the conversion of one file and its post-processing.
#include "engine/conversion.h"

#include <cstdio>
#include <vector>

#include "engine/alternate.h"
#include "engine/conversion_options.h"
#include "engine/file_list.h"
#include "engine/logging.h"
#include "engine/page_range.h"
#include "engine/session.h"
#include "engine/special_process_hook.h"
#include "engine/translate.h"
#include "imaging/alternate/alternate_image.h"
#include "platform/clock.h"
#include "platform/folder_helpers.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

using imaging::Image;
using imaging::ImageFile;

void SetError(clsConversionOptions& item, int32_t code, std::string_view message) {
  item.lErr = code;
  item.sErr = Translate(message);
}

void SetLoadError(clsConversionOptions& item) {
  SetError(item, kConvErrLoad, "Unsupported source image file format. Unable to load image.");
}

void SetConvertError(clsConversionOptions& item) {
  SetError(item, kConvErrConvert, "Unable to convert");
}

// -110 for the page at `position` of the page list (counted from 0); only when no other error
// is pending.
void SetFrameError(clsConversionOptions& item, size_t position) {
  if (item.lErr != 0) return;
  item.lErr = kConvErrFrame;
  item.sErr = Translate("Unable to load frame") + " " + std::to_string(position) + ". " +
              Translate("Check Options Button");
}

// Creates the output's folder when missing; -100 when it still does not exist.
void EnsureOutputFolder(clsConversionOptions& item) {
  const std::string folder = ParentFolder(item.sTargetFile);
  if (folder.empty() || FolderExists(folder)) return;
  CreateFolderPath(folder);
  if (!FolderExists(folder)) SetError(item, kConvErrOutputFolder, "Output folder does not exist");
}

// Page `page` (1 = first) of a file. Page numbers below 1 (a range such as "1,,3" names page 0)
// never load.
bool LoadPage(ImageFile& file, const std::string& path, int32_t page, Image& image) {
  if (page < 1) return false;
  return file.LoadImagePage(path, page - 1, image);
}

// Passes the image through the special process; a failed operation is a failed conversion.
bool Process(clsConversionOptions& item, Image& image) {
  if (ApplySpecialProcess(item, image)) return true;
  if (item.lErr == 0) SetConvertError(item);
  return false;
}

std::vector<int32_t> AllPages(ImageFile& file, const std::string& path) {
  std::vector<int32_t> pages;
  const int count = file.GetPageCount(path);
  for (int p = 1; p <= count; ++p) pages.push_back(p);
  return pages;
}

// What one run of a TIFF path left behind.
struct PathOutcome {
  bool lastOk = false;    // the last save or page operation succeeded
  bool finished = false;  // the path returned early: no common tail, no second attempt
};

// The temporary multi-page file of paths B and D, next to the output.
std::string MultiPageTempFile(const std::string& target) { return target + ".TIF"; }

// Gives up a multi-page write: the unfinished file and a completed temporary file are removed,
// the output stays as it was.
PathOutcome Abandon(ImageFile& file, const std::string& temp) {
  file.AbandonMultiPage();
  file.SetMultiPageMode(false);
  if (PathEntryExists(temp)) RemoveFile(temp);
  return PathOutcome{false, true};
}

// Copies every page of the existing output into the multi-page temporary file (the first page
// starts it). False with -101 when a page cannot be loaded, -103 when one cannot be written.
bool CopyExistingPages(clsConversionOptions& item, ImageFile& file, const std::string& temp) {
  const int count = file.GetPageCount(item.sTargetFile);
  if (count <= 0) {
    SetLoadError(item);
    return false;
  }
  Image page;
  for (int p = 0; p < count; ++p) {
    if (!file.LoadImagePage(item.sTargetFile, p, page)) {
      SetLoadError(item);
      return false;
    }
    const bool written =
        p == 0 ? file.SaveImageAs(temp, kTiffFormatCode, page) : file.AppendTiffPage(page, false);
    if (!written) {
      SetConvertError(item);
      return false;
    }
  }
  return true;
}

// Moves the completed temporary file over the output; on failure the temporary file goes.
bool ReplaceOutput(const std::string& temp, const std::string& target) {
  if (MoveFileOverwrite(temp, target)) return true;
  if (PathEntryExists(temp)) RemoveFile(temp);
  return false;
}

// Path B: a TIFF output from another format, appended to the existing output or replacing it.
PathOutcome WriteTiffFromOtherFormat(clsConversionOptions& item, ImageFile& file, bool append) {
  Image image;
  if (append && FileExists(item.sTargetFile)) {
    file.SetMultiPageMode(true);
    const std::string temp = MultiPageTempFile(item.sTargetFile);
    if (!CopyExistingPages(item, file, temp)) return Abandon(file, temp);
    if (!file.LoadImageFile(item.sOriginalFile, image)) {
      SetLoadError(item);
      return Abandon(file, temp);
    }
    if (!Process(item, image)) return Abandon(file, temp);
    if (!file.AppendTiffPage(image, true)) {
      // Completing may still have written the old pages: that file must not replace the output.
      if (PathEntryExists(temp)) RemoveFile(temp);
      return PathOutcome{false, false};
    }
    return PathOutcome{ReplaceOutput(temp, item.sTargetFile), false};
  }
  file.SetMultiPageMode(false);
  if (!file.LoadImageFile(item.sOriginalFile, image)) {
    SetLoadError(item);
    return PathOutcome{false, true};
  }
  if (!Process(item, image)) return PathOutcome{false, false};
  return PathOutcome{SaveImageByFormat(item, file, kTiffFormatCode, item.sTargetFile, image),
                     false};
}

// Path C: the selected pages of a TIFF input, each saved on its own (suffixed names for more
// than one page).
PathOutcome SplitTiffPages(clsConversionOptions& item, ImageFile& file,
                           const ConversionOptions& options, const std::string& target) {
  file.SetMultiPageMode(false);
  const std::string range = Trim(options.sPageRange);
  const std::vector<int32_t> pages = range.empty() || range.find('*') != std::string::npos
                                         ? AllPages(file, item.sOriginalFile)
                                         : ParsePageNumbers(range);
  const bool suffixed = pages.size() > 1;
  const std::string folder = GetFolderPart(target);
  const std::string base = BaseNameOf(target);
  const std::string extension = GetExtension(FileNameOf(target));
  PathOutcome outcome;
  Image image;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (suffixed) {
      item.sTargetFile = folder + base + "-" + std::to_string(pages[i]);
      if (!extension.empty()) item.sTargetFile += "." + extension;
    }
    if (LoadPage(file, item.sOriginalFile, pages[i], image)) {
      outcome.lastOk = Process(item, image) &&
                       SaveImageByFormat(item, file, item.lTargetFileType, item.sTargetFile, image);
    } else {
      SetFrameError(item, i);
    }
  }
  return outcome;
}

// Path D: the selected pages of a TIFF input appended to a TIFF output (which may not exist yet).
PathOutcome AppendTiffPages(clsConversionOptions& item, ImageFile& file,
                            const ConversionOptions& options) {
  const std::vector<int32_t> pages = options.sPageRange.find('*') != std::string::npos
                                         ? AllPages(file, item.sOriginalFile)
                                         : ParsePageNumbers(options.sPageRange);
  const bool existed = FileExists(item.sTargetFile);
  const int inputPages = file.GetPageCount(item.sOriginalFile);
  const bool multiPage = existed || !(inputPages <= 1 || pages.size() == 1);
  file.SetMultiPageMode(multiPage);
  const std::string temp = MultiPageTempFile(item.sTargetFile);
  if (existed && !CopyExistingPages(item, file, temp)) return Abandon(file, temp);

  PathOutcome outcome;
  bool completed = false;  // the temporary file is whole
  Image image;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (!LoadPage(file, item.sOriginalFile, pages[i], image)) {
      SetFrameError(item, i);
      continue;
    }
    if (!Process(item, image)) {
      outcome.lastOk = false;
      continue;
    }
    const bool last = i + 1 == pages.size();
    if (i > 0 || existed) {
      outcome.lastOk = file.AppendTiffPage(image, last);
      if (!outcome.lastOk) {
        // A page that cannot be written would leave a file with a page missing.
        if (item.lErr == 0) SetConvertError(item);
        Abandon(file, temp);
        return PathOutcome{false, false};
      }
      completed = last;
    } else {
      outcome.lastOk = file.SaveImageAs(temp, kTiffFormatCode, image);
      completed = outcome.lastOk && !multiPage;
    }
  }
  if (!completed) {
    // The last selected page did not load, so the multi-page file was never completed.
    Abandon(file, temp);
    return PathOutcome{false, false};
  }
  outcome.lastOk = ReplaceOutput(temp, item.sTargetFile);
  return outcome;
}

}  // namespace

bool SaveImageByFormat(clsConversionOptions& item, ImageFile& file, int32_t formatCode,
                       const std::string& path, const Image& image) {
  if (formatCode < 1 || formatCode > 11) {
    SetError(item, kConvErrOutputType, "Invalid output file type");
    return false;
  }
  if (!file.SaveImageAs(path, formatCode, image)) {
    SetConvertError(item);
    return false;
  }
  item.lErr = 0;
  item.sErr.clear();
  return true;
}

int32_t PerformConversionItemPrimary(clsConversionOptions& item, ImageFile& file,
                                     bool tryAutodetectIfFailed) {
  item.lErr = 0;
  item.sErr.clear();
  EnsureOutputFolder(item);

  const ConversionOptions options = ParseConversionOptions(item.sExtraParams);
  imaging::ImageTags tags;
  tags.title = options.sTitle;
  tags.description = options.sDescription;
  tags.dateTime = options.sDateTime;
  tags.author = options.sAuthor;
  tags.copyright = options.sCopyright;
  tags.equipmentModel = options.sEquipmentModel;
  tags.equipmentType = options.sEquipmentType;
  file.SetImageTags(tags);
  file.SetTiffCompression(options.lTiffCompression);
  file.SetJpegQuality(options.lJpegQuality);

  const bool inTiff = item.lOriginalFileType == kTiffFormatCode;
  const bool outTiff = item.lTargetFileType == kTiffFormatCode;

  if (!inTiff && !outTiff) {  // path A
    Image image;
    if (!file.LoadImageFile(item.sOriginalFile, image)) {
      SetLoadError(item);
      return item.lErr;
    }
    if (Process(item, image))
      SaveImageByFormat(item, file, item.lTargetFileType, item.sTargetFile, image);
    return item.lErr;
  }

  const std::string target = item.sTargetFile;
  int32_t firstErr = 0;
  std::string firstMsg;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 1) {
      // The second attempt starts clean; the first attempt's result stands unless it succeeds.
      firstErr = item.lErr;
      firstMsg = item.sErr;
      item.lErr = 0;
      item.sErr.clear();
      item.sTargetFile = target;
    }
    PathOutcome outcome;
    if (!inTiff) {
      outcome = WriteTiffFromOtherFormat(item, file, options.bTiffAppend);
    } else if (!(outTiff && options.bTiffAppend)) {
      outcome = SplitTiffPages(item, file, options, target);
    } else {
      outcome = AppendTiffPages(item, file, options);
    }
    file.SetMultiPageMode(false);
    if (outcome.finished) return item.lErr;
    if (item.lErr == 0 && !outcome.lastOk) SetConvertError(item);
    if (attempt == 1 && item.lErr != 0) {
      item.lErr = firstErr;
      item.sErr = firstMsg;
    }
    if (item.lErr == 0 || !tryAutodetectIfFailed) break;
  }
  return item.lErr;
}

int32_t PerformConversionItemPrimary(clsConversionOptions& item, bool tryAutodetectIfFailed) {
  ImageFile file;
  return PerformConversionItemPrimary(item, file, tryAutodetectIfFailed);
}

bool IsSameFileOrPath(const std::string& a, const std::string& b) {
  return EqualsNoCase(a, b) || IsSameFile(a, b);
}

bool OutputAllowsRemovingInput(const std::string& input, const std::string& output) {
  if (!FileExists(output)) return false;
  const std::optional<uint64_t> size = GetFileSize(output);
  if (!size || *size == 0) return false;
  return !IsSameFileOrPath(input, output);
}

void PostProcessConvertedFile(const clsConversionOptions& item, const ConversionRunOptions& options,
                              const std::optional<FileTimes>& inputTimes, bool mayRemoveInput) {
  const std::string& input = item.sOriginalFile;
  const std::string& output = item.sTargetFile;
  if (options.bRetainInputFileTimeStamp) {
    if (inputTimes) WriteFileTimeStamps(output, *inputTimes);
  } else {
    SetFileTimeStampsToNow(output);
  }
  if (!options.RemovesInput() || !mayRemoveInput || !OutputAllowsRemovingInput(input, output))
    return;
  if (options.bMoveOriginalFileAfterProcessing && !options.sMoveFileToFolder.empty()) {
    const std::string folder = options.sMoveFileToFolder + item.sSubFolder;
    // Moving the input into the output's own place would replace the output by the input.
    if (!IsSameFileOrPath(JoinPath(folder, FileNameOf(input)), output))
      MoveFileToFolder(input, folder);
  }
  if (options.bDeleteOriginalFileAfterProcessing && PathEntryExists(input))
    DeleteFileWithRetry(input);
}

int32_t ConvertOneFile(clsConversionOptions& item, const ConversionRunOptions& options) {
  // Read before the conversion, which reads the input and may change its access time.
  std::optional<FileTimes> inputTimes;
  if (options.bRetainInputFileTimeStamp) inputTimes = ReadFileTimeStamps(item.sOriginalFile);

  const std::string target = item.sTargetFile;
  const bool appendsToExisting = item.lTargetFileType == kTiffFormatCode &&
                                 ParseConversionOptions(item.sExtraParams).bTiffAppend &&
                                 FileExists(target);
  ImageFile file;
  file.SetDurableWrites(options.RemovesInput());
  int32_t result = PerformConversionItemPrimary(item, file, options.bTryAutodetectIfFailed);
  bool complete = true;
  if (result != 0 && !appendsToExisting) {
    item.sErr.clear();
    item.lErr = 0;
    item.sTargetFile = target;  // the page names of a split belong to the failed attempt
    imaging::AltWorkingImage work;
    work.SetDurableWrites(options.RemovesInput());
    result = PerformConversionItemAlternate(item, work);
    // The alternate library reads only the first page: the other pages of the input are not in
    // the output, so the input must stay.
    complete = file.GetPageCount(item.sOriginalFile) <= 1;
  }
  if (result == 0) PostProcessConvertedFile(item, options, inputTimes, complete);
  return result;
}

ConversionRunOptions TakeRunOptions(Session& session) {
  if (!session.sMoveFileToFolder.empty() && !EndsWithSeparator(session.sMoveFileToFolder))
    session.sMoveFileToFolder += kPathSeparatorText;
  ConversionRunOptions options;
  options.bSkipProcessedFiles = session.bSkipProcessedFiles;
  options.bRetainInputFileTimeStamp = session.bRetainInputFileTimeStamp;
  options.bMoveOriginalFileAfterProcessing = session.bMoveOriginalFileAfterProcessing;
  options.sMoveFileToFolder = session.sMoveFileToFolder;
  options.bDeleteOriginalFileAfterProcessing = session.bDeleteOriginalFileAfterProcessing;
  options.bTryAutodetectIfFailed = session.bTryAutodetectIfFailed;
  return options;
}

namespace {

void ShowElapsed(Session& session) {
  session.SetPanel(
      panel::kElapsed,
      FormatOneDecimal(static_cast<double>(TickCountMs() - session.lTotalTimeStart) / 1000.0));
  if (session.onChanged) session.onChanged();
}

void ShowCurrentFile(Session& session, const std::string& file) {
  session.sCurrentFile = file;
  session.SetPanel(panel::kCurrentFile, file);
  if (session.onChanged) session.onChanged();
}

bool ShouldLog(const Session& session, const clsConversionOptions& item, int32_t result) {
  return result != 0 || !session.sLogFile.empty() || !item.sLogFile.empty();
}

}  // namespace

int32_t PerformBlockConversion(Session& session, int jobNumber, clsConversionOptions& item) {
  ScanControl scan;
  scan.doEvents = [&session] { session.DoEvents(); };
  scan.isRunning = [&session] { return session.bRunning; };
  scan.showStatus = [&session](const std::string& text) {
    session.SetPanel(panel::kCurrentFile, text);
    if (session.onChanged) session.onChanged();
  };
  std::vector<std::string> files;
  if (!BuildFileList(item, files, scan)) {
    item.lErr = kConvErrFileList;
    LogConversionError(session, jobNumber, item);
    return kConvErrFileList;
  }
  if (!session.bRunning) {
    item.sErr = Translate("Conversion Process paused.");
    item.lErr = 0;
  }
  const std::string targetFolder = ParentFolder(item.sTargetFile);
  if (!targetFolder.empty() && !FolderExists(targetFolder)) CreateFolderPath(targetFolder);

  const ConversionRunOptions options = TakeRunOptions(session);
  const ItemShape shape = GetItemShape(item);

  if (shape != ItemShape::kFolderToFolder && shape != ItemShape::kManyToOne) {
    session.lFilesDone = 0;
    session.lFilesTotal = 1;
    ShowCurrentFile(session, item.sOriginalFile);
    session.DoEvents();
    if (options.bSkipProcessedFiles && FileExists(item.sTargetFile)) {
      item.lErr = 0;
      item.sErr.clear();
    } else {
      ConvertOneFile(item, options);
    }
    if (ShouldLog(session, item, item.lErr)) LogConversionError(session, jobNumber, item);
    session.lFilesDone = 1;
    ShowElapsed(session);
    return item.lErr;
  }

  OutputNaming naming = ComputeOutputNaming(item);
  clsConversionOptions perFile = MakePerFileItem(item, shape);
  // Many inputs into one output keep only the last input unless pages are appended to a TIFF:
  // deleting the inputs would then lose all but that one.
  ConversionRunOptions fileOptions = options;
  if (shape == ItemShape::kManyToOne &&
      !(item.lTargetFileType == kTiffFormatCode && ParseConversionOptions(item.sExtraParams).bTiffAppend))
    fileOptions.bDeleteOriginalFileAfterProcessing = false;
  const int32_t count = static_cast<int32_t>(files.size());
  const int32_t start = session.lResumeFileIndex > 0 ? session.lResumeFileIndex : 1;
  // The recorded position belongs to this run only; a later item starts at its first file.
  session.lResumeFileIndex = 0;
  int32_t itemResult = 0;
  int32_t position = start;
  session.lFilesTotal = count;
  for (; position <= count; ++position) {
    session.lFilesDone = position - 1;
    session.DoEvents();
    if (!session.bRunning) break;
    perFile.lErr = 0;
    perFile.sErr.clear();
    ApplyOutputName(naming, files[static_cast<size_t>(position - 1)], perFile);
    ShowCurrentFile(session, perFile.sOriginalFile);
    session.SetPanel(panel::kProgress,
                     " " + FormatOneDecimal(position * 100.0 / count) + Translate(" Percent Complete "));
    int32_t result = 0;
    if (options.bSkipProcessedFiles && FileExists(perFile.sTargetFile)) {
      perFile.lErr = 0;
      perFile.sErr.clear();
    } else {
      result = ConvertOneFile(perFile, fileOptions);
    }
    session.lFilesDone = position;
    ShowElapsed(session);
    if (ShouldLog(session, perFile, result)) {
      LogConversionError(session, jobNumber, perFile);
      itemResult = result;
      item.lErr = perFile.lErr;
      item.sErr = perFile.sErr;
    }
  }
  if (!session.bRunning) {
    // `position` is the first file not handled; the last handled file is converted again.
    session.lResumeFileIndex = position < 3 ? 0 : position - 1;
  }
  return itemResult;
}

}  // namespace braxel
