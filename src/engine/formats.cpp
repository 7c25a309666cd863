// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formats.h"

#include "engine/conversion_item.h"
#include "engine/translate.h"
#include "platform/text.h"

namespace braxel {
namespace {

constexpr ImageFormat kFormats[] = {
    {1, "JPEG", " (*.JPG)", "jpg", {"jpg", "jpeg"}, true, "JPEG (*.jpg)|*.jpg|All files (*.*)|*.*"},
    {2, "Windows Bitmap", " (*.bmp)", "bmp", {"bmp", ""}, true,
     "Windows Bitmap (*.bmp)|*.bmp|All files (*.*)|*.*"},
    {3, "Tagged Image File Format", " (*.tif)", "tif", {"tif", "tiff"}, true,
     "Tagged Image File Format (*.tif, *.tiff)|*.tif;*.tiff|All files (*.*)|*.*"},
    {4, "GIF", " (*.gif)", "gif", {"gif", ""}, true, "Graphic Image Format (*.gif)|*.gif|All files (*.*)|*.*"},
    {5, "EMF", " (*.emf)", "emf", {"emf", ""}, true, "EMF (*.emf)|*.emf|All files (*.*)|*.*"},
    {6, "J2K", " (*.j2k)", "j2k", {"j2k", ""}, true, "J2K (*.j2k)|*.j2k|All files (*.*)|*.*"},
    {7, "PCX bitmap format", " (*.pcx)", "pcx", {"pcx", ""}, true, "PCX Bitmap (*.pcx)|*.pcx|All files (*.*)|*.*"},
    {8, "Portable Network Graphics", " (*.png)", "png", {"png", ""}, true,
     "Portable Network Graphics (*.png)|*.png|All files (*.*)|*.*"},
    {9, "Sun Rasterfile", " (*.ras)", "ras", {"ras", ""}, true,
     "Sun Rasterfile (*.ras)|*.ras|All files (*.*)|*.*"},
    {10, "Targa File", " (*.tga)", "tga", {"tga", ""}, true, "Targa File (*.tga)|*.tga|All files (*.*)|*.*"},
    {11, "Windows Meta File", " (*.wmf)", "wmf", {"wmf", ""}, true,
     "Windows Meta File (*.wmf)|*.wmf|All files (*.*)|*.*"},
    {12, "Windows Icon", " (*.ico)", "ico", {"ico", ""}, false, "Icon (*.ico)|*.ico|All files (*.*)|*.*"},
    {13, "Windows Cursor", " (*.cur)", "cur", {"cur", ""}, false, "Cursor (*.cur)|*.cur|All files (*.*)|*.*"},
    {14, "Windows Animated Cursor", " (*.ani)", "ani", {"ani", ""}, false, "Ani (*.ani)|*.ani|All files (*.*)|*.*"},
};

constexpr std::string_view kCombinedFilter =
    "All Picture Types|*.bmp;*.dib;"
    "*.emf;*.gif;*.png;*.ico;*.jpg;*.jpe;*.jpeg;"
    "*.tif;*.tiff;*.cpt;*.wmf;*.ani;*.cur;*.jp2;*.jpc;*.j2k;*.tga;*.pcx;*.ras|"
    "Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|"
    "GIF Images (*.gif)|*.gif|"
    "PNG Images (*.png)|*.png|"
    "JPEG Images (*.jpg;*jpe;*.jpeg)|*.jpg;*.jpe;*.jpeg|"
    "JPEG 2000 Images (*.jp2;*.jpc;*.j2k)|*.jp2;*.jpc;*.j2k|"
    "TGA Images (*.tga)|*.tga|"
    "PCX Images (*.pcx)|*.pcx|"
    "RAS Images (*.ras)|*.ras|"
    "TIFF Images(*.tif,*.tiff,*.cpt)|*.tif;*.tiff;*.cpt|"
    "Metafiles (*.wmf;*emf)|*.wmf;*emf|"
    "Icons (*.ico)|*.ico|"
    "Cursors (*.ani;*.cur)|*.ani;*.cur|"
    "All Files (*.*)|*.*|";

}  // namespace

std::span<const ImageFormat> ImageFormats() { return kFormats; }

const ImageFormat* FindImageFormat(int32_t code) {
  for (const ImageFormat& format : kFormats)
    if (format.code == code) return &format;
  return nullptr;
}

std::string GetExtensionForFormat(int32_t code, bool asPattern) {
  std::string extension;
  if (code == FormatAutodetect) {
    extension = "*";
  } else if (const ImageFormat* format = FindImageFormat(code)) {
    extension = std::string(format->extension);
  }
  return asPattern ? "*." + extension : extension;
}

int32_t GetFormatForExtension(std::string_view extension) {
  const std::string lower = ToLowerAscii(extension);
  if (lower == "*") return FormatAutodetect;
  for (const ImageFormat& format : kFormats)
    for (std::string_view known : format.extensions)
      if (!known.empty() && lower == known) return format.code;
  return UNSET_FILE_TYPE;
}

std::string GetFileFilterForFormat(int32_t code) {
  if (code == FormatAutodetect) return std::string(kCombinedFilter);
  const ImageFormat* format = FindImageFormat(code);
  return format ? std::string(format->filter) : std::string();
}

FormatListContents BuildFormatList(FormatList list) {
  FormatListContents contents;
  if (list == FormatList::kInput)
    contents.entries.push_back({"[-1] " + Translate("Autodetect from file name"), FormatAutodetect});
  for (const ImageFormat& format : kFormats) {
    if (list == FormatList::kOutput && !format.output) continue;
    const int position = static_cast<int>(contents.entries.size());
    contents.entries.push_back({"[" + std::to_string(format.code) + "] " + Translate(std::string(format.name)) +
                                    std::string(format.listSuffix),
                                format.code});
    for (std::string_view known : format.extensions)
      if (!known.empty()) contents.positionOfExtension[std::string(known)] = position;
  }
  return contents;
}

}  // namespace braxel
