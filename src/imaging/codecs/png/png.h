// SPDX-License-Identifier: GPL-3.0-or-later
// Portable Network Graphics (format code 8) through libpng.
#pragma once

#include "imaging/core/codec.h"

namespace braxel::imaging {

Codec PngCodec();

// Encoder settings; the defaults are the ones measured in bench/ to write photos fast with
// little growth in size.
struct PngWriteSettings {
  int filters = -1;   // libpng PNG_FILTER_* mask; -1 = the chosen default
  int zlibLevel = -1; // 0..9; -1 = the chosen default
  int zlibStrategy = -1;  // zlib Z_* strategy; -1 = the chosen default
};
Status SavePngWith(const Image& image, const SaveOptions& options, AtomicOutputFile& out,
                   const PngWriteSettings& settings);

}  // namespace braxel::imaging
