// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk constants of the Windows Bitmap format and little-endian field access.
#pragma once

#include <cstdint>
#include "imaging/core/byte_order.h"

namespace braxel::imaging::bmp {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;   // OS/2 1.x BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr uint32_t kV4HeaderSize = 108;    // BITMAPV4HEADER
constexpr uint32_t kV5HeaderSize = 124;    // BITMAPV5HEADER
constexpr uint32_t kOs2V2HeaderSize = 64;  // OS/2 2.x BITMAPINFOHEADER2

// Compression values.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kJpeg = 4;
constexpr uint32_t kPng = 5;
constexpr uint32_t kAlphaBitfields = 6;

constexpr uint32_t kColourSpaceSrgb = 0x73524742;      // 'sRGB'
constexpr uint32_t kProfileEmbedded = 0x4D424544;      // 'MBED'

}  // namespace braxel::imaging::bmp
