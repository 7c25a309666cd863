// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel conversions shared by the encoders.
#include "imaging/core/pixel_convert.h"

#include <algorithm>
#include <unordered_map>

namespace braxel::imaging {

void RowToOpaque(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst) {
  switch (layout) {
    case PixelLayout::kGray:
      std::copy(src, src + width, dst);
      break;
    case PixelLayout::kRgb:
      std::copy(src, src + size_t{width} * 3, dst);
      break;
    case PixelLayout::kGrayAlpha:
      for (uint32_t x = 0; x < width; ++x) dst[x] = OverWhite(src[2 * x], src[2 * x + 1]);
      break;
    case PixelLayout::kRgba:
      for (uint32_t x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = OverWhite(src[0], src[3]);
        dst[1] = OverWhite(src[1], src[3]);
        dst[2] = OverWhite(src[2], src[3]);
      }
      break;
  }
}

void RowToRgb(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst) {
  switch (layout) {
    case PixelLayout::kRgb:
    case PixelLayout::kRgba:
      RowToOpaque(src, layout, width, dst);
      break;
    case PixelLayout::kGray:
    case PixelLayout::kGrayAlpha: {
      const int n = ChannelCount(layout);
      for (uint32_t x = 0; x < width; ++x, dst += 3) {
        const uint8_t v = n == 1 ? src[x] : OverWhite(src[2 * x], src[2 * x + 1]);
        dst[0] = dst[1] = dst[2] = v;
      }
      break;
    }
  }
}

void RowToRgba(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst) {
  for (uint32_t x = 0; x < width; ++x, dst += 4) {
    switch (layout) {
      case PixelLayout::kGray:
        dst[0] = dst[1] = dst[2] = src[x];
        dst[3] = 255;
        break;
      case PixelLayout::kGrayAlpha:
        dst[0] = dst[1] = dst[2] = src[2 * x];
        dst[3] = src[2 * x + 1];
        break;
      case PixelLayout::kRgb:
        dst[0] = src[3 * x];
        dst[1] = src[3 * x + 1];
        dst[2] = src[3 * x + 2];
        dst[3] = 255;
        break;
      case PixelLayout::kRgba:
        std::copy(src + 4 * size_t{x}, src + 4 * size_t{x} + 4, dst);
        break;
    }
  }
}

void RowToGray(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst) {
  switch (layout) {
    case PixelLayout::kGray:
    case PixelLayout::kGrayAlpha:
      RowToOpaque(src, layout, width, dst);
      break;
    case PixelLayout::kRgb:
      for (uint32_t x = 0; x < width; ++x, src += 3) dst[x] = Luma(src[0], src[1], src[2]);
      break;
    case PixelLayout::kRgba:
      for (uint32_t x = 0; x < width; ++x, src += 4)
        dst[x] = Luma(OverWhite(src[0], src[3]), OverWhite(src[1], src[3]), OverWhite(src[2], src[3]));
      break;
  }
}

void RowToBilevelMinIsWhite(const uint8_t* src, PixelLayout layout, uint32_t width, uint8_t* dst) {
  std::vector<uint8_t> gray(width);
  RowToGray(src, layout, width, gray.data());
  std::fill(dst, dst + (width + 7) / 8, 0);
  for (uint32_t x = 0; x < width; ++x)
    if (gray[x] < 128) dst[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
}

bool IsOpaque(const Image& image) {
  if (!HasAlpha(image.layout())) return true;
  const int n = image.channels();
  const uint8_t* p = image.data();
  const size_t count = size_t{image.width()} * image.height();
  for (size_t i = 0; i < count; ++i)
    if (p[i * n + n - 1] != 255) return false;
  return true;
}

bool IsBilevelGray(const Image& image) {
  if (image.layout() != PixelLayout::kGray || image.empty()) return false;
  return std::all_of(image.data(), image.data() + image.byteSize(),
                     [](uint8_t v) { return v == 0 || v == 255; });
}

uint32_t PixelArgb(const uint8_t* row, PixelLayout layout, uint32_t x) {
  switch (layout) {
    case PixelLayout::kGray: {
      const uint32_t v = row[x];
      return 0xff000000u | v << 16 | v << 8 | v;
    }
    case PixelLayout::kGrayAlpha: {
      const uint32_t v = row[2 * x];
      return uint32_t{row[2 * x + 1]} << 24 | v << 16 | v << 8 | v;
    }
    case PixelLayout::kRgb: {
      const uint8_t* p = row + 3 * size_t{x};
      return 0xff000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    case PixelLayout::kRgba: {
      const uint8_t* p = row + 4 * size_t{x};
      return uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
  }
  return 0;
}

std::optional<std::vector<uint8_t>> MapToPalette(const Image& image,
                                                 const std::vector<uint32_t>& palette) {
  if (palette.empty() || palette.size() > 256 || image.empty()) return std::nullopt;
  std::unordered_map<uint32_t, uint8_t> lookup;
  for (size_t i = palette.size(); i-- > 0;) lookup[palette[i]] = static_cast<uint8_t>(i);
  std::vector<uint8_t> indices(size_t{image.width()} * image.height());
  uint32_t lastColour = 0;
  uint8_t lastIndex = 0;
  bool haveLast = false;
  size_t i = 0;
  for (uint32_t y = 0; y < image.height(); ++y) {
    const uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < image.width(); ++x, ++i) {
      const uint32_t colour = PixelArgb(row, image.layout(), x);
      if (!haveLast || colour != lastColour) {
        auto found = lookup.find(colour);
        if (found == lookup.end()) return std::nullopt;
        lastColour = colour;
        lastIndex = found->second;
        haveLast = true;
      }
      indices[i] = lastIndex;
    }
  }
  return indices;
}

std::optional<PalettedPixels> ExtractPalette(const Image& image, size_t maxColours, bool ignoreAlpha) {
  if (image.empty()) return std::nullopt;
  PalettedPixels result;
  result.indices.resize(size_t{image.width()} * image.height());
  std::unordered_map<uint32_t, uint8_t> lookup;
  maxColours = std::min<size_t>(maxColours, 256);
  size_t i = 0;
  for (uint32_t y = 0; y < image.height(); ++y) {
    const uint8_t* row = image.row(y);
    for (uint32_t x = 0; x < image.width(); ++x, ++i) {
      const uint32_t colour = PixelArgb(row, image.layout(), x) | (ignoreAlpha ? 0xFF000000u : 0u);
      auto found = lookup.find(colour);
      if (found == lookup.end()) {
        if (result.palette.size() == maxColours) return std::nullopt;
        found = lookup.emplace(colour, static_cast<uint8_t>(result.palette.size())).first;
        result.palette.push_back(colour);
      }
      result.indices[i] = found->second;
    }
  }
  return result;
}

}  // namespace braxel::imaging
