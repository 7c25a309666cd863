// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk layout of a Targa file: the 18-byte header, image types, RLE packets, the footer.
#pragma once

#include <cstddef>
#include <cstdint>
#include "imaging/core/byte_order.h"

namespace braxel::imaging::tga {

inline constexpr size_t kHeaderSize = 18;

inline constexpr uint8_t kTypeColourMapped = 1, kTypeTrueColour = 2, kTypeGrey = 3;
inline constexpr uint8_t kRleFlag = 8;  // types 9, 10 and 11 are the RLE forms of 1, 2 and 3

// Header field offsets.
inline constexpr size_t kOffIdLength = 0, kOffMapType = 1, kOffImageType = 2, kOffMapFirst = 3,
                        kOffMapLength = 5, kOffMapEntryBits = 7, kOffWidth = 12, kOffHeight = 14,
                        kOffPixelBits = 16, kOffDescriptor = 17;

// Descriptor bits.
inline constexpr uint8_t kAlphaBitsMask = 0x0F;
inline constexpr uint8_t kRightToLeft = 0x10;
inline constexpr uint8_t kTopToBottom = 0x20;

// RLE packet header: the top bit marks a run, the low seven bits hold the count minus one.
inline constexpr uint8_t kRunPacket = 0x80;
inline constexpr size_t kMaxPacket = 128;

// The version 2 footer: extension and developer offsets (zero here) and the signature.
inline constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";


}  // namespace braxel::imaging::tga
