// SPDX-License-Identifier: GPL-3.0-or-later
// On-disk layout of a Sun rasterfile: eight big-endian 32-bit header words, an optional colour
// map (all reds, all greens, all blues) and rows padded to 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include "imaging/core/byte_order.h"

namespace braxel::imaging::ras {

inline constexpr uint32_t kMagic = 0x59A66A95;
inline constexpr size_t kHeaderSize = 32;

// Raster types.
inline constexpr uint32_t kTypeOld = 0;       // like standard; the length word may be 0
inline constexpr uint32_t kTypeStandard = 1;  // BGR order for 24/32 bits
inline constexpr uint32_t kTypeByteEncoded = 2;  // RLE, BGR order
inline constexpr uint32_t kTypeRgb = 3;       // RGB order

// Colour map types.
inline constexpr uint32_t kMapNone = 0;
inline constexpr uint32_t kMapRgb = 1;
inline constexpr uint32_t kMapRaw = 2;

// RLE: kEscape n v is n+1 copies of v; kEscape 0 is one kEscape byte.
inline constexpr uint8_t kEscape = 0x80;

struct Header {
  uint32_t magic, width, height, depth, length, type, mapType, mapLength;
};

// Bytes of one row: rows are padded to a multiple of 16 bits.
inline uint64_t RowBytes(uint64_t width, uint32_t depth) { return (width * depth + 15) / 16 * 2; }

}  // namespace braxel::imaging::ras
