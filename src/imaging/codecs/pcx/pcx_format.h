// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk layout of a PCX file: the 128-byte header, the RLE byte code and the VGA palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include "imaging/core/byte_order.h"

namespace braxel::imaging::pcx {

inline constexpr size_t kHeaderSize = 128;
inline constexpr uint8_t kManufacturer = 0x0A;
inline constexpr uint8_t kEncodingRle = 1;
// A byte with both top bits set is a run count (low six bits) followed by the value.
inline constexpr uint8_t kRunFlag = 0xC0;
inline constexpr uint8_t kMaxRun = 0x3F;
// The 256-colour palette follows the image data: one marker byte and 256 RGB triplets.
inline constexpr uint8_t kVgaPaletteMarker = 0x0C;
inline constexpr size_t kVgaPaletteSize = 1 + 256 * 3;

// Header field offsets.
inline constexpr size_t kOffVersion = 1, kOffEncoding = 2, kOffBitsPerPixel = 3, kOffXMin = 4,
                        kOffYMin = 6, kOffXMax = 8, kOffYMax = 10, kOffHDpi = 12, kOffVDpi = 14,
                        kOffColormap = 16, kOffPlanes = 65, kOffBytesPerLine = 66,
                        kOffPaletteInfo = 68;


}  // namespace braxel::imaging::pcx
