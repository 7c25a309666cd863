// SPDX-License-Identifier: GPL-3.0-or-later
// Input file lists, per-file output names and output completion.
#include "engine/file_list.h"

#include <set>
#include <utility>

#include "engine/formats.h"
#include "engine/translate.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

bool StillRunning(const ScanControl& control) { return !control.isRunning || control.isRunning(); }

void RunPendingEvents(const ScanControl& control) {
  if (control.doEvents) control.doEvents();
}

// The text after the last "." of a file name; "" when it has none.
std::string_view ExtensionOfName(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// The folder of a path with one trailing separator; a doubled separator collapses, so a file
// in the root gives "/". A relative name without folder gives "".
std::string FolderOfPath(std::string_view path) {
  const std::string parent = ParentFolder(path);
  if (parent.empty()) return IsAbsolutePath(path) ? std::string(kPathSeparatorText) : std::string();
  std::string folder = parent;
  folder.push_back(kPathSeparator);
  return CollapseSeparators(folder);
}

struct ScanState {
  std::string_view pattern;
  std::vector<std::string>& list;
  bool includeSubfolders;
  const ScanControl& control;
  std::string statusPrefix;
  // Device and inode of every folder scanned, so a loop of symlinks ends.
  std::set<std::pair<uint64_t, uint64_t>> visited;
};

int CollectInto(std::string folder, ScanState& scan) {
  if (!FolderExists(folder)) return kCollectFolderMissing;
  if (const auto identity = GetFileIdentity(folder)) {
    if (!scan.visited.insert({identity->device, identity->inode}).second) return kCollectDone;
  }
  if (!EndsWithSeparator(folder)) folder.push_back(kPathSeparator);

  if (scan.control.showStatus) scan.control.showStatus(scan.statusPrefix + folder);
  RunPendingEvents(scan.control);

  const auto entries = ListFolder(folder);
  if (!entries) return kCollectFolderUnreadable;

  for (const FolderEntry& entry : *entries) {
    if (entry.type != EntryType::kFile) continue;
    RunPendingEvents(scan.control);
    if (!StillRunning(scan.control)) return kCollectStopped;
    if (!MatchesExtensionPattern(scan.pattern, ExtensionOfName(entry.name))) continue;
    std::string path;
    path.reserve(folder.size() + entry.name.size());
    path.append(folder).append(entry.name);
    scan.list.push_back(std::move(path));
  }

  if (!scan.includeSubfolders) return kCollectDone;
  for (const FolderEntry& entry : *entries) {
    if (entry.type != EntryType::kFolder) continue;
    if (!StillRunning(scan.control)) return kCollectStopped;
    // A subfolder that vanished or cannot be read is skipped; a stop ends the whole scan.
    if (CollectInto(folder + entry.name, scan) == kCollectStopped) return kCollectStopped;
  }
  return kCollectDone;
}

}  // namespace

bool MatchesExtensionPattern(std::string_view pattern, std::string_view extension) {
  if (pattern == "*.*") return true;
  if (pattern.size() != extension.size() + 2) return false;
  return EqualsNoCase(pattern.substr(0, 2), "*.") && EqualsNoCase(pattern.substr(2), extension);
}

int CollectFolderFiles(std::string_view folder, std::string_view pattern,
                       std::vector<std::string>& list, bool includeSubfolders,
                       const ScanControl& control) {
  ScanState scan{pattern, list, includeSubfolders, control, {}, {}};
  if (control.showStatus) scan.statusPrefix = Translate("Creating File List: ");
  return CollectInto(std::string(folder), scan);
}

bool BuildFileList(clsConversionOptions& item, std::vector<std::string>& list,
                   const ScanControl& control) {
  list.clear();
  const std::string& input = item.sOriginalFile;
  const size_t star = input.find('*');
  if (star == std::string::npos) {
    if (FileExists(input)) {
      list.push_back(input);
      return true;
    }
    item.sErr = Translate("File: ") + input + Translate(" does not exist");
    return false;
  }
  const std::string folder = input.substr(0, star);
  const std::string pattern = input.substr(star);
  switch (CollectFolderFiles(folder, pattern, list, item.bDoSubfolders, control)) {
    case kCollectFolderMissing:
      item.sErr = Translate("Folder: ") + folder + Translate(" does not exist");
      return false;
    case kCollectFolderUnreadable:
      item.sErr = Translate("Folder: ") + folder + Translate(" cannot be read");
      return false;
    default:
      return true;  // done, or stopped with the files found so far
  }
}

ItemShape GetItemShape(const clsConversionOptions& item) {
  const bool inputList = item.sOriginalFile.find('*') != std::string::npos;
  const bool outputList = item.sTargetFile.find('*') != std::string::npos;
  if (inputList) return outputList ? ItemShape::kFolderToFolder : ItemShape::kManyToOne;
  return outputList ? ItemShape::kRejected : ItemShape::kSingleFile;
}

