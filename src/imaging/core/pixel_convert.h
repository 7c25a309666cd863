// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel conversions shared by the encoders. Row functions work on one row of `width` pixels in
// the source layout and write into a caller-provided row; alpha is composited over white.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/core/image.h"

namespace braxel::imaging {

// Grey level (ITU-R BT.601 weights) of an RGB pixel.
inline uint8_t Luma(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint8_t>((r * 77u + g * 150u + b * 29u + 128u) >> 8);
}
// `value` composited with coverage `alpha` over white.
inline uint8_t OverWhite(uint8_t value, uint8_t alpha) {
  const unsigned v = value * alpha + 255u * (255u - alpha);
  return static_cast<uint8_t>((v + 127u) / 255u);
}

// The layout without its alpha channel.
constexpr PixelLayout OpaqueLayout(PixelLayout layout) {
  return layout == PixelLayout::kGrayAlpha ? PixelLayout::kGray
         : layout == PixelLayout::kRgba    ? PixelLayout::kRgb
                                           : layout;
}

// One row to the opaque layout (grey stays grey, RGB stays RGB), alpha over white.
void RowToOpaque(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst);
// One row to RGB, alpha over white.
void RowToRgb(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst);
// One row to RGBA (opaque sources get alpha 255).
void RowToRgba(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst);
// One row to grey, alpha over white.
void RowToGray(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst);
// One row to packed 1-bit samples, most significant bit first, 1 = black (grey below 128),
// the last byte padded with zero bits. `dst` holds (width + 7) / 8 bytes.
void RowToBilevelMinIsWhite(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst);

// True when every alpha sample is 255 (always true for opaque layouts).
bool IsOpaque(const Image& image);
// True when the image is grey and every sample is 0 or 255.
bool IsBilevelGray(const Image& image);

// The pixel at `x` of a row as 0xAARRGGBB.
uint32_t PixelArgb(const uint8_t* row, PixelLayout layout, uint32_t x);

// Indices of every pixel into `palette` (0xAARRGGBB, at most 256 entries), or nullopt when a
// pixel has no exact entry.
std::optional<std::vector<uint8_t>> MapToPalette(const Image& image,
                                                 const std::vector<uint32_t>& palette);

// The image's palette and indices when it has at most `maxColours` distinct colours. With
// `ignoreAlpha` colours are told apart by RGB alone and every entry is opaque (for writers that
// drop alpha).
struct PalettedPixels {
  std::vector<uint32_t> palette;  // 0xAARRGGBB
  std::vector<uint8_t> indices;   // width * height
};
std::optional<PalettedPixels> ExtractPalette(const Image& image, size_t maxColours = 256, bool ignoreAlpha = false);

}  // namespace braxel::imaging
