// SPDX-License-Identifier: GPL-3.0-or-later
// The alternate conversion path of one file.
#include "engine/alternate.h"

#include "engine/formats.h"
#include "engine/translate.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/text.h"

namespace braxel {
namespace {

void SetError(clsConversionOptions& item, int32_t code, std::string_view message) {
  item.lErr = code;
  item.sErr = Translate(message);
}

}  // namespace

bool AltLoadImage(imaging::AltWorkingImage& work, const std::string& path, int32_t formatCode) {
  if (formatCode == FormatAutodetect) {
    const std::string tail = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    formatCode = GetFormatForExtension(ToLowerAscii(tail));
  }
  if (!imaging::AltFormatSupported(formatCode)) return false;
  return work.Load(path, formatCode);
}

bool AltSaveImage(imaging::AltWorkingImage& work, const std::string& path, int32_t formatCode,
                  int32_t jpegQuality) {
  if (!imaging::AltFormatSupported(formatCode)) return false;
  return work.Save(path, formatCode, jpegQuality);
}

int32_t PerformConversionItemAlternate(clsConversionOptions& item, imaging::AltWorkingImage& work) {
  item.lErr = 0;
  const std::string folder = ParentFolder(item.sTargetFile);
  if (!folder.empty() && !FolderExists(folder)) {
    CreateFolderPath(folder);
    if (!FolderExists(folder)) SetError(item, -100, "Output folder does not exist");
  }
  if (!AltLoadImage(work, item.sOriginalFile, item.lOriginalFileType)) {
    SetError(item, kAltErrLoad, "ALT: Unsupported source image file format. Unable to load image.");
    return item.lErr;
  }
  if (!AltSaveImage(work, item.sTargetFile, item.lTargetFileType, item.lJPegQuality) &&
      item.lErr == 0)
    SetError(item, kAltErrConvert, "ALT: Unable to convert");
  return item.lErr;
}

int32_t PerformConversionItemAlternate(clsConversionOptions& item) {
  imaging::AltWorkingImage work;
  return PerformConversionItemAlternate(item, work);
}

}  // namespace braxel
