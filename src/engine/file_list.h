// SPDX-License-Identifier: GPL-3.0-or-later
// Input file lists and output names: the item shapes, the ordered list of input files of an
// item (folder patterns with optional subfolders), the output name of each input file, and the
// completion of an incomplete output specification.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_item.h"

namespace braxel {

// What a scan needs from the run that asked for it. Empty functions mean: no pending events to
// run, the job is always running, no status to show.
struct ScanControl {
  std::function<void()> doEvents;                      // let pending window events run
  std::function<bool()> isRunning;                     // false once the job was paused
  std::function<void(const std::string&)> showStatus;  // the current-file panel
};

// Results of CollectFolderFiles.
inline constexpr int kCollectDone = 0;
inline constexpr int kCollectFolderMissing = -1;
inline constexpr int kCollectStopped = -2;
// The folder exists but cannot be listed (no permission): the list cannot be built.
inline constexpr int kCollectFolderUnreadable = -3;

// True when a file with `extension` (the text after the last "." of its name, "" without one)
// belongs to `pattern`: "*.*" accepts every file, otherwise "*." + extension must equal the
// pattern apart from letter case ("*." alone accepts the files without extension).
bool MatchesExtensionPattern(std::string_view pattern, std::string_view extension);

// Appends the matching files of `folder` (in listing order) to `list`, then, with
// `includeSubfolders`, those of every subfolder (in listing order, depth first). Returns
// kCollectDone, kCollectFolderMissing when `folder` does not exist, kCollectFolderUnreadable
// when it cannot be listed, or kCollectStopped when the job stopped running during the scan
// (the paths found so far stay in the list). Subfolders that vanish or cannot be read are
// skipped, and a folder reached a second time (a symlink loop, or two links to one folder) is
// not scanned again.
int CollectFolderFiles(std::string_view folder, std::string_view pattern,
                       std::vector<std::string>& list, bool includeSubfolders,
                       const ScanControl& control = {});

// Replaces `list` by the input files of the item. An input without "*" is one file, which must
// exist; otherwise the text before the first "*" is the folder and the rest the pattern, and
// `bDoSubfolders` includes subfolders. Returns false with the reason in the item's `sErr` when
// the input file or folder does not exist (or the folder cannot be read); a stopped scan still
// gives true with the files found so far.
bool BuildFileList(clsConversionOptions& item, std::vector<std::string>& list,
                   const ScanControl& control = {});

// The shape of an item, from the "*" in its input and output texts.
enum class ItemShape {
  kSingleFile,      // neither has "*": the output is sTargetFile
  kFolderToFolder,  // both have "*": an output name per input file
  kManyToOne,       // only the input has "*": every input goes to sTargetFile
  kRejected,        // only the output has "*" (refused by the item checks)
};
ItemShape GetItemShape(const clsConversionOptions& item);

// The item that the conversion of each input file of a list shape works on: it carries the
// job item's method, action, special process, parameters, log settings and, for the two list
// shapes, both format codes. The per-file fields are filled by ApplyOutputName.
clsConversionOptions MakePerFileItem(const clsConversionOptions& item, ItemShape shape);

// The naming of one item's outputs, computed once before its files are converted.
struct OutputNaming {
  std::string sOutputExtension;  // after the last "*." of the output, else the format's
  std::string sOutputRoot;       // the output text before its first "*"
  std::string sInputRoot;        // the input's parent folder with a trailing separator
  bool bSaveInOriginalFolder = false;
  bool bManyToOne = false;  // every output is sTargetFile
  std::string sTargetFile;
  // The last output folder known to exist, so that one folder is not tested for every file.
  std::string sLastCreatedFolder;
};
OutputNaming ComputeOutputNaming(const clsConversionOptions& item);

// The names of one input file.
struct OutputName {
  std::string sSubFolder;     // the file's folder relative to the input root, with a trailing
                              // separator, or ""
  std::string sOutputFolder;  // the folder the output goes to
  std::string sTargetFile;    // the output file
};
// Names only; touches nothing on disk.
OutputName NameOutputFile(const OutputNaming& naming, std::string_view inputFile);
// Names the output of `inputFile` and creates its output folder (with every missing parent)
// when the output mirrors the input's subfolder under the output root.
OutputName PrepareOutputFile(OutputNaming& naming, std::string_view inputFile);
// Fills the per-file item's sOriginalFile, sSubFolder and sTargetFile for `inputFile`,
// creating the output folder as PrepareOutputFile does.
void ApplyOutputName(OutputNaming& naming, std::string_view inputFile,
                     clsConversionOptions& perFileItem);

// Completes an incomplete output specification of the item (its folder variables already
// expanded), using the extension of lTargetFileType; nothing changes when that format has no
// extension. A folder output of a folder input gets "*." + extension; an output without
// extension of a single input gets "." + extension; a trailing "." gets the extension; a single
// input whose output names a folder (ends with a separator or is an existing folder) gets the
// input's base name and the extension inside that folder.
void CompleteOutputSpecification(clsConversionOptions& item);

}  // namespace braxel
