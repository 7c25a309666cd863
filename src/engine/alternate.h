// SPDX-License-Identifier: GPL-3.0-or-later
// Converting one file through the alternate imaging library (JPEG, BMP, TIFF first page, GIF,
// PNG), the fallback when the built-in codecs cannot convert it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/conversion_item.h"
#include "imaging/alternate/alternate_image.h"

namespace braxel {

// Result codes of the alternate path (messages translated into sErr).
inline constexpr int32_t kAltErrLoad =
    -101;  // "ALT: Unsupported source image file format. Unable to load image."
inline constexpr int32_t kAltErrConvert = -103;  // "ALT: Unable to convert"

// Loads `path` into the working image. Code -1 (autodetect) takes the format of the last three
// characters of the path, lower-cased, so ".jpeg" and ".tiff" names are not recognised.
bool AltLoadImage(imaging::AltWorkingImage& work, const std::string& path, int32_t formatCode);

// Saves the working image as `formatCode` with `jpegQuality` for JPEG.
bool AltSaveImage(imaging::AltWorkingImage& work, const std::string& path, int32_t formatCode,
                  int32_t jpegQuality);

// Converts the item's input to its output with the item's own lJPegQuality (the conversion
// options are not read). Returns the item's lErr: 0, -100 (output folder missing and not
// creatable; the conversion is still attempted), -101 (input not loaded) or -103 (not saved).
int32_t PerformConversionItemAlternate(clsConversionOptions& item, imaging::AltWorkingImage& work);
int32_t PerformConversionItemAlternate(clsConversionOptions& item);

}  // namespace braxel
