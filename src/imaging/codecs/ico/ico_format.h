// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk layout of icon resources: the ICO/CUR directory, BMP-style entries (a
// BITMAPINFOHEADER, an optional palette, the colour (XOR) bitmap and the 1-bit AND mask) and
// the RIFF chunks of animated cursors. Also the entry decoder shared by ICO, CUR and ANI.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/core/codec.h"
#include "imaging/core/byte_order.h"

namespace braxel::imaging::ico {

inline constexpr size_t kDirectoryHeaderSize = 6;
inline constexpr size_t kDirectoryEntrySize = 16;
inline constexpr uint16_t kTypeIcon = 1;
inline constexpr uint16_t kTypeCursor = 2;

inline constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
inline constexpr uint32_t kCompressionRgb = 0;
inline constexpr uint32_t kCompressionBitfields = 3;

inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
inline constexpr int kPngFormatCode = 8;

// Size and colour depth an entry declares in its own header, for choosing the default page.
struct EntryShape {
  uint32_t width = 0, height = 0;
  int bitsPerPixel = 0;
};
// The shape of an entry's image data; an error when its header is unreadable.
Result<EntryShape> ReadEntryShape(Bytes entry);
// Decodes an entry's image data (BMP-style or PNG) to RGBA.
Result<Image> DecodeEntry(Bytes entry, const Limits& limits);

}  // namespace braxel::imaging::ico
