// SPDX-License-Identifier: GPL-3.0-or-later
// Converting the files of a conversion item: the run over the item's file list, the conversion
// of one file (built-in codecs with the alternate library as fallback, multi-page TIFF page
// selection and appending), saving by format code, and the post-processing of the input (time
// stamps, move, delete).
//
// Only PerformBlockConversion touches the session. ConvertOneFile and everything below it work
// on their own per-file record, their own ImageFile and a copy of the run options, so they can
// run on worker threads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/conversion_item.h"
#include "imaging/image_file.h"
#include "platform/files.h"

namespace braxel {

struct Session;

// Result codes of a conversion (messages translated into sErr).
inline constexpr int32_t kConvErrOutputFolder = -100;  // "Output folder does not exist"
inline constexpr int32_t kConvErrLoad =
    -101;  // "Unsupported source image file format. Unable to load image."
inline constexpr int32_t kConvErrOutputType = -102;  // "Invalid output file type"
inline constexpr int32_t kConvErrConvert = -103;     // "Unable to convert"
inline constexpr int32_t kConvErrFrame =
    -110;  // "Unable to load frame" n ". " "Check Options Button"
inline constexpr int32_t kConvErrFileList = -10000;  // the file-list message

inline constexpr int32_t kTiffFormatCode = 3;

// The run options one file's conversion reads, copied from the session before the files run.
struct ConversionRunOptions {
  bool bSkipProcessedFiles = false;
  bool bRetainInputFileTimeStamp = false;
  bool bMoveOriginalFileAfterProcessing = false;
  std::string sMoveFileToFolder;  // with a trailing separator, or empty
  bool bDeleteOriginalFileAfterProcessing = false;
  bool bTryAutodetectIfFailed = false;

  // True when a successful conversion deletes or moves its input (outputs are then written
  // durably, flushed to disk before they replace anything).
  bool RemovesInput() const {
    return bDeleteOriginalFileAfterProcessing ||
           (bMoveOriginalFileAfterProcessing && !sMoveFileToFolder.empty());
  }
};

// The session's run options. A move folder without a trailing separator gets one, in the
// session's own option too.
ConversionRunOptions TakeRunOptions(Session& session);

// Runs a conversion item over its file list (all three item shapes), showing progress in the
// session's panels and logging failed files (every file when a log file is set). Returns
// -10000 when the file list cannot be built; for a single file its result; for the list shapes
// the result of the last logged file (0 when none was logged). A pause between files records
// the resume position; a run that starts from a recorded position consumes it.
int32_t PerformBlockConversion(Session& session, int jobNumber, clsConversionOptions& item);

// Converts one file of a run and post-processes its input. Returns the result code, also in
// the item's lErr and sErr. When the built-in codecs fail, the alternate library tries once
// more (except when the conversion appends to an existing TIFF, which the alternate library
// would replace by a one-page file). Any conversion method converts as method 1.
int32_t ConvertOneFile(clsConversionOptions& item, const ConversionRunOptions& options);

// Converts the item through the built-in codecs with the conversion options of sExtraParams:
// path A (neither side TIFF), B (TIFF output), C (TIFF pages to files), D (TIFF pages appended
// to a TIFF). Returns the item's lErr. Every file appears under its name only when complete; an
// abandoned multi-page write leaves an existing output untouched and no temporary file behind.
int32_t PerformConversionItemPrimary(clsConversionOptions& item, imaging::ImageFile& file,
                                     bool tryAutodetectIfFailed);
int32_t PerformConversionItemPrimary(clsConversionOptions& item,
                                     bool tryAutodetectIfFailed = false);

// Saves `image` as output code 1..11 (true, lErr 0 and sErr cleared on success; -103 on
// failure); any other code sets -102 and gives false.
bool SaveImageByFormat(clsConversionOptions& item, imaging::ImageFile& file, int32_t formatCode,
                       const std::string& path, const imaging::Image& image);

// True when `a` and `b` name one file: equal texts apart from letter case, or one object by
// device and inode.
bool IsSameFileOrPath(const std::string& a, const std::string& b);

// True when a converted input may be deleted or moved: its output exists, is not empty and is
// not the input itself.
bool OutputAllowsRemovingInput(const std::string& input, const std::string& output);

// The post-processing after a successful conversion of item.sOriginalFile to item.sTargetFile:
// the output gets `inputTimes` (read before the conversion) with bRetainInputFileTimeStamp,
// otherwise the current time; then, when `mayRemoveInput` and OutputAllowsRemovingInput hold,
// the input is moved into the move folder + sSubFolder (never over its own output; nothing
// moves without a move folder) and deleted with the delete option.
void PostProcessConvertedFile(const clsConversionOptions& item, const ConversionRunOptions& options,
                              const std::optional<FileTimes>& inputTimes, bool mayRemoveInput);

}  // namespace braxel