clsConversionOptions MakePerFileItem(const clsConversionOptions& item, ItemShape shape) {
  clsConversionOptions perFile;
  perFile.lConversionMethod = item.lConversionMethod;
  perFile.sActionToDo = item.sActionToDo;
  perFile.lSpecialProcess = item.lSpecialProcess;
  perFile.sExtraParams = item.sExtraParams;
  perFile.bVerboseLog = item.bVerboseLog;
  perFile.sLogFile = item.sLogFile;
  if (shape == ItemShape::kFolderToFolder || shape == ItemShape::kManyToOne) {
    perFile.lOriginalFileType = item.lOriginalFileType;
    perFile.lTargetFileType = item.lTargetFileType;
  }
  return perFile;
}

OutputNaming ComputeOutputNaming(const clsConversionOptions& item) {
  OutputNaming naming;
  const std::string& target = item.sTargetFile;
  const size_t starDot = target.rfind("*.");
  if (starDot != std::string::npos && starDot + 2 < target.size()) {
    naming.sOutputExtension = target.substr(starDot + 2);
  } else {
    naming.sOutputExtension = GetExtensionForFormat(item.lTargetFileType);
  }
  naming.sOutputRoot = target.substr(0, target.find('*'));
  naming.sInputRoot = FolderOfPath(item.sOriginalFile);
  naming.bSaveInOriginalFolder = item.bSaveInOriginalFolder;
  naming.bManyToOne = GetItemShape(item) == ItemShape::kManyToOne;
  naming.sTargetFile = target;
  return naming;
}

OutputName NameOutputFile(const OutputNaming& naming, std::string_view inputFile) {
  OutputName name;
  const std::string folder = FolderOfPath(inputFile);
  if (folder.size() > naming.sInputRoot.size())
    name.sSubFolder = folder.substr(naming.sInputRoot.size());
  if (naming.bManyToOne) {
    name.sTargetFile = naming.sTargetFile;
    name.sOutputFolder = FolderOfPath(naming.sTargetFile);
    return name;
  }
  if (naming.bSaveInOriginalFolder) {
    name.sOutputFolder = folder;
  } else {
    name.sOutputFolder.reserve(naming.sOutputRoot.size() + name.sSubFolder.size());
    name.sOutputFolder.append(naming.sOutputRoot).append(name.sSubFolder);
  }
  const std::string base = BaseNameOf(inputFile);
  name.sTargetFile.reserve(name.sOutputFolder.size() + base.size() + 1 +
                           naming.sOutputExtension.size());
  name.sTargetFile.append(name.sOutputFolder)
      .append(base)
      .append(".")
      .append(naming.sOutputExtension);
  return name;
}

OutputName PrepareOutputFile(OutputNaming& naming, std::string_view inputFile) {
  OutputName name = NameOutputFile(naming, inputFile);
  const bool mirrored = !naming.bManyToOne && !naming.bSaveInOriginalFolder;
  if (mirrored && !name.sOutputFolder.empty() && name.sOutputFolder != naming.sLastCreatedFolder) {
    CreateFolderPath(name.sOutputFolder);
    if (FolderExists(name.sOutputFolder)) naming.sLastCreatedFolder = name.sOutputFolder;
  }
  return name;
}

void ApplyOutputName(OutputNaming& naming, std::string_view inputFile,
                     clsConversionOptions& perFileItem) {
  OutputName name = PrepareOutputFile(naming, inputFile);
  perFileItem.sOriginalFile = std::string(inputFile);
  perFileItem.sSubFolder = std::move(name.sSubFolder);
  perFileItem.sTargetFile = std::move(name.sTargetFile);
}

void CompleteOutputSpecification(clsConversionOptions& item) {
  const ImageFormat* format = FindImageFormat(item.lTargetFileType);
  if (format == nullptr || format->extension.empty()) return;
  const std::string ext(format->extension);
  std::string& target = item.sTargetFile;
  if (Trim(target).empty()) return;  // an empty output stays empty for the checks to refuse
  const bool inputList = item.sOriginalFile.find('*') != std::string::npos;

  // An output that names a folder, whatever dots its folder names hold: a folder input gets the
  // pattern of the output format, a single input keeps its own base name in that folder.
  if (target.find('*') == std::string::npos &&
      (EndsWithSeparator(target) || FolderExists(target))) {
    const std::string folder = WithTrailingSeparator(target);
    if (inputList) {
      target = folder + "*." + ext;
    } else {
      std::string base = BaseNameOf(item.sOriginalFile);
      if (base.empty()) base = FileNameOf(item.sOriginalFile);  // a dot-file such as ".scan"
      target = folder + base + "." + ext;
    }
    return;
  }

  if (target.find('.') == std::string::npos) {
    if (inputList && target.back() == '*') {
      target += "." + ext;  // "/Out/*" names the same outputs as "/Out/*.jpg"
    } else if (inputList) {
      target += std::string(kPathSeparatorText) + "*." + ext;
    } else {
      target += "." + ext;
    }
    return;
  }
  const std::string trimmed = Trim(target);
  const size_t dot = trimmed.rfind('.');
  if (dot == trimmed.size() - 1 && dot != 0) target = trimmed + ext;
}

}  // namespace braxel
